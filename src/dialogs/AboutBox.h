#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::dialogs {

// Texts of the About window, word for word.
namespace about_text {
inline constexpr const char* ApplicationTitle = "Quillon";
inline constexpr const char* Description = "This application Opens and Prints Autocad Drawings in Batch Mode.";
// The warning paragraph is blank by design; its label keeps its place in the window.
inline constexpr const char* Warning = "    ";
inline constexpr const char* SysInfoUnavailable = "System Information Is Unavailable At This Time";
inline constexpr const char* Ok = "OK";
inline constexpr const char* SysInfo = "&System Info...";
// The libraries built into the program, each with its licence; the full texts are installed beside it.
inline constexpr const char* Notices =
    "Combining PDF files uses PDFio 1.6.5, Copyright \u00A9 2021-2026 by Michael R Sweet, under the Apache "
    "License 2.0 (see THIRD-PARTY-NOTICES.txt), and zlib, Copyright \u00A9 Jean-loup Gailly and Mark Adler, "
    "under the zlib licence.";
}  // namespace about_text

// The numbers the About window shows, from the program's version resource.
struct ProgramVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned revision = 0;
};

// "About Quillon".
std::string aboutCaption(std::string_view applicationTitle);
// The title, CR LF, the copyright line.
std::string titleText(std::string_view applicationTitle, std::string_view copyright);
// "Version 1.0.05": the revision has at least two digits.
std::string versionText(const ProgramVersion& version);

// Where the System Information tool's location is kept, under the machine's
// part of the registry.
namespace sysinfo_registry {
inline constexpr const char* PrimaryKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* PrimaryValue = "PATH";
inline constexpr const char* FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* FolderValue = "MSINFO";
inline constexpr const char* ProgramName = "\\MSINFO32.EXE";
}  // namespace sysinfo_registry

// What finding the tool consults: a machine registry string value (absent:
// nothing) and whether a file exists.
struct SysInfoSources {
    std::function<std::optional<std::string>(std::string_view key, std::string_view value)> readMachineString;
    std::function<bool(const std::string& path)> fileExists;
};

// The System Information program to start: the first registry entry's path
// when it is there (the second is then not consulted), else MSINFO32.EXE in
// the folder the second entry names when that file exists, else nothing.
// Quotes around a stored path are removed, since the path is started as a
// program name rather than parsed as a command line.
std::optional<std::string> findSysInfoProgram(const SysInfoSources& sources);

}  // namespace quillon::dialogs
