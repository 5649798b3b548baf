#pragma once

#include <string>
#include <string_view>

#include "automation/AutoObject.h"

namespace quillon::standin {

// Every object of the stand-in's model. The COM adapter asks hasMember to
// answer GetIDsOfNames as the real server would, and isMethod to refuse a
// property read of a method (and the reverse) as type-library dispatch does.
class EngineObject : public automation::AutoObject {
public:
    virtual bool hasMember(std::string_view name) const = 0;
    virtual bool isMethod(std::string_view name) const = 0;
    // How many trailing arguments of the method name are [out] ones, handed back through callWithOut:
    // the COM adapter needs it to tell them from in arguments a caller also passed by reference.
    virtual std::size_t outArgumentCount(std::string_view name) const = 0;
    // "Document(C:\\Jobs\\A.dwg)", used in the journal and in test messages.
    virtual std::string label() const = 0;
};

}  // namespace quillon::standin
