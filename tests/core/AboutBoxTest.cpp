#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialogs/AboutBox.h"

using namespace quillon::dialogs;

TEST(AboutBox, CaptionAndTitleNameTheApplication) {
    EXPECT_EQ(aboutCaption(about_text::ApplicationTitle), "About Quillon");
    EXPECT_EQ(titleText("Quillon", "Copyright (C) 2026 Quillon"), "Quillon\r\nCopyright (C) 2026 Quillon");
}

TEST(AboutBox, RevisionHasAtLeastTwoDigits) {
    EXPECT_EQ(versionText({1, 0, 5}), "Version 1.0.05");
    EXPECT_EQ(versionText({1, 0, 0}), "Version 1.0.00");
    EXPECT_EQ(versionText({2, 13, 12}), "Version 2.13.12");
    EXPECT_EQ(versionText({1, 2, 123}), "Version 1.2.123");
}

namespace {

// A machine registry and file system made of maps, recording what was asked.
struct FakeMachine {
    std::map<std::string, std::string> values;  // "key|value" -> text
    std::set<std::string> files;
    std::vector<std::string> readKeys;

    SysInfoSources sources() {
        return SysInfoSources{
            [this](std::string_view key, std::string_view value) -> std::optional<std::string> {
                readKeys.emplace_back(key);
                auto found = values.find(std::string(key) + "|" + std::string(value));
                if (found == values.end()) return std::nullopt;
                return found->second;
            },
            [this](const std::string& path) { return files.count(path) > 0; }};
    }
};

const std::string kPrimary = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
const std::string kFolder = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";

}  // namespace

TEST(AboutBox, SysInfoPathEntryIsUsedWithoutConsultingTheFolderEntry) {
    FakeMachine machine;
    machine.values[kPrimary] = "C:\\Windows\\System32\\msinfo32.exe";
    machine.values[kFolder] = "C:\\Elsewhere";
    EXPECT_EQ(findSysInfoProgram(machine.sources()), std::optional<std::string>("C:\\Windows\\System32\\msinfo32.exe"));
    EXPECT_EQ(machine.readKeys, std::vector<std::string>{"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"});
}

TEST(AboutBox, SysInfoFolderEntryNeedsTheProgramInThatFolder) {
    FakeMachine machine;
    machine.values[kFolder] = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
    EXPECT_EQ(findSysInfoProgram(machine.sources()), std::nullopt) << "no MSINFO32.EXE there: nothing to start";

    machine.files.insert("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\MSINFO32.EXE");
    EXPECT_EQ(findSysInfoProgram(machine.sources()),
              std::optional<std::string>("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\MSINFO32.EXE"));
}

TEST(AboutBox, SysInfoIsUnavailableWithoutEitherEntry) {
    FakeMachine machine;
    EXPECT_EQ(findSysInfoProgram(machine.sources()), std::nullopt);
}

TEST(AboutBox, QuotedSysInfoPathsAreUnquoted) {
    FakeMachine machine;
    machine.values[kPrimary] = "\"C:\\Program Files\\MSInfo\\msinfo32.exe\"";
    EXPECT_EQ(findSysInfoProgram(machine.sources()), std::optional<std::string>("C:\\Program Files\\MSInfo\\msinfo32.exe"));
}
