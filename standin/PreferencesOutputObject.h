#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// Preferences.Output: DefaultPlotToFilePath, the folder a plot to a file nobody named goes to (a configuration
// that plots to a file, sent to the device).
class PreferencesOutputObject : public ModelObject {
public:
    explicit PreferencesOutputObject(std::shared_ptr<EngineState> state) : ModelObject(std::move(state)) {}

    std::string label() const override { return "PreferencesOutput"; }
    std::string_view objectKind() const override { return "PreferencesOutput"; }

protected:
    MemberTable members() const override;
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
};

}  // namespace quillon::standin
