#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/FolderTreePath.h"

using namespace quillon::discovery;
using Steps = std::vector<std::string>;

TEST(FolderTreePath, DriveRootsKeepTheirBackslash) {
    EXPECT_EQ(normalizeFolder("c:\\"), "C:\\");
    EXPECT_EQ(normalizeFolder("c:"), "C:\\") << "a bare drive would mean its current folder";
    EXPECT_EQ(normalizeFolder("D:/"), "D:\\");
    EXPECT_TRUE(isDriveRoot("c:"));
    EXPECT_TRUE(isDriveRoot("C:\\"));
    EXPECT_FALSE(isDriveRoot("C:\\Jobs"));
    EXPECT_FALSE(isDriveRoot("\\\\server\\share"));
    EXPECT_FALSE(isDriveRoot(""));
}

TEST(FolderTreePath, FoldersLoseTrailingAndDoubledSeparators) {
    EXPECT_EQ(normalizeFolder("c:\\Jobs\\"), "C:\\Jobs");
    EXPECT_EQ(normalizeFolder("c:/Jobs//2024/"), "C:\\Jobs\\2024");
    EXPECT_EQ(normalizeFolder("C:\\Jobs\\\\Plans"), "C:\\Jobs\\Plans");
    EXPECT_EQ(normalizeFolder("\\\\server\\share\\"), "\\\\server\\share") << "a share keeps its leading pair";
    EXPECT_EQ(normalizeFolder("//server/share/Plans"), "\\\\server\\share\\Plans");
    EXPECT_EQ(normalizeFolder("C:\\Jobs\\Übersicht"), "C:\\Jobs\\Übersicht") << "names are left as they are";
    EXPECT_EQ(normalizeFolder(""), "");
}

TEST(FolderTreePath, ChildPathsJoinWithOneBackslash) {
    EXPECT_EQ(childPath("C:\\", "Jobs"), "C:\\Jobs");
    EXPECT_EQ(childPath("C:\\Jobs", "2024"), "C:\\Jobs\\2024");
    EXPECT_EQ(childPath("\\\\server\\share", "Plans"), "\\\\server\\share\\Plans");
    EXPECT_EQ(childPath("C:\\", "*"), "C:\\*");
}

TEST(FolderTreePath, StepsLeadFromTheDriveToTheFolder) {
    EXPECT_EQ(pathSteps("c:\\"), Steps{"C:\\"});
    EXPECT_EQ(pathSteps("c:\\Jobs\\2024\\"), (Steps{"C:\\", "C:\\Jobs", "C:\\Jobs\\2024"}));
    EXPECT_EQ(pathSteps("\\\\server\\share\\Plans"), (Steps{"\\\\server\\share", "\\\\server\\share\\Plans"}));
    EXPECT_EQ(pathSteps("\\\\server"), Steps{}) << "a server alone is no folder";
    EXPECT_EQ(pathSteps("Jobs\\2024"), Steps{}) << "relative paths lead nowhere in the tree";
    EXPECT_EQ(pathSteps("c:Jobs"), Steps{});
    EXPECT_EQ(pathSteps(""), Steps{});
}

TEST(FolderTreePath, ShellSelectionsWithoutAPathSelectNoFolder) {
    EXPECT_EQ(folderFromShellPath("C:\\"), std::optional<std::string>("C:\\"));
    EXPECT_EQ(folderFromShellPath(std::string("C:\\Jobs\0garbage", 16)), std::optional<std::string>("C:\\Jobs"))
        << "the shell's buffer ends at its first NUL";
    EXPECT_EQ(folderFromShellPath(""), std::nullopt);
    EXPECT_EQ(folderFromShellPath(std::string(260, '\0')), std::nullopt);
}

TEST(FolderTreePath, OnlyVisibleRealSubfoldersAreListed) {
    EXPECT_TRUE(showsInTree("Jobs", false, false));
    EXPECT_TRUE(showsInTree(".config-like", false, false)) << "a leading dot is an ordinary name here";
    EXPECT_FALSE(showsInTree(".", false, false));
    EXPECT_FALSE(showsInTree("..", false, false));
    EXPECT_FALSE(showsInTree("$Recycle.Bin", true, true));
    EXPECT_FALSE(showsInTree("Hidden", true, false));
    EXPECT_FALSE(showsInTree("System Volume Information", false, true));
}
