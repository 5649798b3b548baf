#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "automation/Value.h"
#include "standin/DrawingModel.h"
#include "standin/ProfileVariables.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// GetVariable and SetVariable. SDI, BACKGROUNDPLOT and the variables that
// keep questions away at open belong to the user's profile, as in the real
// application, so a change made through one document is seen through every
// other and by the next instance; the rest belong to the document.
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

    int sdi() const { return profile_.integer("SDI"); }
    // A value the application sets itself, which SetVariable may refuse to a program.
    void setByApplication(const std::string& upperName, const automation::Value& value) { profile_.set(upperName, value); }
    int backgroundPlot() const { return profile_.integer("BACKGROUNDPLOT"); }
    const ProfileVariables& profile() const { return profile_; }

private:
    ProfileVariables profile_;
    std::vector<VariableDef> extras_;
    std::map<std::string, automation::Value> sessionValues_;

    const VariableDef* findExtra(const std::string& upperName) const;
};

}  // namespace quillon::standin
