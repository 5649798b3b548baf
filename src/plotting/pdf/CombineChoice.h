#pragma once

#include <optional>
#include <string>

namespace quillon::plotting {

// Whether a run's PDF sheets are combined, and how: none, one file per drawing, one file for the run.
enum class CombineMode { None, PerDrawing, Run };

struct CombineChoice {
    CombineMode mode = CombineMode::None;
    // The combined file's name pattern; empty: the usual one for the mode.
    std::string fileName;
    bool keepSheetFiles = true;

    bool operator==(const CombineChoice&) const = default;
};

inline constexpr const char* DefaultDrawingCombinedName = "{drawing} sheets";
inline constexpr const char* DefaultRunCombinedName = "{folder} {date}";

// The job file's and the report's word for a mode ("drawing", "run", "" for none), and back.
std::string combineModeWord(CombineMode mode);
std::optional<CombineMode> combineModeFromWord(const std::string& word);

// Why the choice cannot be used with this device and plot file name pattern, or nothing when it can:
// only a device whose files are PDF combines, and a drawing's combined file may never take a sheet's name.
std::optional<std::string> combineRefusal(const CombineChoice& choice, const std::string& device,
                                          const std::string& plotFileName);

}  // namespace quillon::plotting
