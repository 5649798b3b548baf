#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "base/FileSystem.h"

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

}  // namespace quillon::plotting
