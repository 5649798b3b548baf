#include <gtest/gtest.h>

#include "base/Paths.h"

using quillon::base::addBackslash;
using quillon::base::folderOf;

TEST(Paths, AddBackslashAppendsExactlyOne) {
    EXPECT_EQ(addBackslash("C:\\Jobs"), "C:\\Jobs\\");
    EXPECT_EQ(addBackslash("C:\\"), "C:\\");
    EXPECT_EQ(addBackslash("\\\\server\\share\\"), "\\\\server\\share\\");
}

TEST(Paths, FolderOfKeepsTheBackslashOnlyAtADriveRoot) {
    EXPECT_EQ(folderOf("C:\\Program Files\\Quillon\\Quillon.exe"), "C:\\Program Files\\Quillon");
    EXPECT_EQ(folderOf("C:\\Quillon.exe"), "C:\\");
    EXPECT_EQ(addBackslash(folderOf("C:\\Quillon.exe")) + "help.chm", "C:\\help.chm");
    EXPECT_EQ(folderOf("Quillon.exe"), "");
}
