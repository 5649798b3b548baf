#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "base/FileSystem.h"
#include "discovery/DrawingSearch.h"

namespace quillon::plotting {

// A job's listed drawings as the drawing list shows them: each path's folder
// (with its backslash) and its entry, spelt as the folder lists it; a drawing
// that is not there keeps the name the job gives it and no size or date, so
// the run reports it as not found. Paths are read with '/' or '\'. Each folder
// is listed once, however many of the job's drawings are in it (a folder on a
// dead share costs one timeout, not one per drawing); a stop ends the look at
// the next folder, the drawings left unlooked-at listed as not found.
std::vector<std::pair<std::string, base::DirEntry>> findJobDrawings(base::FileSystem& files,
                                                                    const std::vector<std::string>& paths,
                                                                    const std::atomic<bool>* stop = nullptr);

// The same as the drawing list's rows, for the search's worker (SearchRunner::Work): one row per
// drawing, then the found status. A stop ends the look as above; the summary says it was stopped,
// so that nothing is plotted over a listing that was not read to its end.
discovery::SearchSummary listJobDrawings(const discovery::SearchServices& services, discovery::SearchSink& sink,
                                         const std::vector<std::string>& paths, const std::atomic<bool>& stop);

}  // namespace quillon::plotting
