#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// The drawing database of a loaded external reference.
class DatabaseObject : public ModelObject {
public:
    DatabaseObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc, std::shared_ptr<XrefModel> xref);

    std::string label() const override { return "Database(" + xref_->name + " of " + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "Database"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;

private:
    std::shared_ptr<DrawingModel> doc_;
    std::shared_ptr<XrefModel> xref_;
};

}  // namespace quillon::standin
