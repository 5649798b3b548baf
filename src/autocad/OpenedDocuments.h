#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "autocad/CadDocument.h"

namespace quillon::autocad {

// The drawings Quillon itself opened, so that leaving closes those and never
// a drawing the user had open. The same document can come back as a different
// proxy object, so besides object identity a document is known by its full
// name (case-insensitive, as Windows paths are) or, never saved, by its name.
class OpenedDocuments {
public:
    void remember(CadDocument& document);
    void forget(CadDocument& document);
    bool contains(CadDocument& document) const;
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        automation::ObjectPtr object;
        std::string key;
    };
    static std::string keyOf(CadDocument& document);

    std::vector<Entry> entries_;
};

}  // namespace quillon::autocad
