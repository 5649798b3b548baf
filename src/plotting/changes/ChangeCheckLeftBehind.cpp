#include <algorithm>
#include <utility>

#include "base/Paths.h"
#include "plotting/changes/ChangeCheck.h"

namespace quillon::plotting {

void ChangeCheck::setJob(JobScope job, LeftBehindSink sink) {
    std::lock_guard lock(mutex_);
    job_ = std::move(job);
    leftBehindSink_ = std::move(sink);
}

void ChangeCheck::reportLeftBehind(base::FileSystem& files) {
    std::vector<DrawingOutcome> gone;
    std::vector<std::pair<PlotKeyStore*, PlotKey>> forgotten;
    {
        std::lock_guard lock(mutex_);
        // A resume, a check or a part's further session tells nothing: the run that made the files did.
        if (leftBehindTold_ || !job_ || !leftBehindSink_ || setup_.purpose != RunPurpose::Plot ||
            !setup_.resumes.empty() || setup_.files.output != PlotOutput::File)
            return;
        leftBehindTold_ = true;
        std::vector<PlotKeyStore*> stores;
        if (!setup_.files.folder.empty()) stores.push_back(&storeOfFolder(files, setup_.files.folder));
        else
            for (const auto& [folded, folder] : job_->folders) stores.push_back(&storeOfFolder(files, folder + "\\"));
        for (PlotKeyStore* store : stores)
            for (const PlotKey* record : store->records()) {
                if (!record->whole || !job_->wasOfJob(record->drawing) || files.fileExists(record->drawing)) continue;
                DrawingOutcome outcome;
                outcome.kind = DrawingOutcome::Kind::UpToDate;
                outcome.gone = true;
                outcome.path = record->drawing;
                std::vector<SheetFileKey> left = record->sheets;
                left.insert(left.end(), record->obsolete.begin(), record->obsolete.end());
                for (const auto& sheet : left)
                    // Only the files Quillon wrote: one replaced since is the user's.
                    if (!sheet.combined && fileStateOf(files, sheet.file, sheet.key) == FileState::Same)
                        outcome.obsoleteFiles.emplace_back(sheet.layout, sheet.file);
                if (outcome.obsoleteFiles.empty()) continue;
                if (setup_.removeObsolete) {
                    outcome.obsoleteRemoved = true;
                    for (const auto& [layout, file] : outcome.obsoleteFiles)
                        outcome.obsoleteRemoved = files.removeFile(file) && outcome.obsoleteRemoved;
                    // Nothing is left to tell of it: its record goes too.
                    if (outcome.obsoleteRemoved) {
                        PlotKey none;
                        none.drawing = record->drawing;
                        none.plottedAtUtc = record->plottedAtUtc;
                        none.plottedAtLocal = record->plottedAtLocal;
                        none.whole = false;
                        forgotten.emplace_back(store, std::move(none));
                    }
                }
                gone.push_back(std::move(outcome));
            }
        for (auto& [store, none] : forgotten) store->add(files, none);
    }
    std::sort(gone.begin(), gone.end(),
              [](const DrawingOutcome& a, const DrawingOutcome& b) { return base::foldedPath(a.path) < base::foldedPath(b.path); });
    if (!gone.empty()) leftBehindSink_(gone);
}

}  // namespace quillon::plotting
