#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "autocad/CadDocument.h"
#include "autocad/OwedVariables.h"

namespace quillon::autocad {

// Changes to the system variables the application keeps in the user's
// profile, each made through a document of the application and owed back
// from the moment before it is made.
//
// Quillon changes them only where the user's value would stop a run: SDI 1
// (one drawing at a time), BACKGROUNDPLOT not 0 (a plot that has not come out
// when the drawing closes), and the values that have the application ask its
// user something while it opens a drawing, as its reference documents them:
// PROXYNOTICE 1 (objects of a missing add-on), DWGCHECK other than 2 (a box
// for a file another application saved, or for a damaged one), RECOVERAUTO 0,
// 1 or 2 (a question before recovering, a box after, and again a question in
// the releases from 2021 on: only 3 is silent in all), SECURELOAD 1 (a
// question before loading code from a place not trusted; 2 loads nothing from
// there and asks nothing, so security is never lowered), SIGWARN 1 (a box
// for every signed drawing) and an empty FONTALT (a question for each missing
// font). Every failure is an AutomationError for the caller.
class ProfileChanges {
public:
    explicit ProfileChanges(std::shared_ptr<OwedVariables> owed) : owed_(std::move(owed)) {}
    void share(std::shared_ptr<OwedVariables> owed) { owed_ = std::move(owed); }
    const std::shared_ptr<OwedVariables>& owed() const { return owed_; }

    // Quillon's value for a variable it changes, given the user's; nothing when the user's stops nothing.
    static std::optional<automation::Value> quillonsValue(std::string_view name, const automation::Value& users);
    // The variables asked about at open, in the order Quillon sets them.
    static const std::vector<std::string>& openQuestionVariables();

    // Sets the variable to Quillon's value when the user's would stop a run; true when it was changed.
    bool change(CadDocument& document, const std::string& name);
    // Does so for every variable asked about at open; returns those changed.
    std::vector<std::string> quietOpens(CadDocument& document);
    // Gives the user's values back: those of `names`, or every one owed. A value the application refuses stays
    // owed; a dead application's failure is thrown.
    void putBack(CadDocument& document, const std::vector<std::string>& names);
    void putBackAll(CadDocument& document);
    bool owesAnything() const { return !owed_->owed().empty(); }

private:
    std::shared_ptr<OwedVariables> owed_;
};

}  // namespace quillon::autocad
