#pragma once

#include <string>

namespace quillon::plotting {

// Where the plotting tells the user something: a modal message box with the
// information icon and an OK button.
class InformationSink {
public:
    virtual ~InformationSink() = default;
    virtual void showInformation(const std::string& title, const std::string& text) = 0;
};

}  // namespace quillon::plotting
