#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// What a block object stands for.
struct BlockTarget {
    enum class Kind { Layout, EmptyPaperSpace, Ordinary, Xref };
    Kind kind;
    std::shared_ptr<LayoutModel> layout;
    std::shared_ptr<BlockModel> block;
    std::shared_ptr<XrefModel> xref;
};

// A block of a drawing: a layout's block, an ordinary block, or an external
// reference. All share one interface, as in the real type library; members
// that do not apply to a kind fail.
class BlockObject : public ModelObject {
public:
    BlockObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc, BlockTarget target);

    std::string label() const override { return "Block(" + blockName() + " of " + doc_->displayName() + ")"; }
    std::string_view objectKind() const override;
    std::string blockName() const;

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;
    std::vector<automation::ObjectPtr> items() override;

private:
    std::shared_ptr<DrawingModel> doc_;
    BlockTarget target_;

    int entityCount() const;
    XrefModel& requireXref() const;
};

}  // namespace quillon::standin
