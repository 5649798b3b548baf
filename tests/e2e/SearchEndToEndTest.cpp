#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "GuiDriver.h"
#include "ProgramUnderTest.h"
#include "StandinScenario.h"
#include "TestSupport.h"
#include "app/win/ControlIds.h"
#include "standin/server/Registration.h"
#include "win/RegistryKey.h"
#include "win/Utf.h"

// The drawing search of the real program, seen through its list: which
// drawings of a folder tree it lists, in what order, what links leading back
// up the tree do to it, Stop in a large tree, and the preview of the focused
// row.
namespace quillon::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Any bytes serve as a drawing for the search; 2048 of them read "2 KB".
const std::string kDrawingBytes = std::string("AC1015") + std::string(2042, '\0');

std::string utf8(const std::wstring& text) { return win::toUtf8(text); }

void writeFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

fs::path samplesFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (fs::path(self).parent_path() / QUILLON_SAMPLES_RELATIVE_PATH).lexically_normal();
}

// The Linux side of a wine prefix: a path's Linux name, and Linux programs,
// which wine starts from their Z: path. Wine makes thousands of files ten
// times slower than Linux programs do and removes them slower still; it cannot
// make or remove a link to a folder itself (its CreateSymbolicLinkW reports
// success and makes nothing). None of it exists on Windows.
namespace host {

using UnixNameFunction = char*(CDECL*)(const wchar_t*);

UnixNameFunction unixNameFunction() {
    return reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

bool isWine() { return unixNameFunction() != nullptr; }

std::string unixPath(const fs::path& path) {
    char* name = unixNameFunction()(path.c_str());
    if (!name) throw std::runtime_error("wine has no Linux name for " + utf8(path.wstring()));
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// A Linux path as one argument of a Linux program's command line.
std::wstring quoted(const std::string& unixName) { return L"\"" + win::toWide(unixName) + L"\""; }
std::wstring quoted(const fs::path& path) { return quoted(unixPath(path)); }
// For a file that does not exist yet, which has no Linux name of its own.
std::wstring quotedNew(const fs::path& path) {
    return quoted(unixPath(path.parent_path()) + "/" + utf8(path.filename().wstring()));
}

// Starts a Linux program. Wine gives no process handle to wait on for one:
// the caller watches for what the program does.
bool start(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    return true;
}

bool run(const std::wstring& commandLine, const std::function<bool()>& done) {
    return start(commandLine) && wintest::waitFor(done, 60s);
}

}  // namespace host

bool isThere(const fs::path& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A link to a folder as users make them: a Linux symbolic link under wine,
// which shows it as a folder, and a directory symbolic link on Windows.
bool makeFolderLink(const fs::path& link, const fs::path& target) {
    if (host::isWine())
        return host::run(L"Z:\\bin\\ln -s -- " + host::quoted(target) + L" " + host::quotedNew(link),
                         [&] { return isThere(link); });
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
}

// Removes a folder tree, links included, without ever going through a link:
// one leading up the tree would take the removal to folders no test made.
bool removeTree(const fs::path& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (host::isWine()) {
        // Linux's rm removes a link, never what it leads to. Only ever a
        // folder below a drive's root, named as the test named it.
        const std::string name = host::unixPath(folder);
        const std::string last = "/" + utf8(folder.filename().wstring());
        if (!folder.is_absolute() || !folder.has_filename() || name.size() <= last.size() || !name.ends_with(last))
            return false;
        return host::run(L"Z:\\bin\\rm -rf -- " + host::quoted(folder), [&] { return !isThere(folder); });
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryW(folder.c_str()) != FALSE;
    std::vector<std::pair<fs::path, DWORD>> entries;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((folder / L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring_view name = data.cFileName;
            if (name != L"." && name != L"..") entries.emplace_back(folder / data.cFileName, data.dwFileAttributes);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    bool removed = true;
    for (const auto& [entry, entryAttributes] : entries) {
        if (entryAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            removed = removeTree(entry) && removed;
        } else {
            SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            removed = DeleteFileW(entry.c_str()) && removed;
        }
    }
    return RemoveDirectoryW(folder.c_str()) && removed;
}

// A folder tree of the test's own under C:\, removed before and after.
class DrawingTree {
public:
    explicit DrawingTree(fs::path root) : root_(std::move(root)) {
        removeTree(root_);
        fs::create_directories(root_);
    }
    ~DrawingTree() {
        if (!removeTree(root_)) ADD_FAILURE() << "could not remove " << utf8(root_.wstring());
    }
    DrawingTree(const DrawingTree&) = delete;
    DrawingTree& operator=(const DrawingTree&) = delete;

    const fs::path& root() const { return root_; }
    fs::path drawing(const fs::path& relative, const std::string& bytes = kDrawingBytes) const {
        writeFile(root_ / relative, bytes);
        return root_ / relative;
    }
    fs::path folder(const fs::path& relative) const {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }

    // Starts filling the tree: jobs folders "Job <n>", each with floors
    // folders "Floor <n>", each with drawings "Sheet <n>.dwg". The answer
    // waits until they are all there and says whether they are.
    std::function<bool()> startFilling(int jobs, int floors, int drawings, const wintest::TempFolder& scratch) const {
        if (host::isWine()) {
            const auto script = scratch.write(L"tree.sh", R"(set -e
cd "$1"
jobs=$2 floors=$3 sheets=$4
j=0
while [ $j -lt $jobs ]; do
  p=0
  while [ $p -lt $floors ]; do printf '%s\0' "Job $((100 + j))/Floor $p"; p=$((p + 1)); done
  j=$((j + 1))
done | xargs -0 mkdir -p
j=0
while [ $j -lt $jobs ]; do
  p=0
  while [ $p -lt $floors ]; do
    s=0
    while [ $s -lt $sheets ]; do printf AC1015 >"Job $((100 + j))/Floor $p/Sheet $s.dwg"; s=$((s + 1)); done
    p=$((p + 1))
  done
  j=$((j + 1))
done
: >"$5"
)");
            const fs::path made = scratch.path() / L"tree made";
            const bool started = host::start(L"Z:\\bin\\sh " + host::quoted(script) + L" " + host::quoted(root_) +
                                             L" " + std::to_wstring(jobs) + L" " + std::to_wstring(floors) + L" " +
                                             std::to_wstring(drawings) + L" " + host::quotedNew(made));
            return [started, made] { return started && wintest::waitFor([&] { return isThere(made); }, 60s); };
        }
        for (int job = 0; job < jobs; ++job)
            for (int level = 0; level < floors; ++level)
                for (int sheet = 0; sheet < drawings; ++sheet)
                    drawing(fs::path(L"Job " + std::to_wstring(100 + job)) / (L"Floor " + std::to_wstring(level)) /
                                (L"Sheet " + std::to_wstring(sheet) + L".dwg"),
                            "AC1015");
        return [] { return true; };
    }

private:
    fs::path root_;
};

void hide(const fs::path& entry) {
    const DWORD attributes = GetFileAttributesW(entry.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << utf8(entry.wstring());
    ASSERT_TRUE(SetFileAttributesW(entry.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN)) << utf8(entry.wstring());
}

// A folder as the list's Path column shows it: with a trailing backslash.
std::wstring listed(const fs::path& folder) { return folder.wstring() + L"\\"; }

using Row = std::pair<std::wstring, std::wstring>;  // folder, file name

std::vector<Row> rowsOf(const GuiDriver& gui) {
    std::vector<Row> rows;
    for (const auto& cells : gui.listRows(2)) rows.emplace_back(cells[1], cells[0]);
    return rows;
}

std::string describe(const std::vector<Row>& rows) {
    std::string text;
    for (const auto& [folder, name] : rows) text += "\n  " + utf8(folder) + " | " + utf8(name);
    return text.empty() ? "\n  (no rows)" : text;
}

std::wstring foundStatus(std::size_t count) { return std::to_wstring(count) + L"  Files Found  "; }

// A folder tree searched depth first: every folder's rows are together and
// come before the rows of its sub-folders, and no sub-tree's rows are split
// by rows from outside it.
void expectDepthFirst(const std::vector<Row>& rows) {
    std::set<std::wstring> folders;
    for (const auto& row : rows) folders.insert(row.first);
    for (const auto& folder : folders) {
        auto inside = [&](const Row& row) { return row.first.starts_with(folder); };
        const auto first = std::find_if(rows.begin(), rows.end(), inside);
        const auto last = std::find_if(rows.rbegin(), rows.rend(), inside).base();
        EXPECT_EQ(first->first, folder) << "a sub-folder's rows come before the rows of " << utf8(folder)
                                        << describe(rows);
        EXPECT_TRUE(std::all_of(first, last, inside))
            << "the rows under " << utf8(folder) << " are split by others" << describe(rows);
    }
}

class SearchEndToEnd : public ::testing::Test {
protected:
    // The prefix keeps a plain registration afterwards, as the prefix script leaves it.
    static void TearDownTestSuite() { standin_server::registerServer(wintest::standinExePath()); }

    wintest::TempFolder scratch;

    void SetUp() override {
        // A window position remembered by another test must not move the list or the preview off screen.
        win::RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon");
        auto file = scratch.write(L"scenario.json", wintest::baseScenario().dump());
        standin_server::registerServer(wintest::standinExePath(), file.wstring());
    }
    void TearDown() override {
        wintest::waitFor([] { return wintest::countProcesses(L"quillon-standin.exe") == 0; }, 15s);
    }

    static void closeProgram(ProgramUnderTest& program, HWND main) {
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.waitForExit()) << "Quillon did not end after WM_CLOSE";
    }

    // Chooses the folder and waits for its search: sub-folders left out, as choosing a folder leaves them.
    static std::wstring listFolder(GuiDriver& gui, const fs::path& folder) {
        gui.selectFolder(folder.wstring());
        auto status = gui.waitForSearchEnd();
        if (!status) ADD_FAILURE() << "the search did not end; Status: " << utf8(gui.text(ids::Status));
        return status.value_or(L"");
    }

    static std::wstring includeSubfolders(GuiDriver& gui) {
        gui.setChecked(ids::SubfoldersBox, true);
        auto status = gui.waitForSearchEnd();
        if (!status) ADD_FAILURE() << "the search did not end; Status: " << utf8(gui.text(ids::Status));
        return status.value_or(L"");
    }
};

// Sub-folders at several levels, names the search must pass over, and then
// links that lead back up the tree.
TEST_F(SearchEndToEnd, ListsEachDrawingOfATreeOnceFolderBeforeSubFoldersAndNeverThroughALink) {
    // Sorts after the folder tree test's folder, which must stay C:\'s first child.
    const fs::path top = L"C:\\Quillon search test";
    DrawingTree tree(top);
    const fs::path root = top / L"Drawings";
    const fs::path sub = root / L"Sub One";
    const fs::path deeper = sub / L"Deeper";
    const fs::path deepest = deeper / L"Deepest";
    const fs::path sketches = root / L"\u00c9bauche \u5e73\u9762";
    const fs::path level2 = sketches / L"Niveau 2";
    const std::set<Row> own = {
        {listed(root), L"Alpha.dwg"},
        {listed(root), L"beta.DWG"},
        {listed(root), L"Mixed.Dwg"},
    };
    std::set<Row> all = own;
    all.insert({
        {listed(sub), L"Gamma.dwg"},
        {listed(sub), L"delta.DWG"},
        {listed(deeper), L"Epsilon.dwg"},
        {listed(deepest), L"Zeta.dwg"},
        {listed(sketches), L"Plan \u5e73\u9762.dwg"},
        {listed(level2), L"\u00c9tage.DWG"},
    });
    for (const auto& [folder, name] : all) tree.drawing(fs::path(folder) / name);
    // Never listed: other extensions, a hidden drawing, and whatever lies in
    // folders whose names have a dot or that are hidden.
    tree.drawing(L"Drawings\\plan.dwgbak");
    tree.drawing(L"Drawings\\readme.txt");
    tree.drawing(L"Drawings\\Sub One\\Deeper\\plan.dwgbak");
    hide(tree.drawing(L"Drawings\\Secret.dwg"));
    tree.drawing(L"Drawings\\Old.Versions\\Old.dwg");
    tree.drawing(L"Drawings\\Folder.dwg\\Inside.dwg");
    tree.drawing(L"Drawings\\Hidden Work\\Hidden.dwg");
    hide(root / L"Hidden Work");
    tree.folder(L"Drawings\\Empty");
    // Beside the searched folder, reachable from it only through a link.
    tree.drawing(L"Outside\\Outside.dwg");
    if (HasFatalFailure()) return;

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);

    // The folder alone.
    EXPECT_EQ(listFolder(gui, root), foundStatus(own.size()));
    EXPECT_FALSE(gui.isChecked(ids::SubfoldersBox)) << "choosing a folder leaves sub-folders out";
    const auto ownRows = rowsOf(gui);
    EXPECT_EQ(std::set<Row>(ownRows.begin(), ownRows.end()), own) << describe(ownRows);
    EXPECT_EQ(ownRows.size(), own.size()) << describe(ownRows);
    EXPECT_TRUE(gui.text(ids::FoundFilesLabel).starts_with(L"Found following files in " + root.wstring() + L" "))
        << utf8(gui.text(ids::FoundFilesLabel));

    // With its sub-folders.
    EXPECT_EQ(includeSubfolders(gui), foundStatus(all.size()));
    const auto allRows = rowsOf(gui);
    EXPECT_EQ(std::set<Row>(allRows.begin(), allRows.end()), all) << describe(allRows);
    EXPECT_EQ(allRows.size(), all.size()) << "not every drawing once" << describe(allRows);
    expectDepthFirst(allRows);
    const auto cells = gui.listRows(5);
    for (const auto& row : cells) {
        SCOPED_TRACE(utf8(row[1] + row[0]));
        EXPECT_EQ(row[3], L"2 KB");
        EXPECT_EQ(row[2], cells.front()[2]) << "the type of a drawing does not depend on its extension's letter case";
        EXPECT_FALSE(row[2].empty());
        EXPECT_FALSE(row[4].empty()) << "no date";
    }

    // Links back to the searched folder and to the folder above it: the
    // search lists nothing through them, each drawing still once.
    const fs::path loop = deepest / L"Loop";
    const fs::path up = level2 / L"Up";
    ASSERT_TRUE(makeFolderLink(loop, root));
    ASSERT_TRUE(makeFolderLink(up, top));
    ASSERT_NE(GetFileAttributesW((loop / L"Alpha.dwg").c_str()), INVALID_FILE_ATTRIBUTES) << "the link leads nowhere";
    ASSERT_NE(GetFileAttributesW((up / L"Outside" / L"Outside.dwg").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the link leads nowhere";
    EXPECT_EQ(listFolder(gui, root), foundStatus(own.size()));
    gui.setChecked(ids::SubfoldersBox, true);
    const auto linked = gui.waitForSearchEnd(20s);
    ASSERT_TRUE(linked) << "the search did not end with links leading back up the tree; Status: "
                        << utf8(gui.text(ids::Status)) << "; " << gui.listCount() << " rows";
    EXPECT_EQ(*linked, foundStatus(all.size()));
    EXPECT_EQ(rowsOf(gui), allRows) << "the links changed the list";

    closeProgram(program, main);
}

// Stop in the middle of a long search: it ends at once with the rows found
// so far, the window answers throughout, and the next search lists the whole tree.
TEST_F(SearchEndToEnd, StopEndsALongSearchAtOnceWithTheRowsFoundSoFar) {
    // Large enough that the search is far from its end when Stop gets
    // through to a window busy taking rows; small enough to make in a moment.
    constexpr int kJobs = 80;
    constexpr int kFloors = 10;
    constexpr int kDrawingsPerFloor = 2;
    constexpr auto kAll = static_cast<std::size_t>(1 + kJobs * kFloors * kDrawingsPerFloor);
    DrawingTree tree(L"C:\\Quillon search stop test");
    tree.drawing(L"Index.dwg", "AC1015");
    const auto filled = tree.startFilling(kJobs, kFloors, kDrawingsPerFloor, scratch);

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(filled()) << "the tree was not made";
    // A window that stops answering for many seconds fails the test.
    GuiDriver gui(main, 10s);
    EXPECT_EQ(listFolder(gui, tree.root()), foundStatus(1));

    const auto started = std::chrono::steady_clock::now();
    gui.setChecked(ids::SubfoldersBox, true);
    // Stop once rows of the sub-folders have arrived: the search is under way.
    while (gui.listCount() <= 1 && std::chrono::steady_clock::now() - started < 10s) Sleep(5);
    const std::wstring searching = gui.text(ids::Status);
    const auto pressed = std::chrono::steady_clock::now();
    gui.pressStop();
    const auto stopped = gui.waitForSearchEnd(10s);
    const auto stopTime = std::chrono::steady_clock::now() - pressed;
    ASSERT_TRUE(stopped) << "Stop did not end the search; Status: " << utf8(gui.text(ids::Status));
    const int rows = gui.listCount();
    EXPECT_TRUE(searching.starts_with(L"Searching ... " + tree.root().wstring() + L"\\")) << utf8(searching);
    EXPECT_GT(rows, 1);
    EXPECT_LT(static_cast<std::size_t>(rows), kAll) << "the search was not stopped";
    EXPECT_EQ(*stopped, foundStatus(static_cast<std::size_t>(rows)));
    // How fast is for the record, not a verdict: a loaded machine may take longer.
    RecordProperty("stop_ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(stopTime).count()));
    // No row of the stopped search comes in afterwards.
    Sleep(300);
    EXPECT_EQ(gui.listCount(), rows);

    // The next search goes all the way.
    gui.setChecked(ids::SubfoldersBox, false);
    EXPECT_EQ(gui.waitForSearchEnd().value_or(L""), foundStatus(1));
    EXPECT_EQ(includeSubfolders(gui), foundStatus(kAll));
    EXPECT_EQ(static_cast<std::size_t>(gui.listCount()), kAll);

    closeProgram(program, main);
}

// The focused row's drawing shows its picture in the preview box; one
// without a picture leaves the box empty, not with the last picture.
TEST_F(SearchEndToEnd, FocusingARowShowsItsDrawingsPreview) {
    DrawingTree tree(L"C:\\Quillon preview test");
    const fs::path samples = samplesFolder();
    const std::pair<const wchar_t*, const wchar_t*> copies[] = {
        {L"2004_HatchG.dwg", L"Ground Floor.dwg"},  // a bitmap picture
        {L"2013_Arc.dwg", L"Site Plan.dwg"},        // a PNG picture
        {L"2018_Line.dwg", L"Survey.dwg"},          // no picture
    };
    for (const auto& [sample, name] : copies) {
        std::error_code error;
        fs::copy_file(samples / sample, tree.root() / name, error);
        ASSERT_FALSE(error) << utf8((samples / sample).wstring()) << ": " << error.message();
    }

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    EXPECT_EQ(listFolder(gui, tree.root()), foundStatus(3));

    // The samples' pictures cover most of the box: a fifth is plainly a picture.
    auto showsPicture = [](const ScreenPixels& seen) { return seen.nonWhiteShare() > 0.2; };
    auto focus = [&](const wchar_t* name) {
        const int row = gui.findRow(name);
        if (row < 0) throw std::runtime_error("no row for " + utf8(name));
        gui.focusRow(row);
    };
    auto expectPicture = [&](const wchar_t* name) {
        SCOPED_TRACE(utf8(name));
        focus(name);
        ScreenPixels seen;
        EXPECT_TRUE(wintest::waitFor([&] { return showsPicture(seen = gui.screenPixels(ids::DwgThumbnail1)); }, 10s))
            << "no picture: " << seen.nonWhite << " of " << seen.total << " pixels are not white";
    };
    auto expectEmpty = [&](const wchar_t* name) {
        SCOPED_TRACE(utf8(name));
        focus(name);
        ScreenPixels seen;
        EXPECT_TRUE(wintest::waitFor([&] { return (seen = gui.screenPixels(ids::DwgThumbnail1)).nonWhite == 0; }, 10s))
            << "not empty: " << seen.nonWhite << " of " << seen.total << " pixels are not white";
        // Nor does the last drawing's picture turn up late.
        Sleep(500);
        EXPECT_EQ(gui.screenPixels(ids::DwgThumbnail1).nonWhite, 0u);
    };
    EXPECT_EQ(gui.screenPixels(ids::DwgThumbnail1).nonWhite, 0u) << "the box shows something before any row is focused";
    expectPicture(L"Ground Floor.dwg");
    expectEmpty(L"Survey.dwg");
    expectPicture(L"Site Plan.dwg");

    closeProgram(program, main);
}

// A tree whose search with sub-folders takes a while: 2,001 drawings in 1,101 folders.
class LongSearch {
public:
    explicit LongSearch(const wintest::TempFolder& scratch) : tree_(L"C:\\Quillon long search test") {
        tree_.drawing(L"Index.dwg", "AC1015");
        filled_ = tree_.startFilling(100, 10, 2, scratch);
    }
    const fs::path& root() const { return tree_.root(); }
    // The program's main window once it is ready and the tree is made; nullptr (a failure) otherwise.
    HWND startProgram(ProgramUnderTest& program) const {
        HWND main = program.waitUntilReady();
        if (!main) ADD_FAILURE() << "the program did not start";
        if (!filled_()) ADD_FAILURE() << "the tree was not made";
        return main && !::testing::Test::HasFailure() ? main : nullptr;
    }

private:
    DrawingTree tree_;
    std::function<bool()> filled_;
};

// The program on the long tree, its own folder listed, sub-folders not yet included.
class LongSearchEndToEnd : public SearchEndToEnd {
protected:
    std::optional<LongSearch> search;
    std::optional<ProgramUnderTest> program;
    HWND main = nullptr;
    std::optional<GuiDriver> gui;

    void SetUp() override {
        SearchEndToEnd::SetUp();
        search.emplace(scratch);
        program.emplace();
        main = search->startProgram(*program);
        ASSERT_NE(main, nullptr);
        gui.emplace(main, 10s);
        EXPECT_EQ(listFolder(*gui, search->root()), foundStatus(1));
    }
    void TearDown() override {
        if (main) closeProgram(*program, main);
        gui.reset();
        program.reset();
        search.reset();
        SearchEndToEnd::TearDown();
    }
};

// The item of the folder tree just below its root on the way to the selection: the computer, no folder.
HTREEITEM computerItem(HWND tree) {
    const auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    while (item) {
        const auto parent =
            reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
        if (parent == root) return item;
        item = parent;
    }
    return nullptr;
}

// Choosing an item of the tree that is no folder while a search runs: the
// search is dropped, nothing of it lands in the emptied list, and the texts
// no longer name its folder.
TEST_F(LongSearchEndToEnd, AVirtualItemChosenDuringASearchDropsItAndSaysNoFolderIsListed) {
    HWND tree = FindWindowExW(GetDlgItem(main, ids::FolderTreeBox), nullptr, L"SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr);
    const HTREEITEM computer = computerItem(tree);
    ASSERT_NE(computer, nullptr) << "no item below the tree's root";

    gui->setChecked(ids::SubfoldersBox, true);
    const auto started = std::chrono::steady_clock::now();
    while (gui->listCount() <= 1 && std::chrono::steady_clock::now() - started < 10s) Sleep(2);
    ASSERT_TRUE(gui->text(ids::Status).starts_with(L"Searching ... ")) << "the search ended too soon to test";
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(computer));

    EXPECT_EQ(gui->listCount(), 0);
    Sleep(500);
    EXPECT_EQ(gui->listCount(), 0) << "rows of the dropped search came in";
    EXPECT_EQ(gui->text(ids::FoundFilesLabel), L"No folder is listed.");
    EXPECT_EQ(gui->text(ids::Status),
              L"\r\nClick \"Select a Folder\" Button or use the Directroy list to Select your drawing's Folder.");
}

// The cursor the program shows, as its window's thread set it last; only
// comparable with other answers of the same program.
HCURSOR shownCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

// The busy cursor stays while the search runs, whatever the mouse does, and goes when it ends.
TEST_F(LongSearchEndToEnd, TheBusyCursorStaysForTheWholeSearch) {
    // The cursor shown is the foreground window's.
    SetForegroundWindow(main);
    HWND list = gui->control(ids::DrawingListBox);
    // What a mouse move over the list asks the window.
    auto moveOverList = [&] {
        SendMessageW(list, WM_SETCURSOR, reinterpret_cast<WPARAM>(list), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    moveOverList();
    const HCURSOR idle = shownCursor();

    gui->setChecked(ids::SubfoldersBox, true);
    const HCURSOR busy = shownCursor();
    ASSERT_TRUE(gui->text(ids::Status).starts_with(L"Searching ... ")) << "the search ended too soon to test";
    EXPECT_NE(busy, idle) << "no busy cursor when the search started";
    moveOverList();
    const HCURSOR afterMove = shownCursor();
    const bool stillRunning = gui->text(ids::Status).starts_with(L"Searching ... ");
    EXPECT_EQ(afterMove, busy) << "a mouse move took the busy cursor away";
    EXPECT_TRUE(stillRunning) << "the search ended too soon to test";

    ASSERT_TRUE(gui->waitForSearchEnd());
    moveOverList();
    EXPECT_EQ(shownCursor(), idle) << "the busy cursor stayed after the search";
}

}  // namespace
}  // namespace quillon::e2e
