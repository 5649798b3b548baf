#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "CadTestFakes.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "base/StdFileSystem.h"
#include "plotting/xref/FileFinder.h"
#include "plotting/xref/XrefPaths.h"
#include "plotting/xref/XrefReloader.h"

namespace quillon::plotting {
namespace {

using automation::AutomationError;
using automation::ObjectPtr;
using automation::Value;
using nlohmann::json;
using standin::testing::TempFolder;
namespace fs = std::filesystem;

// The real file system, fenced in to the test's folder: an upward search that
// walks past it (up to "/") finds nothing instead of searching the machine.
class FencedFileSystem : public base::FileSystem {
public:
    explicit FencedFileSystem(std::string fence) : fence_(std::move(fence)) {}
    std::vector<std::string> listed;

    std::optional<std::vector<base::DirEntry>> list(const std::string& folder) override {
        if (folder.rfind(fence_, 0) != 0) return std::nullopt;
        listed.push_back(folder);
        return real_.list(folder);
    }
    std::optional<base::FolderIdentity> identity(const std::string& folder) override { return real_.identity(folder); }
    bool fileExists(const std::string& path) override { return real_.fileExists(path); }

private:
    std::string fence_;
    base::StdFileSystem real_;
};

using quillon::testing::EngineLauncher;
using quillon::testing::SilentUi;

TEST(XrefPaths, ReRootingCutsTheDrawingFolderAtSharedComponents) {
    EXPECT_EQ(reRootingCandidates("C:\\Jobs\\J12\\Plans", "D:\\Old\\J12\\Refs\\site.dwg"),
              std::vector<std::string>{"C:\\Jobs\\J12\\Refs\\site.dwg"});
    // Components of two characters or fewer never cut; nor does one found only at the folder's start.
    EXPECT_TRUE(reRootingCandidates("C:\\Jobs\\AB\\Plans", "D:\\AB\\x.dwg").empty());
    EXPECT_TRUE(reRootingCandidates("Jobs\\Plans", "D:\\Jobs\\x.dwg").empty());
    EXPECT_EQ(reRootingCandidates("C:\\Jobs\\J12\\Plans", "D:\\Jobs\\J12\\x.dwg"),
              (std::vector<std::string>{"C:\\Jobs\\J12\\x.dwg", "C:\\Jobs\\J12\\x.dwg"}));
}

TEST(XrefPaths, UpwardSearchStartsBelowTheDriveOrTheNetworkRoot) {
    EXPECT_EQ(upwardComponents("C:\\Jobs\\J12\\Plans"), (std::vector<std::string>{"", "Jobs", "J12", "Plans"}));
    EXPECT_EQ(upwardComponents("\\\\server\\share\\Jobs"), (std::vector<std::string>{"", "server", "share", "Jobs"}));
    EXPECT_TRUE(upwardComponents("Jobs\\Plans").empty());
    EXPECT_EQ(upwardSearchRoot("C:\\Jobs\\J12\\Plans", "J12"), "C:\\Jobs\\");
    EXPECT_EQ(upwardSearchRoot("C:\\Jobs\\v1.2\\Plans", "v1.2"), std::nullopt) << "a dot disqualifies";
    EXPECT_EQ(upwardSearchRoot("C:\\Jobs\\AB\\Plans", "AB"), std::nullopt);
    EXPECT_EQ(referenceFileName("D:\\Old\\site.dwg"), "site.dwg");
    EXPECT_EQ(referenceFileName("site.dwg"), "site.dwg");
}

class XrefSearch : public ::testing::Test {
protected:
    TempFolder dir;
    FencedFileSystem files{dir.path()};
    std::atomic<bool> stop{false};
    FileFinder finder{files, stop};
};

TEST_F(XrefSearch, FindsTheExactNameListingAFoldersFilesBeforeItsSubfolders) {
    dir.file("a/b/site.dwg");
    const std::string shallow = dir.file("a/site.dwg");
    const std::string grid = dir.file("a/Grid.dwg");

    EXPECT_EQ(finder.findFile(dir.path(), "site.dwg"), shallow);
    EXPECT_TRUE(finder.xrefGet());
    EXPECT_EQ(finder.findFile(dir.path(), "site.dwg"), "") << "XrefGet set: no further searching";

    finder.clearXrefGet();
    EXPECT_EQ(finder.findFile(dir.path(), "grid.dwg"), grid) << "names compare as Windows compares them";
    finder.clearXrefGet();
    EXPECT_EQ(finder.findFile(dir.at("absent"), "site.dwg"), "not Found");
}

TEST_F(XrefSearch, OfFilesOfTheNameTheOneInTheStoredPathsFoldersIsTaken) {
    dir.file("Jobs/J12/Refs/site.dwg");  // another project's
    const std::string right = dir.file("Jobs/Refs2/x/site.dwg");
    finder.preferFoldersOf("D:\\Old\\Refs2\\x\\site.dwg");
    EXPECT_EQ(finder.findFile(dir.at("Jobs"), "site.dwg"), right);
    finder.clearXrefGet();
    finder.preferFoldersOf("E:\\Refs\\site.dwg");
    EXPECT_EQ(finder.findFile(dir.at("Jobs"), "site.dwg"), dir.at("Jobs/J12/Refs/site.dwg"));
}

TEST_F(XrefSearch, NeverFollowsALinkSoALoopBackToAnAncestorEnds) {
    dir.folder("root/a");
    fs::create_directory_symlink(dir.at("root"), dir.at("root/a/loop"));
    fs::create_directory_symlink(dir.at("elsewhere"), dir.at("root/outside"));
    dir.file("elsewhere/site.dwg");

    EXPECT_EQ(finder.findFile(dir.at("root"), "site.dwg"), "not Found");
    EXPECT_EQ(files.listed.size(), 2u) << "root and root/a, each once";
}

TEST_F(XrefSearch, ListsAFolderReachedTwiceOnlyOnce) {
    // "b" is "a" mounted a second time: no link, but the same folder.
    class MountedTwice : public FencedFileSystem {
    public:
        using FencedFileSystem::FencedFileSystem;
        std::optional<base::FolderIdentity> identity(const std::string& folder) override {
            std::string same = folder;
            if (const auto at = same.rfind("/b/"); at != std::string::npos) same.replace(at, 3, "/a/");
            return FencedFileSystem::identity(same);
        }
    } mounted{dir.path()};
    dir.folder("a");
    dir.folder("b");
    FileFinder once{mounted, stop};
    EXPECT_EQ(once.findFile(dir.path(), "site.dwg"), "not Found");
    EXPECT_EQ(mounted.listed.size(), 2u) << "the root and one of a and b";
}

TEST_F(XrefSearch, GivesUpWhenStopIsPressed) {
    dir.file("a/site.dwg");
    stop = true;
    EXPECT_EQ(finder.findFile(dir.path(), "site.dwg"), "not Found");
    EXPECT_TRUE(files.listed.empty());
}

TEST_F(XrefSearch, StopPressedHalfWayThroughALargeTreeEndsTheWalkAtTheNextFolder) {
    for (int i = 0; i < 40; ++i) dir.folder("tree/f" + std::to_string(i));
    // The window's thread presses Stop while the CAD thread walks: here, once ten folders are listed.
    class PressingStop : public FencedFileSystem {
    public:
        PressingStop(std::string fence, std::atomic<bool>& stop) : FencedFileSystem(std::move(fence)), stop_(stop) {}
        std::optional<std::vector<base::DirEntry>> list(const std::string& folder) override {
            if (listed.size() == 9) stop_ = true;
            return FencedFileSystem::list(folder);
        }

    private:
        std::atomic<bool>& stop_;
    } pressing{dir.path(), stop};
    FileFinder walker{pressing, stop};
    EXPECT_EQ(walker.findFile(dir.path(), "site.dwg"), "not Found");
    EXPECT_EQ(pressing.listed.size(), 10u) << "the walk went on after Stop";
}

// A host drawing opened in the stand-in, with its references described by the scenario.
class XrefReload : public ::testing::Test {
protected:
    TempFolder dir;
    FencedFileSystem files{dir.path()};
    std::atomic<bool> stop{false};
    EngineLauncher launcher;
    SilentUi ui;
    autocad::CadConnection connection{launcher, ui};
    XrefReloader reloader{connection, files, stop};
    std::shared_ptr<standin::Engine> engine;

    autocad::CadDocument openHost(const std::string& host, const json& xrefs, const json& faults = nullptr,
                                  json scenario = json::object()) {
        scenario["drawings"] = {{{"file", host}, {"xrefs", xrefs}}};
        if (!faults.is_null()) scenario["faults"] = faults;
        engine = standin::Engine::fromJson(scenario.dump(), dir.path());
        launcher.application = engine->application();
        connection.connectAutoCAD();
        return connection.app().documents().open(dir.file(host, "drawing"), true);
    }
    // The paths written to references, in order.
    std::vector<std::string> pathsSet() const {
        std::vector<std::string> out;
        for (const auto& a : standin::accessesIn(engine->journal()))
            if (a.member == "Path" && a.kind == "put") out.push_back(a.args[0].get<std::string>());
        return out;
    }
    int callsOf(const std::string& member) const {
        int n = 0;
        for (const auto& a : standin::accessesIn(engine->journal())) n += a.member == member;
        return n;
    }
    bool loaded(const char* name) {
        auto block = connection.app().activeDocument().blocks().item(name);
        try {
            block.xrefModelSpaceCount();
            return true;
        } catch (const AutomationError&) {
            return false;
        }
    }
};

TEST_F(XrefReload, ReRootsAMovedReferenceUnderTheFolderItSharesWithTheDrawing) {
    const std::string site = dir.file("Jobs/J12/Refs/site.dwg", "ref");
    openHost("Jobs/J12/Plans/Host.dwg", {{{"name", "SITE"}, {"path", "D:/Old/J12/Refs/site.dwg"}}});

    EXPECT_TRUE(reloader.reloadXrefs());
    EXPECT_EQ(pathsSet(), std::vector<std::string>{site});
    EXPECT_TRUE(loaded("SITE"));
    EXPECT_EQ(callsOf("Reload"), 2) << "once when re-rooted, once more at the end";
    EXPECT_TRUE(files.listed.empty()) << "no upward search after re-rooting";
}

TEST_F(XrefReload, SearchesUpwardsFromTheDrawingsParentWhenNothingReRoots) {
    dir.file("Jobs/Lib/grid.dwg", "ref");
    const std::string grid = dir.file("Jobs/J12/Other/grid.DWG", "the name in another case is the same file name");
    openHost("Jobs/J12/Plans/Host.dwg", {{{"name", "GRID"}, {"path", "E:/Gone/grid.dwg"}}});

    reloader.reloadXrefs();
    EXPECT_EQ(pathsSet(), std::vector<std::string>{grid});
    EXPECT_TRUE(loaded("GRID"));
    ASSERT_GE(files.listed.size(), 2u);
    EXPECT_EQ(files.listed.front(), dir.at("Jobs/J12/")) << "the parent of the drawing's folder first";
}

TEST_F(XrefReload, TwoReferencesShareTheLimitOfEightComponents) {
    // The first reference is found from Top/, reached at the fifth component
    // up; the second would need five more and stops at the ninth.
    dir.file("Top/Lib/far.dwg", "ref");
    dir.file("Top/Lib/far2.dwg", "ref");
    const char* host = "Top/Bone/Btwo/Bthree/Bfour/Plans/Host.dwg";
    openHost(host, {{{"name", "FAR"}, {"path", "E:/x/far.dwg"}}, {{"name", "FAR2"}, {"path", "E:/x/far2.dwg"}}});
    reloader.reloadXrefs();
    EXPECT_TRUE(loaded("FAR"));
    EXPECT_FALSE(loaded("FAR2"));

    // On its own, the second reference is found.
    openHost(host, {{{"name", "FAR2"}, {"path", "E:/x/far2.dwg"}}});
    reloader.reloadXrefs();
    EXPECT_TRUE(loaded("FAR2"));
}

TEST_F(XrefReload, LeavesLoadedReferencesAndOtherFailuresAlone) {
    dir.file("Jobs/Refs/ok.dwg", "ref");
    dir.file("Jobs/odd.dwg", "ref");
    openHost("Jobs/Plans/Host.dwg", {{{"name", "OK"}, {"path", dir.at("Jobs/Refs/ok.dwg")}}});
    EXPECT_TRUE(reloader.reloadXrefs());
    EXPECT_EQ(callsOf("Reload"), 0);

    // A reference whose database the application gives is loaded: failing past it leaves it alone.
    openHost("Jobs/Plans/Host.dwg", {{{"name", "ODD"}, {"path", dir.at("Jobs/odd.dwg")}}},
             {{"throws", {{{"object", "Database"}, {"member", "ModelSpace"}, {"description", "Locked"}}}}});
    EXPECT_TRUE(reloader.reloadXrefs());
    EXPECT_TRUE(pathsSet().empty());
    EXPECT_EQ(callsOf("Reload"), 0);
    EXPECT_TRUE(files.listed.empty());
}

TEST_F(XrefReload, FailuresPassUnnoticedOnceAReferenceIsMetAndPropagateWithoutOne) {
    openHost("Jobs/Plans/Host.dwg", {{{"name", "SITE"}, {"path", "E:/x/site.dwg"}}},
             {{"throws", {{{"member", "ZoomExtents"}}, {{"object", "Block"}, {"member", "Reload"}}}}});
    EXPECT_TRUE(reloader.reloadXrefs());

    openHost("Jobs/Plans/Host.dwg", json::array(), {{"throws", {{{"member", "ZoomExtents"}}}}});
    EXPECT_THROW(reloader.reloadXrefs(), AutomationError);
}

TEST_F(XrefReload, AReferenceIsRepairedWhateverTheApplicationsLanguageCallsItsMissingDatabase) {
    const std::string site = dir.file("Jobs/J12/Refs/site.dwg", "ref");
    auto host = openHost("Jobs/J12/Plans/Host.dwg", {{{"name", "SITE"}, {"path", "D:/Old/J12/Refs/site.dwg"}}},
                         nullptr, {{"xrefDatabaseError", "Keine Datenbank"}});
    EXPECT_TRUE(reloader.reloadXrefs(host));
    EXPECT_EQ(pathsSet(), std::vector<std::string>{site});
    EXPECT_TRUE(loaded("SITE"));
}

}  // namespace
}  // namespace quillon::plotting
