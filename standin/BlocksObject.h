#pragma once

#include "standin/DrawingCollectionObject.h"

namespace quillon::standin {

// A drawing's block table: *Model_Space, the *Paper_Space blocks, ordinary
// blocks, then external references.
class BlocksObject : public DrawingCollectionObject {
public:
    using DrawingCollectionObject::DrawingCollectionObject;

    std::string label() const override { return "Blocks(" + doc()->displayName() + ")"; }
    std::string_view objectKind() const override { return "Blocks"; }

protected:
    std::vector<automation::ObjectPtr> items() override;
    automation::ObjectPtr itemNamed(const std::string& key) override;
};

}  // namespace quillon::standin
