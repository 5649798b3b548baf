#pragma once

#include <optional>
#include <string>

#include "standin/ModelObject.h"
#include "standin/PlotJob.h"

namespace quillon::standin {

// A document's Plot object: plots the document's active layout.
class PlotObject : public ModelObject {
public:
    PlotObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc);

    std::string label() const override { return "Plot(" + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "Plot"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;

private:
    std::shared_ptr<DrawingModel> doc_;

    // The device a plot call names, or the layout's when it names none or one the application cannot find.
    const DeviceDef& deviceFor(const LayoutModel& layout, const std::optional<std::string>& config) const;
    std::string plotFolder() const;
    void requireActive() const;
    // Journals a plot done now, or queues one the application runs in the background.
    void hand(PlotJob job, bool taken);
};

}  // namespace quillon::standin
