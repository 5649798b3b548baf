#include "dialogs/AboutBox.h"

namespace quillon::dialogs {

namespace {

std::string withoutQuotes(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

std::string aboutCaption(std::string_view applicationTitle) { return "About " + std::string(applicationTitle); }

std::string titleText(std::string_view applicationTitle, std::string_view copyright) {
    return std::string(applicationTitle) + "\r\n" + std::string(copyright);
}

std::string versionText(const ProgramVersion& version) {
    std::string revision = std::to_string(version.revision);
    if (revision.size() < 2) revision.insert(0, 2 - revision.size(), '0');
    return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." + revision;
}

std::optional<std::string> findSysInfoProgram(const SysInfoSources& sources) {
    using namespace sysinfo_registry;
    if (auto path = sources.readMachineString(PrimaryKey, PrimaryValue)) return withoutQuotes(*path);
    auto folder = sources.readMachineString(FolderKey, FolderValue);
    if (!folder) return std::nullopt;
    std::string program = withoutQuotes(*folder) + ProgramName;
    if (!sources.fileExists(program)) return std::nullopt;
    return program;
}

}  // namespace quillon::dialogs
