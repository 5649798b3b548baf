#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// One layout and its page setup. Like the real one it has no ZoomExtents:
// calling that by name fails as an unknown name.
class LayoutObject : public ModelObject {
public:
    LayoutObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                 std::shared_ptr<LayoutModel> layout);

    std::string label() const override { return "Layout(" + layout_->name + " of " + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "Layout"; }

    const std::shared_ptr<DrawingModel>& drawingModel() const { return doc_; }
    const std::shared_ptr<LayoutModel>& layoutModel() const { return layout_; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;

private:
    std::shared_ptr<DrawingModel> doc_;
    std::shared_ptr<LayoutModel> layout_;

    void setDevice(const automation::Value& value);
    void setMedia(const automation::Value& value);
    void setStyleSheet(const automation::Value& value);
    bool writeSetting(std::string_view member, const automation::Value& value);
    void copyFrom(std::span<const automation::Value> args);
};

}  // namespace quillon::standin
