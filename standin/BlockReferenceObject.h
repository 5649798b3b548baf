#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// A block reference (AcDbBlockReference) of model space or a layout: a title block with its attributes.
class BlockReferenceObject : public ModelObject {
public:
    BlockReferenceObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                         std::shared_ptr<BlockReferenceModel> reference);

    std::string label() const override { return "BlockReference(" + describe(*reference_, *doc_) + ")"; }
    std::string_view objectKind() const override { return "BlockReference"; }

    // "3: A1-TITLE on Layout1 of C:\\jobs\\A.dwg": how the journal names a reference and its attributes.
    static std::string describe(const BlockReferenceModel& reference, const DrawingModel& doc);

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;

private:
    std::shared_ptr<DrawingModel> doc_;
    std::shared_ptr<BlockReferenceModel> reference_;
};

}  // namespace quillon::standin
