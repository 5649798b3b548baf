#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// One open drawing.
class DocumentObject : public ModelObject {
public:
    DocumentObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc);

    std::string label() const override { return "Document(" + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "Document"; }

    const std::shared_ptr<DrawingModel>& model() const { return doc_; }
    bool belongsTo(const EngineState& engine) const { return &state() == &engine; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;

private:
    std::shared_ptr<DrawingModel> doc_;
};

}  // namespace quillon::standin
