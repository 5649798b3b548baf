#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "base/FileSystem.h"
#include "plotting/files/PlotFileClaims.h"
#include "plotting/files/PlotFileNaming.h"

namespace quillon::plotting {

// A file of the plot file's name that an earlier run left: none, replaced by
// the new plot, or kept (open in a viewer, read-only) so that the plot went
// to the next free name.
enum class EarlierPlotFile { None, Replaced, Kept };

// What became of one plot to a file.
struct PlotFileResult {
    // The file that now holds the sheet; nothing when the plot failed.
    std::optional<std::string> written;
    EarlierPlotFile earlier = EarlierPlotFile::None;
    // The earlier file that could not be replaced, when kept, and why, as the system said it.
    std::string keptFile;
    std::string keptReason;
    // Why nothing was written.
    std::string failure;
};

// Why a plot the application refused with a plain false failed.
inline constexpr const char* PlotNotAccepted = "AutoCAD did not accept the plot";

// Writes a sheet's plot file so that a good file is never lost: the
// application plots to a fresh temporary name in Quillon's hidden folder
// beside the target (on its volume, so the move is one step), and only once
// that file is there (and not empty) does it move over the target. A failed
// plot leaves the earlier file as it was and takes its own temporary file
// away. What a kill or a power cut leaves in the hidden folder is never taken
// for a sheet by whatever collects the plot folder's files, and goes at the
// folder's first use by a later run.
class PlotFileWriter {
public:
    // Sends the sheet to the file named; true when the application took it.
    // An automation error says why it did not.
    using PlotCall = std::function<bool(const std::string& file)>;

    // The hidden folder beside the sheets where their plots are written first.
    static constexpr const char* TemporaryFolder = ".quillon";
    // What a temporary name adds to the target's: the hidden folder, ".~" and eight hex digits before the extension.
    static constexpr std::size_t TemporaryExtra = 9 + 10;
    // A leftover older than this is no plot in progress, even another workstation's into a shared folder.
    static constexpr auto LeftoverAge = std::chrono::hours(1);
    // How long a sheet's moves are tried again while a file is held open for a moment, in all.
    static constexpr auto MoveRetries = std::chrono::milliseconds(1500);
    static_assert(TemporaryExtra + 5 <= PlotNameReserve, "plot file names leave room for the temporary name");

    PlotFileWriter(base::FileSystem& files, PlotFileClaims& names, std::chrono::milliseconds wait)
        : files_(files), names_(names), wait_(wait) {}

    PlotFileResult write(const std::string& wanted, const PlotCall& plot);

    // "C:\Out\A.pdf" with token 0x1f: "C:\Out\.quillon\A.~0000001f.pdf".
    static std::string temporaryName(const std::string& target, unsigned token);

private:
    // The hidden folder for target's plots, made (and cleared of old leftovers) at its first use in the run;
    // false when it cannot be made.
    bool temporaryFolderReady(const std::string& target);
    std::string freshTemporary(const std::string& target);
    // The file the plot to temporary wrote, there and not empty, within the wait (the application may still
    // be closing it): temporary itself, or the same name under another extension, which some raster drivers
    // put in place of the one given. Nothing when none came.
    std::optional<std::string> arrived(const std::string& temporary);
    // A file of the temporary's name under any other extension, not empty: the fresh token says this call
    // wrote it.
    std::optional<std::string> underAnotherExtension(const std::string& temporary);
    // Moves from onto to, trying again while a file is in use, until the sheet's retries are spent.
    base::MoveResult move(const std::string& from, const std::string& to, bool replace,
                          std::chrono::steady_clock::time_point until);
    // Keeps the plot beside a target that cannot be replaced, under the next free " (n)" name.
    void keepBeside(const std::string& wanted, const std::string& target, const std::string& temporary,
                    const base::MoveResult& refused, std::chrono::steady_clock::time_point until,
                    PlotFileResult& result);

    base::FileSystem& files_;
    PlotFileClaims& names_;
    std::chrono::milliseconds wait_;
};

}  // namespace quillon::plotting
