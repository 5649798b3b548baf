#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "autocad/CadDocument.h"

namespace quillon::autocad {

// The drawings Quillon itself opened, so that leaving closes those and never
// a drawing the user had open. A document is known by the application's
// object identity; where the application hands out a new object each time, by
// its full name (case-insensitive, as Windows paths are) or, never saved, by
// its name. A name alone never makes a saved drawing Quillon's unless it is
// read-only as Quillon opens every drawing: the user may have the same file
// open for editing.
//
// A blank drawing Quillon added (when nothing was open) is Quillon's only
// while it is unmodified: the user may draw in it, and from then on it is
// the user's work and stays open.
class OpenedDocuments {
public:
    // Answers the document's full name when it was read to know the document by (empty for one never
    // saved), so that the caller need not ask again; nothing when it was not read.
    std::optional<std::string> remember(CadDocument& document);
    void rememberAdded(CadDocument& document);
    void forget(CadDocument& document);
    // Whether the document is Quillon's to close unsaved. Reading DBMOD of an
    // added drawing may throw; one found modified is forgotten for good.
    bool contains(CadDocument& document);
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    // Whether a drawing Quillon opened (not one it added blank) is still open.
    bool anyOpened() const;
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        automation::ObjectPtr object;
        std::string key;
        bool added = false;
        bool is(const automation::ObjectPtr& other) const;
    };
    // fullName is set to FullName when that was read.
    static std::string keyOf(CadDocument& document, std::optional<std::string>* fullName = nullptr);
    std::optional<std::string> add(CadDocument& document, bool added);
    bool stillQuillons(std::vector<Entry>::iterator entry, CadDocument& document);

    std::vector<Entry> entries_;
};

}  // namespace quillon::autocad
