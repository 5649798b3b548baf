#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "autocad/CadConnection.h"
#include "base/FileSystem.h"
#include "plotting/xref/FileFinder.h"
#include "plotting/xref/ReferenceUse.h"

namespace quillon::plotting {

// ReloadXrefs: repairs the external references of a drawing whose file the
// application could not load, by finding the file near the drawing's own
// folder, and reloads them.
class XrefReloader {
public:
    XrefReloader(autocad::CadConnection& connection, base::FileSystem& files, const std::atomic<bool>& stopRequested)
        : connection_(connection), files_(files), finder_(files, stopRequested) {}

    // True when it ran to its end. Once the first reference is met every
    // failure is passed over; before that (a drawing without references)
    // failures propagate. A dead application always propagates.
    bool reloadXrefs(autocad::CadDocument& document);
    // The same for whatever document is active.
    bool reloadXrefs();
    // What a reload that met no reference ends with, for a drawing known to have none: the active viewport
    // zoomed to the extents and the document regenerated. Failures propagate.
    void settleView(autocad::CadDocument& document);

    FileFinder& finder() { return finder_; }
    // The stored paths of the references the last call left unloaded: repaired nowhere, or still not loading.
    const std::vector<std::string>& stillMissing() const { return stillMissing_; }
    // The references the last call pointed at another file that loads: each stored path with the file it uses now.
    const std::vector<std::pair<std::string, std::string>>& repointed() const { return repointed_; }
    // Every reference the last call met, as it left them: what the drawing's sheets are drawn from.
    const std::vector<ReferenceUse>& references() const { return references_; }

private:
    static void settle(autocad::CadApplication& app, autocad::CadDocument& document);
    // Works on one reference; every failure inside is passed over.
    void repair(autocad::CadBlocks& blocks, autocad::CadBlock& reference, const std::string& drawingFolder);
    bool reRoot(autocad::CadBlock& reference, const std::string& drawingFolder, const std::string& storedPath);
    bool searchUpwards(autocad::CadBlocks& blocks, autocad::CadBlock& reference, const std::string& drawingFolder,
                       const std::string& storedPath);

    autocad::CadConnection& connection_;
    base::FileSystem& files_;
    FileFinder finder_;
    // Components the upward search has walked in this call, shared by all its references.
    int componentsWalked_ = 0;
    std::vector<std::string> stillMissing_;
    std::vector<std::pair<std::string, std::string>> repointed_;
    std::vector<ReferenceUse> references_;
};

}  // namespace quillon::plotting
