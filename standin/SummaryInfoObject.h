#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// A drawing's properties (Document.SummaryInfo): the standard ones and its custom ones, which
// GetCustomByIndex and GetCustomByKey hand back through arguments passed by reference.
class SummaryInfoObject : public ModelObject {
public:
    SummaryInfoObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc);

    std::string label() const override { return "SummaryInfo(" + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "SummaryInfo"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;
    std::vector<automation::Value> invokeWithOut(std::string_view member,
                                                 std::span<const automation::Value> args) override;

private:
    std::shared_ptr<DrawingModel> doc_;

    std::string* standardProperty(std::string_view member) const;
};

}  // namespace quillon::standin
