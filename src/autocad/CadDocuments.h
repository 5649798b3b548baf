#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "autocad/CadDocument.h"

namespace quillon::autocad {

// The drawings open in the application.
class CadDocuments {
public:
    // Its items, and what Item, Add and Open return, are all documents: told so, proxies share what they look up.
    explicit CadDocuments(automation::ObjectPtr documents) : documents_(std::move(documents)) {
        if (documents_) documents_->declareItemsOfOneKind();
    }
    const automation::ObjectPtr& raw() const { return documents_; }

    std::int32_t count();
    CadDocument add();  // a new drawing from the default template
    CadDocument add(const std::string& templateFile);  // a new drawing holding what the template holds
    CadDocument open(const std::string& path, bool readOnly);
    std::vector<CadDocument> items();  // in the collection's order

private:
    automation::ObjectPtr documents_;
};

}  // namespace quillon::autocad
