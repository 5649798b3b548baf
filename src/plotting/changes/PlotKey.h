#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "plotting/changes/FileKey.h"

namespace quillon::plotting {

// An external reference a drawing was plotted with: its name, the path the
// drawing stores, and the file it was drawn from (empty: it was missing).
struct ReferenceKey {
    std::string name;
    std::string storedPath;
    std::string file;
    FileKey key;
    bool operator==(const ReferenceKey&) const = default;
};

// One sheet's plot file as the plot left it: its own file, or a combined file that holds it once its own
// went into it (the combined file's record then says where, and key is not used).
struct SheetFileKey {
    std::string layout;
    std::string file;
    FileKey key;
    bool combined = false;
    // Its pages in the combined file, as that file's record has them when the sheet is found up to date.
    std::string pages{};
    // The title block its names took and its values, and its bookmark: what a register made without opening
    // the drawing says of it.
    std::string titleBlock{};
    std::vector<std::pair<std::string, std::string>> titleValues{};
    std::string bookmark{};
    bool operator==(const SheetFileKey&) const = default;
};

// Everything a drawing's sheets were made from, recorded with its plot
// files: the drawing, its references, the choices that shape a sheet, and
// the files themselves. A later run plots the drawing again unless all of it
// is still the same.
struct PlotKey {
    std::string drawing;
    // When it was plotted: UTC for ordering records of several workstations, local for the rows.
    std::string plottedAtUtc;
    std::string plottedAtLocal;
    FileKey drawingKey;
    // Each choice by the name a reason gives it ("device"), with its value.
    std::vector<std::pair<std::string, std::string>> choices;
    std::vector<ReferenceKey> references;
    std::vector<SheetFileKey> sheets;
    // Files earlier plots made for sheets the drawing no longer has, left where they are: told again each
    // run while they stay as Quillon wrote them.
    std::vector<SheetFileKey> obsolete;
    // False: the drawing's last plot was not whole (a sheet failed, or it was stopped), and nothing of an
    // earlier record stands for it any more.
    bool whole = true;
    bool operator==(const PlotKey&) const = default;
};

// A combined file as a combine left it: the file, and the pages of every sheet in it. The one word on
// what the file holds: a sheet recorded as in it is there only while the file is as this says.
struct CombinedFileKey {
    std::string file;
    std::string plottedAtUtc;
    FileKey key;
    struct Sheet {
        std::string drawing;
        std::string layout;
        std::string pages;  // "3", "3-4"
        bool operator==(const Sheet&) const = default;
    };
    std::vector<Sheet> sheets;
    bool operator==(const CombinedFileKey&) const = default;
};

// The record's own format: one line per plot, versioned, so that a record another version wrote is
// recognised and not trusted.
inline constexpr int PlotKeyVersion = 1;
std::string plotKeyLine(const PlotKey& key);
std::string plotKeyLine(const CombinedFileKey& key);
// The key a line holds, of a drawing or of a combined file; nothing when it is not one this version writes (why
// says what is wrong).
std::optional<std::variant<PlotKey, CombinedFileKey>> plotKeyFromLine(std::string_view line, std::string& why);

}  // namespace quillon::plotting
