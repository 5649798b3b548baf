#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <functional>
#include <vector>

#include "discovery/DrawingSearch.h"
#include "discovery/RowTexts.h"
#include "discovery/SearchRunner.h"
#include "plotting/job/JobDrawings.h"

namespace quillon::discovery {
namespace {

using base::DirEntry;
using base::FolderIdentity;

DirEntry file(std::string name, std::uint64_t size = 2048) {
    DirEntry e;
    e.name = std::move(name);
    e.size = size;
    e.lastWriteTime = fileTimeFromUtc({2024, 3, 5, 13, 4, 5});
    return e;
}

DirEntry folder(std::string name) {
    DirEntry e;
    e.name = std::move(name);
    e.isDirectory = true;
    return e;
}

template <class T>
T with(T entry, bool T::*flag) {
    entry.*flag = true;
    return entry;
}

// A folder tree in memory; every folder has its own identity unless told otherwise.
class MemoryFileSystem : public base::FileSystem {
public:
    void add(const std::string& path, std::vector<DirEntry> entries) {
        folders_[path] = std::move(entries);
        if (!identities_.count(path)) identities_[path] = FolderIdentity{1, identities_.size() + 1};
    }
    void sameFolderAs(const std::string& path, const std::string& original) {
        identities_[path] = identities_[original];
    }

    std::optional<std::vector<DirEntry>> list(const std::string& path) override {
        listed.push_back(path);
        auto it = folders_.find(path);
        if (it == folders_.end()) return std::nullopt;
        return it->second;
    }
    std::optional<FolderIdentity> identity(const std::string& path) override {
        auto it = identities_.find(path);
        if (it == identities_.end()) return std::nullopt;
        return it->second;
    }
    bool fileExists(const std::string&) override { return false; }

    std::vector<std::string> listed;

private:
    std::map<std::string, std::vector<DirEntry>> folders_;
    std::map<std::string, FolderIdentity> identities_;
};

struct Recorder : SearchSink {
    std::vector<DrawingRow> rows;
    std::vector<std::string> statuses;
    std::vector<std::string> labels;
    std::function<void()> onRow;
    void addRow(DrawingRow row) override {
        rows.push_back(std::move(row));
        if (onRow) onRow();
    }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setLabel(const std::string& text) override { labels.push_back(text); }
    std::vector<std::string> paths() const {
        std::vector<std::string> out;
        for (const auto& r : rows) out.push_back(r.fullPath());
        return out;
    }
};

class DrawingSearchTest : public ::testing::Test {
protected:
    MemoryFileSystem fs;
    FixedNumberFormatter numbers;
    FixedDateTimeFormatter dates;
    FixedFileTypeNames types;
    SearchServices services{fs, numbers, dates, types};
    RowTexts texts{services};
    Recorder sink;
    std::atomic<bool> stop{false};

    SearchSummary search(const std::string& root, bool subfolders) {
        return DrawingSearch(services, sink, stop).run({root, "*.DWG", subfolders});
    }

    // C:\Jobs with files, a sub-folder tree, and folders the rules leave out.
    void jobsTree() {
        fs.add("C:\\Jobs\\", {folder("Site"), file("b.dwg"), folder("Rev.2"), file("a.DWG"), folder("Arch")});
        fs.add("C:\\Jobs\\Site\\", {file("s1.dwg"), folder("Deep")});
        fs.add("C:\\Jobs\\Site\\Deep\\", {file("d.dwg")});
        fs.add("C:\\Jobs\\Rev.2\\", {file("never.dwg")});
        fs.add("C:\\Jobs\\Arch\\", {file("arch.dwg")});
    }
};

TEST_F(DrawingSearchTest, FilesOfAFolderComeBeforeItsSubfoldersWhichGoDepthFirst) {
    jobsTree();
    const auto summary = search("C:\\Jobs", true);
    EXPECT_EQ(sink.paths(), (std::vector<std::string>{"C:\\Jobs\\b.dwg", "C:\\Jobs\\a.DWG", "C:\\Jobs\\Site\\s1.dwg",
                                                      "C:\\Jobs\\Site\\Deep\\d.dwg", "C:\\Jobs\\Arch\\arch.dwg"}));
    EXPECT_EQ(summary.rows, 5u);
    EXPECT_FALSE(summary.stopped);
}

TEST_F(DrawingSearchTest, WithoutSubfoldersOnlyTheFolderItselfIsRead) {
    jobsTree();
    search("C:\\Jobs\\", false);
    EXPECT_EQ(sink.paths(), (std::vector<std::string>{"C:\\Jobs\\b.dwg", "C:\\Jobs\\a.DWG"}));
    EXPECT_EQ(fs.listed, (std::vector<std::string>{"C:\\Jobs\\"}));
}

TEST_F(DrawingSearchTest, RowsKeepTheListingsSizeAndTimeAndShowTheFiveTexts) {
    fs.add("C:\\", {file("Plan.dwg", 1536)});
    search("C:\\", false);
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0], (DrawingRow{"Plan.dwg", "C:\\", "DWG File", 1536, file("").lastWriteTime}));
    std::vector<std::string> shown;
    for (int column = 0; column < ColumnCount; ++column) shown.push_back(sink.rows[0].text(column, texts));
    EXPECT_EQ(shown, (std::vector<std::string>{"Plan.dwg", "C:\\", "DWG File", "1.5 KB", "05/03/2024 13:04:05"}));
    const DrawingRow gone{"Gone.dwg", "C:\\", "DWG File", std::nullopt, std::nullopt};
    EXPECT_EQ(gone.text(static_cast<int>(Column::Date), texts), "") << "a drawing that is not there shows no date";
}

// A large store's rows would otherwise each carry a copy of their folder's
// text; sharing it must not change what a row shows or how rows compare.
TEST_F(DrawingSearchTest, RowsOfAFolderShareItsTextAndStillReadAndCompareByText) {
    jobsTree();
    search("C:\\Jobs", true);
    ASSERT_EQ(sink.rows.size(), 5u);
    EXPECT_EQ(&sink.rows[0].folder.str(), &sink.rows[1].folder.str()) << "b.dwg and a.DWG are of one folder";
    EXPECT_EQ(sink.rows[2].text(static_cast<int>(Column::Path), texts), "C:\\Jobs\\Site\\");
    EXPECT_EQ(sink.rows[3].fullPath(), "C:\\Jobs\\Site\\Deep\\d.dwg");
    EXPECT_EQ(sink.rows[1], (DrawingRow{"a.DWG", std::string("C:\\Jobs\\"), "DWG File", 2048, file("").lastWriteTime}))
        << "a row made on its own equals the found one";
    EXPECT_NE(sink.rows[0], sink.rows[1]);
    const DrawingRow kept = sink.rows[0];
    sink.rows.clear();
    EXPECT_EQ(kept.fullPath(), "C:\\Jobs\\b.dwg") << "a row keeps its folder text when the others are gone";
    EXPECT_EQ(DrawingRow{}.text(static_cast<int>(Column::Path), texts), "");
}

TEST_F(DrawingSearchTest, OnlyOrdinaryFilesWhoseOwnNameEndsInDwgAreListed) {
    fs.add("C:\\D\\", {file("plan.dwg"), file("plan.dwgbak"), file("PLAN~1.DWG.txt"),
                       with(file("h.dwg"), &DirEntry::hidden), with(file("s.dwg"), &DirEntry::system),
                       folder("folder.dwg"), file("Ünïcødé 図面.Dwg"), file("noext"), file(".dwg")});
    search("C:\\D", false);
    std::vector<std::string> names;
    for (const auto& r : sink.rows) names.push_back(r.name);
    EXPECT_EQ(names, (std::vector<std::string>{"plan.dwg", "Ünïcødé 図面.Dwg", ".dwg"}));
}

TEST_F(DrawingSearchTest, SubfoldersWithDotsLinksOrHiddenFlagsAreNotEntered) {
    fs.add("C:\\P\\", {folder("Rev.2"), folder("Rev2"), with(folder("Link"), &DirEntry::isReparsePoint),
                       with(folder("Hidden"), &DirEntry::hidden), with(folder("Sys"), &DirEntry::system),
                       folder(".git"), file("README")});
    for (const char* sub : {"Rev.2", "Rev2", "Link", "Hidden", "Sys", ".git", "README"})
        fs.add(std::string("C:\\P\\") + sub + "\\", {file("x.dwg")});
    search("C:\\P", true);
    EXPECT_EQ(fs.listed, (std::vector<std::string>{"C:\\P\\", "C:\\P\\Rev2\\"}));
    EXPECT_EQ(sink.paths(), (std::vector<std::string>{"C:\\P\\Rev2\\x.dwg"}));
}

TEST_F(DrawingSearchTest, AFolderReachedAgainByAnotherPathIsNotSearchedTwice) {
    // A mounted folder that is no reparse point in its listing, leading back to the top.
    fs.add("C:\\Top\\", {file("t.dwg"), folder("Mount"), folder("Again")});
    fs.add("C:\\Top\\Mount\\", {file("m.dwg"), folder("Loop")});
    fs.add("C:\\Top\\Mount\\Loop\\", {file("t.dwg"), folder("Mount")});
    fs.sameFolderAs("C:\\Top\\Mount\\Loop\\", "C:\\Top\\");
    fs.add("C:\\Top\\Again\\", {file("m.dwg")});
    fs.sameFolderAs("C:\\Top\\Again\\", "C:\\Top\\Mount\\");
    search("C:\\Top", true);
    EXPECT_EQ(sink.paths(), (std::vector<std::string>{"C:\\Top\\t.dwg", "C:\\Top\\Mount\\m.dwg"}));
}

TEST_F(DrawingSearchTest, StatusNamesEachFolderThenTheEndTextsNameTheSearchedFolder) {
    jobsTree();
    search("C:\\Jobs", true);
    const std::vector<std::string> expected = {"Searching ... C:\\Jobs\\\rPress Cancel to stop search.",
                                               "Searching ... C:\\Jobs\\Site\\\rPress Cancel to stop search.",
                                               "Searching ... C:\\Jobs\\Site\\Deep\\\rPress Cancel to stop search.",
                                               "Searching ... C:\\Jobs\\Arch\\\rPress Cancel to stop search.",
                                               "",
                                               "5  Files Found  "};
    EXPECT_EQ(sink.statuses, expected);
    EXPECT_EQ(sink.labels, (std::vector<std::string>{"Found following files in C:\\Jobs Use shift key to select "
                                                     "multiple files and right click to get more options"}));
}

TEST_F(DrawingSearchTest, AFolderThatCannotBeListedEndsWithNoFilesFound) {
    const auto summary = search("Z:\\Gone", true);
    EXPECT_EQ(summary.rows, 0u);
    EXPECT_EQ(sink.labels, (std::vector<std::string>{"No Files Found. Try Again"}));
    EXPECT_EQ(sink.statuses.back(), "No Files Found. Try Again");
}

// An access-denied folder lists nothing: the search passes over it and goes on with the folders after it.
TEST_F(DrawingSearchTest, ASubfolderThatCannotBeListedIsPassedOver) {
    fs.add("C:\\Jobs\\", {folder("Locked"), file("b.dwg"), folder("Arch")});
    fs.add("C:\\Jobs\\Arch\\", {file("arch.dwg")});
    const auto summary = search("C:\\Jobs", true);
    EXPECT_EQ(sink.paths(), (std::vector<std::string>{"C:\\Jobs\\b.dwg", "C:\\Jobs\\Arch\\arch.dwg"}));
    EXPECT_EQ(fs.listed, (std::vector<std::string>{"C:\\Jobs\\", "C:\\Jobs\\Locked\\", "C:\\Jobs\\Arch\\"}));
    EXPECT_TRUE(summary.failure.empty());
    EXPECT_EQ(sink.statuses.back(), "2  Files Found  ");
}

TEST_F(DrawingSearchTest, StopEndsTheWholeSearchAfterTheFileInHand) {
    fs.add("C:\\S\\", {folder("A"), folder("B")});
    fs.add("C:\\S\\A\\", {file("1.dwg"), file("2.dwg"), file("3.dwg")});
    fs.add("C:\\S\\B\\", {file("4.dwg")});
    sink.onRow = [&] {
        if (sink.rows.size() == 2) stop = true;
    };
    const auto summary = search("C:\\S", true);
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(sink.paths(), (std::vector<std::string>{"C:\\S\\A\\1.dwg", "C:\\S\\A\\2.dwg"}));
    EXPECT_EQ(fs.listed.size(), 2u);
    EXPECT_EQ(sink.statuses.back(), "2  Files Found  ");
}

// A file system whose listings wait until the test lets them go.
class GatedFileSystem : public MemoryFileSystem {
public:
    std::optional<std::vector<DirEntry>> list(const std::string& path) override {
        if (path == failing_) throw std::runtime_error("the share went away");
        if (gate_ && gate_(path)) return MemoryFileSystem::list(path);
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return open_; });
        return MemoryFileSystem::list(path);
    }
    void waitForListing(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return waiting_ >= count; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void close() {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    void failOn(std::string path) { failing_ = std::move(path); }
    // Listings for which pass answers true go through without waiting.
    void letThrough(std::function<bool(const std::string&)> pass) { gate_ = std::move(pass); }

private:
    std::string failing_;
    std::function<bool(const std::string&)> gate_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool open_ = false;
};

// Lets every listing through except the one of folder, which waits for open.
class FileSystemGate {
public:
    FileSystemGate(GatedFileSystem& fs, std::string folder) : fs_(fs) {
        fs_.letThrough([folder = std::move(folder)](const std::string& path) { return path != folder; });
    }
    bool waitUntilReached() {
        fs_.waitForListing(1);
        return true;
    }
    void open() { fs_.open(); }

private:
    GatedFileSystem& fs_;
};

class SearchRunnerTest : public ::testing::Test {
protected:
    GatedFileSystem fs;
    FixedNumberFormatter numbers;
    FixedDateTimeFormatter dates;
    FixedFileTypeNames types;
    std::atomic<int> wakes{0};
    SearchRunner runner{SearchServices{fs, numbers, dates, types}, [this] { ++wakes; }};

    static std::vector<DrawingRow> rowsOf(const SearchUpdates& updates) {
        std::vector<DrawingRow> rows;
        for (const auto& batch : updates.batches) rows.insert(rows.end(), batch.begin(), batch.end());
        return rows;
    }

    // Collects updates the way the window would, until the search has ended.
    SearchUpdates collect() {
        SearchUpdates all;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!all.finished && std::chrono::steady_clock::now() < deadline) {
            auto u = runner.takeUpdates();
            for (auto& batch : u.batches) all.batches.push_back(std::move(batch));
            if (u.status) all.status = u.status;
            if (u.label) all.label = u.label;
            if (u.finished) all.finished = u.finished;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return all;
    }
};

TEST_F(SearchRunnerTest, DeliversRowsAndTheEndThroughTheMailbox) {
    fs.add("C:\\R\\", {file("a.dwg"), file("b.dwg")});
    fs.open();
    runner.start({"C:\\R", "*.DWG", false});
    EXPECT_TRUE(runner.running());
    const auto all = collect();
    ASSERT_TRUE(all.finished);
    EXPECT_EQ(rowsOf(all).size(), 2u);
    EXPECT_EQ(all.status, "2  Files Found  ");
    EXPECT_FALSE(runner.running());
    EXPECT_GE(wakes.load(), 1);
}

TEST_F(SearchRunnerTest, ANewSearchDropsWhatTheOldOneStillProduces) {
    fs.add("C:\\Old\\", {file("old.dwg")});
    fs.add("C:\\New\\", {file("new.dwg")});
    runner.start({"C:\\Old", "*.DWG", false});
    fs.waitForListing(1);
    runner.start({"C:\\New", "*.DWG", false});
    fs.waitForListing(2);
    fs.open();
    const auto all = collect();
    ASSERT_EQ(rowsOf(all).size(), 1u);
    EXPECT_EQ(rowsOf(all)[0].name, "new.dwg");
}

TEST_F(SearchRunnerTest, StopWhileAFolderIsBeingReadEndsTheSearch) {
    fs.add("C:\\Big\\", {file("1.dwg"), file("2.dwg"), folder("Sub")});
    fs.add("C:\\Big\\Sub\\", {file("3.dwg")});
    runner.start({"C:\\Big", "*.DWG", true});
    fs.waitForListing(1);
    runner.requestStop();
    fs.open();
    const auto all = collect();
    ASSERT_TRUE(all.finished);
    EXPECT_TRUE(all.finished->stopped);
    EXPECT_EQ(rowsOf(all).size(), 1u);
}

// The rows of the first folder show while the search is still in the next one.
TEST_F(SearchRunnerTest, TheFirstFoldersRowsArriveBeforeTheSearchGoesOn) {
    fs.add("C:\\First\\", {file("a.dwg"), file("b.dwg"), folder("Slow")});
    fs.add("C:\\First\\Slow\\", {file("c.dwg")});
    FileSystemGate gate(fs, "C:\\First\\Slow\\");
    runner.start({"C:\\First", "*.DWG", true});
    ASSERT_TRUE(gate.waitUntilReached());
    EXPECT_GE(wakes.load(), 1) << "the window was not woken for the first rows";
    const auto early = runner.takeUpdates();
    EXPECT_EQ(rowsOf(early).size(), 2u);
    EXPECT_FALSE(early.finished);
    gate.open();
    const auto rest = collect();
    ASSERT_TRUE(rest.finished);
    ASSERT_EQ(rowsOf(rest).size(), 1u);
    EXPECT_EQ(rowsOf(rest)[0].name, "c.dwg");
}

// The worker leaves its rows in the mailbox in the batches it handed over;
// however many have piled up when the window looks, they come whole and in
// the search's order, folders of more rows than one hand-over holds included.
TEST_F(SearchRunnerTest, RowsPiledUpInTheMailboxComeWholeAndInOrder) {
    std::vector<DirEntry> top;
    std::vector<std::string> expected;
    for (int f = 0; f < 12; ++f) {
        const std::string name = "F" + std::to_string(f);
        top.push_back(folder(name));
        std::vector<DirEntry> files;
        for (int i = 0; i < f * 50; ++i) {
            files.push_back(file("d" + std::to_string(i) + ".dwg"));
            expected.push_back("C:\\Big\\" + name + "\\d" + std::to_string(i) + ".dwg");
        }
        fs.add("C:\\Big\\" + name + "\\", files);
    }
    top.push_back(folder("Slow"));
    fs.add("C:\\Big\\", top);
    fs.add("C:\\Big\\Slow\\", {file("last.dwg")});
    FileSystemGate gate(fs, "C:\\Big\\Slow\\");
    runner.start({"C:\\Big", "*.DWG", true});
    ASSERT_TRUE(gate.waitUntilReached());
    const auto piled = runner.takeUpdates();
    std::vector<std::string> paths;
    for (const auto& row : rowsOf(piled)) paths.push_back(row.fullPath());
    EXPECT_EQ(paths, expected);
    gate.open();
    const auto rest = collect();
    ASSERT_TRUE(rest.finished);
    ASSERT_EQ(rowsOf(rest).size(), 1u);
    EXPECT_EQ(rowsOf(rest)[0].name, "last.dwg");
    EXPECT_EQ(rest.finished->rows, expected.size() + 1);
}

TEST_F(SearchRunnerTest, ASearchThatFailsSaysSoInStatusAndEnds) {
    fs.add("C:\\F\\", {file("a.dwg"), folder("Bad")});
    fs.failOn("C:\\F\\Bad\\");
    fs.open();
    runner.start({"C:\\F", "*.DWG", true});
    const auto all = collect();
    ASSERT_TRUE(all.finished);
    EXPECT_EQ(all.finished->failure, "the share went away");
    EXPECT_EQ(all.status, "\r\nThe search could not go on: the share went away");
    EXPECT_EQ(rowsOf(all).size(), 1u);
    EXPECT_FALSE(runner.running());
}

// A virtual item chosen in the folder tree: nothing more of the search arrives.
TEST_F(SearchRunnerTest, AnAbandonedSearchDeliversNothingMore) {
    fs.add("C:\\A\\", {file("a.dwg"), folder("Sub")});
    fs.add("C:\\A\\Sub\\", {file("b.dwg")});
    runner.start({"C:\\A", "*.DWG", true});
    fs.waitForListing(1);
    runner.abandon();
    EXPECT_FALSE(runner.running());
    fs.open();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(runner.takeUpdates().empty());
}

// A job's drawings are looked at on the search's worker: a listing asked for after it drops all it would
// still deliver, and Stop ends the look unfinished (no run may start over it).
TEST_F(SearchRunnerTest, AJobsDrawingsAreListedOnTheWorkerWhereStopAndTheNextListingReachThem) {
    fs.add("C:\\J", {file("a.dwg")});
    fs.add("C:\\K", {file("b.dwg")});
    fs.add("C:\\New\\", {file("new.dwg")});
    const auto jobListing = [](const SearchServices& services, SearchSink& sink, const std::atomic<bool>& stop) {
        return plotting::listJobDrawings(services, sink, {"C:/J/a.dwg", "C:\\K\\b.dwg"}, stop);
    };
    runner.start(jobListing);
    fs.waitForListing(1);
    runner.start({"C:\\New", "*.DWG", false});
    fs.waitForListing(2);
    fs.open();
    auto all = collect();
    ASSERT_EQ(rowsOf(all).size(), 1u);
    EXPECT_EQ(rowsOf(all)[0].name, "new.dwg");

    fs.close();
    runner.start(jobListing);
    fs.waitForListing(3);
    runner.requestStop();
    fs.open();
    all = collect();
    ASSERT_TRUE(all.finished && all.finished->stopped);
    ASSERT_EQ(rowsOf(all).size(), 2u);
    EXPECT_EQ(std::tuple(rowsOf(all)[0].bytes.has_value(), rowsOf(all)[1].bytes.has_value()), std::tuple(true, false))
        << "the folder in hand was read, the next was not";
}

}  // namespace
}  // namespace quillon::discovery
