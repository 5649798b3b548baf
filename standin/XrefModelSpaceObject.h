#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// The model space of an external reference's database: only its entity count matters.
class XrefModelSpaceObject : public ModelObject {
public:
    XrefModelSpaceObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                         std::shared_ptr<XrefModel> xref);

    std::string label() const override {
        return "ModelSpace(" + xref_->name + " database of " + doc_->displayName() + ")";
    }
    std::string_view objectKind() const override { return "ModelSpace"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;

private:
    std::shared_ptr<DrawingModel> doc_;
    std::shared_ptr<XrefModel> xref_;
};

}  // namespace quillon::standin
