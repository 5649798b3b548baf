#pragma once

// Stable identifiers of the main window's controls and commands. Tests drive
// the running program through these, so they never change meaning.
namespace quillon::ids {

inline constexpr int PicBrowse = 1001;
inline constexpr int Label1 = 1002;
inline constexpr int ListView1 = 1003;
inline constexpr int Dir1 = 1004;
inline constexpr int Text1 = 1005;
inline constexpr int Frame3 = 1006;
inline constexpr int DwgThumbnail1 = 1007;
inline constexpr int Options = 1008;
inline constexpr int Check1 = 1009;
inline constexpr int ChkLayouts = 1010;
inline constexpr int Frame2 = 1011;
inline constexpr int CmbPrinter = 1012;
inline constexpr int CmbPaper = 1013;
inline constexpr int CmbCTB = 1014;
inline constexpr int Label2 = 1015;
inline constexpr int Text2 = 1016;
inline constexpr int Command2 = 1017;
inline constexpr int Command3 = 1018;
inline constexpr int CmdAction = 1019;
inline constexpr int Status = 1020;
inline constexpr int ProgressBar1 = 1021;
inline constexpr int SbStatusBar = 1022;
inline constexpr int LblSessions = 1023;
inline constexpr int TxtSessions = 1024;
inline constexpr int SpnSessions = 1025;
inline constexpr int BtnSheets = 1026;

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
