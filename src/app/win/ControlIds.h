#pragma once

// Stable identifiers of the main window's controls and commands. Tests drive
// the running program through these, so they never change meaning. A control
// once known by a form designer's default name keeps it in a comment beside
// the name of its role, and keeps its number.
namespace quillon::ids {

inline constexpr int FolderTreeBox = 1001;      // PicBrowse
inline constexpr int FoundFilesLabel = 1002;    // Label1
inline constexpr int DrawingListBox = 1003;     // ListView1
inline constexpr int DirectoryList = 1004;      // Dir1
inline constexpr int PatternBox = 1005;         // Text1
inline constexpr int PreviewFrame = 1006;       // Frame3
inline constexpr int DwgThumbnail1 = 1007;
inline constexpr int Options = 1008;
inline constexpr int SubfoldersBox = 1009;      // Check1
inline constexpr int ChkLayouts = 1010;
inline constexpr int PrintOptionsFrame = 1011;  // Frame2
inline constexpr int DeviceBox = 1012;          // CmbPrinter
inline constexpr int PaperBox = 1013;           // CmbPaper
inline constexpr int PlotStyleTableBox = 1014;  // CmbCTB
inline constexpr int CopiesLabel = 1015;        // Label2
inline constexpr int CopiesBox = 1016;          // Text2
inline constexpr int PrintAllButton = 1017;     // Command2
inline constexpr int ExitButton = 1018;         // Command3
inline constexpr int CmdAction = 1019;
inline constexpr int Status = 1020;
inline constexpr int RunProgressBar = 1021;     // ProgressBar1
inline constexpr int SbStatusBar = 1022;
inline constexpr int LblSessions = 1023;
inline constexpr int TxtSessions = 1024;
inline constexpr int SpnSessions = 1025;
inline constexpr int BtnSheets = 1026;
inline constexpr int ChangedOnlyBox = 1027;

// Menu commands.
inline constexpr int MnuSelectAll = 2001;
inline constexpr int MnuFileExit = 2002;
inline constexpr int MnuViewStatusBar = 2003;
inline constexpr int HelpMain = 2004;
inline constexpr int MnuHelpAbout = 2005;
inline constexpr int MnuAllPrint = 2006;
inline constexpr int MnuPrintMultiple = 2007;
inline constexpr int MnuOpenJob = 2008;
inline constexpr int MnuSaveJob = 2009;
inline constexpr int MnuOpenReport = 2010;
inline constexpr int MnuPlotFiles = 2018;
inline constexpr int MnuCheckDrawings = 2019;
inline constexpr int MnuResumeRun = 2020;
inline constexpr int MnuSheets = 2021;

}  // namespace quillon::ids
