#include "plotting/xref/XrefReloader.h"

#include <optional>

#include "base/Paths.h"
#include "base/Swallowed.h"
#include "plotting/Tolerate.h"
#include "plotting/xref/XrefPaths.h"

namespace quillon::plotting {

using autocad::CadApplication;
using autocad::CadBlock;
using autocad::CadBlocks;
using autocad::RegenScope;
using automation::AutomationError;

namespace {

// The upward search walks at most this many folder components per call.
constexpr int ComponentLimit = 8;

void reloadByName(CadBlocks& blocks, CadBlock& reference) { blocks.item(reference.name()).reload(); }

}  // namespace

bool XrefReloader::reloadXrefs() {
    auto document = connection_.withApp([](CadApplication& app) { return app.activeDocument(); });
    return reloadXrefs(document);
}

bool XrefReloader::reloadXrefs(autocad::CadDocument& document) {
    return connection_.withApp([&](CadApplication& app) {
        const std::string drawingFolder = document.path();
        auto blocks = document.blocks();
        componentsWalked_ = 0;
        stillMissing_.clear();
        repointed_.clear();
        references_.clear();
        bool metReference = false;
        for (auto& block : blocks.items()) {
            bool isReference = false;
            if (metReference) {
                tolerate("a block that cannot say is not repaired", [&] { isReference = block.isXRef(); });
            } else {
                isReference = block.isXRef();
            }
            if (!isReference) continue;
            metReference = true;
            repair(blocks, block, drawingFolder);
        }
        if (metReference) {
            constexpr const char* shownAsIs = "the drawing is plotted as shown";
            tolerate(shownAsIs, [&] { app.zoomExtents(); });
            tolerate(shownAsIs, [&] { document.regen(RegenScope::AllViewports); });
            tolerate(shownAsIs, [&] { document.regen(RegenScope::ActiveViewport); });
        } else {
            settle(app, document);
        }
        return true;
    });
}

void XrefReloader::settleView(autocad::CadDocument& document) {
    connection_.withApp([&](CadApplication& app) { settle(app, document); });
}

void XrefReloader::settle(CadApplication& app, autocad::CadDocument& document) {
    app.zoomExtents();
    document.regen(RegenScope::AllViewports);
    document.regen(RegenScope::ActiveViewport);
}

void XrefReloader::repair(CadBlocks& blocks, CadBlock& reference, const std::string& drawingFolder) {
    ReferenceUse use;
    tolerate("a reference without a name is recorded without one", [&] { use.name = reference.name(); });
    std::optional<automation::ObjectPtr> database;
    try {
        database = reference.raw()->object("XRefDatabase");
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        base::swallowed(
            "the application publishes no text for this, and says it in its own language: a reference without a "
            "database is one it could not load");
    }
    if (database) {
        try {
            (*database)->object("ModelSpace")->get("Count");
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            base::swallowed("loaded, but not readable: left alone");
        }
        tolerate("a reference whose path cannot be read is recorded without one: its drawing's plot is then not "
                 "recorded whole, so it never passes for unchanged",
                 [&] { use.path = reference.path(); });
        use.loaded = true;
        references_.push_back(std::move(use));
        return;  // loaded: nothing to repair
    }
    std::string storedPath;
    tolerate("with no stored path there is nothing to re-root; the read below tells whether it loads",
             [&] { storedPath = reference.path(); });

    if (!reRoot(reference, drawingFolder, storedPath)) searchUpwards(blocks, reference, drawingFolder, storedPath);

    // Reloaded once more whatever happened, and read again so the
    // application settles the reference's state before plotting; a
    // reference still unreadable then was not found.
    tolerate("the read below tells whether it loaded", [&] { reloadByName(blocks, reference); });
    if (!tolerate("unreadable, it is reported missing", [&] { reference.xrefModelSpaceCount(); })) {
        stillMissing_.push_back(storedPath);
        use.path = storedPath;
        references_.push_back(std::move(use));
        return;
    }
    std::string now;
    if (tolerate("loaded, it needs no word of where from", [&] { now = reference.path(); }) && !now.empty() &&
        !base::samePath(now, storedPath))
        repointed_.push_back({storedPath, now});
    use.path = now.empty() ? storedPath : now;
    use.loaded = true;
    references_.push_back(std::move(use));
}

bool XrefReloader::reRoot(CadBlock& reference, const std::string& drawingFolder, const std::string& storedPath) {
    finder_.clearXrefGet();
    for (const auto& candidate : reRootingCandidates(drawingFolder, storedPath)) {
        if (!files_.fileExists(candidate)) continue;
        tolerate("the read after the repair tells whether it loaded", [&] { reference.setPath(candidate); });
        tolerate("the read after the repair tells whether it loaded", [&] { reference.reload(); });
        return true;
    }
    return false;
}

bool XrefReloader::searchUpwards(CadBlocks& blocks, CadBlock& reference, const std::string& drawingFolder,
                                 const std::string& storedPath) {
    const std::string fileName = referenceFileName(storedPath);
    const auto components = upwardComponents(drawingFolder);
    for (auto component = components.rbegin(); component != components.rend(); ++component) {
        ++componentsWalked_;
        if (componentsWalked_ > ComponentLimit || component->find(':') != std::string::npos) return false;
        const auto root = upwardSearchRoot(drawingFolder, *component);
        if (!root) continue;
        finder_.clearXrefGet();
        finder_.clearFoundFile();
        finder_.preferFoldersOf(storedPath);
        finder_.findFile(*root, fileName);
        const std::string& found = finder_.foundFile();
        if (characterCount(found) >= 3 && finder_.xrefGet() && files_.fileExists(found)) {
            tolerate("the read after the repair tells whether it loaded", [&] { reference.setPath(found); });
            tolerate("the read after the repair tells whether it loaded", [&] { reloadByName(blocks, reference); });
            return true;
        }
    }
    return false;
}

}  // namespace quillon::plotting
