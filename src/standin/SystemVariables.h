#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "automation/Value.h"
#include "standin/DrawingModel.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// GetVariable and SetVariable. SDI and BACKGROUNDPLOT belong to the
// application session, as in the real application, so a change made through
// one document is seen through every other; the rest belong to the document.
// Values keep their automation type: integer variables are 16-bit and a
// write must pass a 16-bit integer, as the real application insists.
class SystemVariables {
public:
    explicit SystemVariables(const Scenario& scenario);

    static bool isBuiltIn(std::string_view upperName);

    automation::Value get(const DrawingModel& doc, std::string_view name) const;
    void set(DrawingModel& doc, std::string_view name, const automation::Value& value, std::size_t openDocuments);
    // Gives a newly opened document its own copy of the per-document variables.
    void initialiseDocument(DrawingModel& doc) const;

    int sdi() const { return sdi_; }
    int backgroundPlot() const { return backgroundPlot_; }

private:
    std::int16_t sdi_;
    std::int16_t backgroundPlot_;
    std::vector<VariableDef> extras_;
    std::map<std::string, automation::Value> sessionValues_;

    const VariableDef* findExtra(const std::string& upperName) const;
};

}  // namespace quillon::standin
