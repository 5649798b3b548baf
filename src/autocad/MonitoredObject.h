#pragma once

#include <memory>
#include <string>

#include "automation/AutoObject.h"
#include "autocad/CallMonitor.h"

namespace quillon::autocad {

// An application object whose every call is announced to a CallMonitor, so
// the window can tell which call the CAD application is taking long over.
// Objects reached through it are monitored too, under the name of the member
// that gave them ("Documents", "ActiveDocument"); objects handed back to the
// application are unwrapped first, since a proxy only accepts its own kind.
class MonitoredObject : public automation::AutoObject {
public:
    MonitoredObject(automation::ObjectPtr inner, std::string name, std::shared_ptr<CallMonitor> monitor);

    static automation::ObjectPtr wrap(automation::ObjectPtr inner, std::string name,
                                      std::shared_ptr<CallMonitor> monitor);

    automation::Value get(std::string_view member, std::span<const automation::Value> args = {}) override;
    void put(std::string_view member, const automation::Value& value) override;
    automation::Value call(std::string_view member, std::span<const automation::Value> args = {}) override;
    std::vector<automation::ObjectPtr> enumerate() override;
    std::vector<automation::Value> callWithOut(std::string_view member, std::span<const automation::Value> args,
                                               std::size_t outCount) override;
    void declareItemsOfOneKind() override { inner_->declareItemsOfOneKind(); }
    bool sameObject(const AutoObject& other) const override;

private:
    template <class Fn>
    decltype(auto) monitored(std::string_view member, Fn&& fn);
    automation::Value wrapValue(const automation::Value& value, std::string_view member) const;
    static automation::Value unwrapValue(const automation::Value& value);

    automation::ObjectPtr inner_;
    std::string name_;
    std::shared_ptr<CallMonitor> monitor_;
};

}  // namespace quillon::autocad
