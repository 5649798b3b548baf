#pragma once

#include <string>

namespace quillon::run {

// How the runs tell the user something. At the window: a message box, and nothing of the lines meant for a
// console. With no one at the window (/run, /check, /resume): the console and Status, never a box.
class Teller {
public:
    virtual ~Teller() = default;
    // A message: a box shown from a message of its own, or the console and Status.
    virtual void tell(const std::string& title, const std::string& text) = 0;
    // A line only the console of an unattended run prints ("Quillon: " before it).
    virtual void line(const std::string& text) = 0;
};

}  // namespace quillon::run
