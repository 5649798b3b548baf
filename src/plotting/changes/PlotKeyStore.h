#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/FileSystem.h"
#include "plotting/changes/PlotKey.h"

namespace quillon::plotting {

// The plot records of one plot folder. Each workstation and job part writes
// a file of its own under the folder's hidden ".quillon\plotted\", appending
// one line per plot, so that several workstations plotting into one folder
// never write over one another; every file there is read, and a drawing's
// newest record stands. The record travels with the plot folder it
// describes. A file whose superseded lines outnumber its live ones is
// written afresh without them before it grows further, so its cost grows
// with the drawings, not with the nights.
class PlotKeyStore {
public:
    // plotFolder ends with its separator; ownFile is the name of the file this run writes.
    PlotKeyStore(base::FileSystem& files, std::string plotFolder, std::string ownFile);

    // The newest record of the drawing; nothing when there is none to trust.
    const PlotKey* latest(const std::string& drawing) const;
    // Whether a record of another drawing names the file as its sheet's: a file of another sheet of the job,
    // plotted here by this or another workstation, which a sheet named from its title block must not replace.
    bool heldByAnother(const std::string& file, const std::string& drawing) const;
    // Every drawing's newest record.
    std::vector<const PlotKey*> records() const;
    // Why a drawing without a record has none: it was never plotted here, or some record could not be read.
    std::string missingReason() const;
    // The newest record of a combined file; nothing when there is none.
    const CombinedFileKey* combined(const std::string& file) const;
    // The newest combined file that holds the drawing's sheets and no other drawing's; nothing when none does.
    const CombinedFileKey* combinedOf(const std::string& drawing) const;
    // Appends the key to this run's file; false when it could not be written.
    bool add(base::FileSystem& files, const PlotKey& key);
    bool add(base::FileSystem& files, const CombinedFileKey& key);

    // "<plot folder>\.quillon\plotted\"
    static std::string recordFolder(const std::string& plotFolder);
    static constexpr const char* FileExtension = ".txt";
    // The file a run of this workstation writes, for one part of a job ("part 2 of 4") or a whole run (""):
    // "<computer>.txt", "<computer> part 2 of 4.txt".
    static std::string ownFileName(const std::string& part);

private:
    template <typename Key>
    struct Held {
        Key key;
        // Whether the line came from this run's own file.
        bool own = false;
    };
    void read(base::FileSystem& files, const std::string& name);
    void take(PlotKey key, bool own);
    void take(CombinedFileKey key, bool own);
    bool append(base::FileSystem& files, const std::string& line);
    bool compactOwn(base::FileSystem& files);

    std::string plotFolder_;
    std::string folder_;
    std::string ownFile_;
    std::unordered_map<std::string, Held<PlotKey>> latest_;
    std::unordered_map<std::string, Held<CombinedFileKey>> combined_;
    std::unordered_map<std::string, std::string> ownerOf_;  // folded sheet file -> folded drawing
    std::unordered_map<std::string, std::string> combinedOf_;  // folded drawing -> folded file of its own combined file
    std::size_t ownLines_ = 0;
    std::size_t unreadable_ = 0;
    std::string unreadableWhy_;
    // A line cut short (a power cut mid-write) is closed before anything is appended after it.
    bool ownEndsOpen_ = false;
    bool folderMade_ = false;
};

}  // namespace quillon::plotting
