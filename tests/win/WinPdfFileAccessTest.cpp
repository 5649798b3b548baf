#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "plotting/pdf/win/WinPdfFileAccess.h"
#include "win/Utf.h"

namespace quillon::wintest {
namespace {

// The temporary folder for the test's length, given back as it was.
class TemporaryFolderSetTo {
public:
    explicit TemporaryFolderSetTo(const std::wstring& folder) {
        wchar_t old[32768] = {};
        had_ = GetEnvironmentVariableW(L"TMP", old, 32768) > 0;
        old_ = old;
        SetEnvironmentVariableW(L"TMP", folder.c_str());
    }
    ~TemporaryFolderSetTo() { SetEnvironmentVariableW(L"TMP", had_ ? old_.c_str() : nullptr); }

private:
    bool had_ = false;
    std::wstring old_;
};

TEST(WinPdfFileAccessTest, ASheetThatCannotBeCopiedUnderALongTemporaryFolderIsRefusedWithTheReason) {
    TempFolder folder;
    // Within the classic limit itself, but not with "quillon-pdf-PID-N.pdf" after it.
    std::filesystem::path temp = folder.path();
    while (temp.wstring().size() < 245) temp /= L"temporary-folder-of-a-long-name";
    temp = temp.wstring().substr(0, 245);
    std::filesystem::create_directories(temp);
    const TemporaryFolderSetTo longTemp(temp.wstring() + L"\\");
    const std::filesystem::path sheet = folder.write(L"Фасад.pdf", "%PDF-1.7\n");

    plotting::WinPdfFileAccess files;
    std::string why;
    EXPECT_EQ(files.readableName(win::toUtf8(sheet.wstring()), 1, why), "");
    EXPECT_NE(why.find("too long"), std::string::npos) << why;
}

}  // namespace
}  // namespace quillon::wintest
