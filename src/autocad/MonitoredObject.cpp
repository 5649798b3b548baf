#include "autocad/MonitoredObject.h"

#include <utility>
#include <vector>

namespace quillon::autocad {

using automation::ObjectPtr;
using automation::Value;

namespace {

// Ends the monitored call however the call itself ends.
class CallScope {
public:
    CallScope(CallMonitor& monitor, std::string call) : monitor_(monitor) { monitor_.beginCall(std::move(call)); }
    ~CallScope() { monitor_.endCall(); }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    CallMonitor& monitor_;
};

}  // namespace

MonitoredObject::MonitoredObject(ObjectPtr inner, std::string name, std::shared_ptr<CallMonitor> monitor)
    : inner_(std::move(inner)), name_(std::move(name)), monitor_(std::move(monitor)) {}

ObjectPtr MonitoredObject::wrap(ObjectPtr inner, std::string name, std::shared_ptr<CallMonitor> monitor) {
    if (!inner || !monitor) return inner;
    return std::make_shared<MonitoredObject>(std::move(inner), std::move(name), std::move(monitor));
}

template <class Fn>
decltype(auto) MonitoredObject::monitored(std::string_view member, Fn&& fn) {
    CallScope scope(*monitor_, name_ + "." + std::string(member));
    return std::forward<Fn>(fn)();
}

Value MonitoredObject::get(std::string_view member, std::span<const Value> args) {
    std::vector<Value> plain;
    for (const auto& arg : args) plain.push_back(unwrapValue(arg));
    return wrapValue(monitored(member, [&] { return inner_->get(member, plain); }), member);
}

void MonitoredObject::put(std::string_view member, const Value& value) {
    const Value plain = unwrapValue(value);
    monitored(member, [&] { inner_->put(member, plain); });
}

Value MonitoredObject::call(std::string_view member, std::span<const Value> args) {
    std::vector<Value> plain;
    for (const auto& arg : args) plain.push_back(unwrapValue(arg));
    return wrapValue(monitored(member, [&] { return inner_->call(member, plain); }), member);
}

std::vector<Value> MonitoredObject::callWithOut(std::string_view member, std::span<const Value> args,
                                                std::size_t outCount) {
    std::vector<Value> plain;
    for (const auto& arg : args) plain.push_back(unwrapValue(arg));
    auto answers = monitored(member, [&] { return inner_->callWithOut(member, plain, outCount); });
    for (auto& answer : answers) answer = wrapValue(answer, member);
    return answers;
}

std::vector<ObjectPtr> MonitoredObject::enumerate() {
    auto items = monitored("_NewEnum", [&] { return inner_->enumerate(); });
    for (auto& item : items) item = wrap(item, name_ + " item", monitor_);
    return items;
}

bool MonitoredObject::sameObject(const AutoObject& other) const {
    const auto* monitoredOther = dynamic_cast<const MonitoredObject*>(&other);
    return inner_->sameObject(monitoredOther ? *monitoredOther->inner_ : other);
}

Value MonitoredObject::wrapValue(const Value& value, std::string_view member) const {
    switch (value.kind()) {
        case Value::Kind::Object: return Value(wrap(value.toObject(), std::string(member), monitor_));
        case Value::Kind::Array: {
            Value::Array items;
            for (const auto& item : value.toArray()) items.push_back(wrapValue(item, member));
            return Value(std::move(items));
        }
        default: return value;
    }
}

Value MonitoredObject::unwrapValue(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Object: {
            auto monitoredObject = std::dynamic_pointer_cast<MonitoredObject>(value.toObject());
            return monitoredObject ? Value(monitoredObject->inner_) : value;
        }
        case Value::Kind::Array: {
            Value::Array items;
            for (const auto& item : value.toArray()) items.push_back(unwrapValue(item));
            return Value(std::move(items));
        }
        default: return value;
    }
}

}  // namespace quillon::autocad
