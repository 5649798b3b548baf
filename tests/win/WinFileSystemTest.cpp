#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "discovery/DrawingSearch.h"
#include "discovery/win/WinFileSystem.h"
#include "discovery/win/WinFormatters.h"
#include "win/ExtendedPath.h"
#include "win/Utf.h"

// The search over the real file system: names outside any code page, paths
// past the classic 260-character limit, and folders known by identity.
namespace quillon::discovery {
namespace {

class CollectingSink : public SearchSink {
public:
    std::vector<DrawingRow> rows;
    std::string status;
    void addRow(DrawingRow row) override { rows.push_back(std::move(row)); }
    void setStatus(const std::string& text) override { status = text; }
    void setLabel(const std::string&) override {}
};

// Creates a file through the extended-length form, which plain paths past 260 characters need.
void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(win::extendedLengthPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "creating a file of " << path.size() << " characters";
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void makeFolder(const std::wstring& path) {
    ASSERT_TRUE(CreateDirectoryW(win::extendedLengthPath(path).c_str(), nullptr)) << "error " << GetLastError();
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    const std::wstring extended = win::extendedLengthPath(path);
    HANDLE find = FindFirstFileW((extended + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(path + L"\\" + name);
            else DeleteFileW(win::extendedLengthPath(path + L"\\" + name).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(extended.c_str());
}

class WinFileSystemTest : public ::testing::Test {
protected:
    wintest::TempFolder scratch;
    std::wstring root;
    std::wstring deep;

    void SetUp() override {
        root = scratch.path().wstring() + L"\\Job \u00e9\u5e73";
        makeFolder(root);
        writeFile(root + L"\\Plan \u5e73\u9762.dwg", std::string(1536, 'x'));
        writeFile(root + L"\\plan.dwgbak", "backup");
        // Five folders of 60 characters put the deepest drawing well past 260.
        deep = root;
        for (int level = 0; level < 5; ++level) {
            deep += L"\\" + std::wstring(58, static_cast<wchar_t>(L'a' + level)) + L"\u00e9" + std::to_wstring(level);
            makeFolder(deep);
        }
        writeFile(deep + L"\\Deep Section.DWG", "AC1015");
    }
    void TearDown() override { removeTree(root); }
};

TEST_F(WinFileSystemTest, SearchesAndListsPathsPastTheClassicLimitAndNamesOutsideTheCodePage) {
    ASSERT_GT(deep.size(), 300u);
    WinFileSystem files;
    WinNumberFormatter numbers;
    WinDateTimeFormatter dates;
    ShellFileTypeNames types;
    CollectingSink sink;
    std::atomic<bool> stop{false};
    DrawingSearch search(SearchServices{files, numbers, dates, types}, sink, stop);

    auto summary = search.run(SearchRequest{win::toUtf8(root), "*.DWG", true});
    EXPECT_TRUE(summary.failure.empty()) << summary.failure;
    ASSERT_EQ(sink.rows.size(), 2u) << "the two drawings, not plan.dwgbak";
    EXPECT_EQ(win::toWide(sink.rows[0].name), L"Plan \u5e73\u9762.dwg");
    EXPECT_EQ(win::toWide(sink.rows[0].folder), root + L"\\");
    EXPECT_EQ(sink.rows[1].name, "Deep Section.DWG");
    EXPECT_EQ(win::toWide(sink.rows[1].folder), deep + L"\\") << "the deep folder is listed, not skipped";
    EXPECT_TRUE(sink.rows[1].bytes.has_value());
    EXPECT_GT(sink.rows[1].modified.value_or(0), 0);
    EXPECT_TRUE(files.fileExists(sink.rows[1].fullPath()));
}

TEST_F(WinFileSystemTest, AFolderIsKnownByIdentityHoweverItIsSpelled) {
    WinFileSystem files;
    const std::string folder = win::toUtf8(deep);
    auto plain = files.identity(folder);
    ASSERT_TRUE(plain);
    EXPECT_EQ(files.identity(folder + "\\"), plain);
    EXPECT_EQ(files.identity(win::toUtf8(deep + L"\\..\\" + deep.substr(deep.rfind(L'\\') + 1))), plain);
    EXPECT_NE(files.identity(win::toUtf8(root)), plain);
    EXPECT_FALSE(files.identity(folder + "\\Deep Section.DWG\\nothing"));

    auto listed = files.list(folder);
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 1u);
    EXPECT_EQ(listed->front().name, "Deep Section.DWG");
    EXPECT_FALSE(files.list(folder + "\\missing")) << "a folder that cannot be listed says so";
}

// A thread reads every file into one buffer it keeps; a file read while
// another one's pieces are handed on must not overwrite them.
TEST_F(WinFileSystemTest, AFileReadWhileAnotherIsHandedOnLeavesItsPiecesWhole) {
    WinFileSystem files;
    std::string bytes(3 << 19, '\0');  // a buffer and a half
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 23);
    writeFile(root + L"\\big.bin", bytes);
    std::string outer, inner;
    const auto appendTo = [](std::string& text) { return [&text](std::string_view piece) { text.append(piece); }; };
    EXPECT_TRUE(files.readPieces(win::toUtf8(root + L"\\big.bin"), [&](std::string_view piece) {
        EXPECT_TRUE(files.readPieces(win::toUtf8(root + L"\\plan.dwgbak"), appendTo(inner)));
        outer.append(piece);
    }));
    EXPECT_EQ(outer, bytes);
    EXPECT_EQ(inner, "backupbackup");
}

}  // namespace
}  // namespace quillon::discovery
