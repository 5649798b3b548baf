#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// One attribute (AcDbAttribute) of a block reference, as GetAttributes hands it over.
class AttributeReferenceObject : public ModelObject {
public:
    AttributeReferenceObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                             std::shared_ptr<BlockReferenceModel> reference, std::shared_ptr<AttributeModel> attribute);

    std::string label() const override;
    std::string_view objectKind() const override { return "Attribute"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;

private:
    std::shared_ptr<DrawingModel> doc_;
    std::shared_ptr<BlockReferenceModel> reference_;
    std::shared_ptr<AttributeModel> attribute_;
};

}  // namespace quillon::standin
