#include "standin/ModelObject.h"

#include <chrono>
#include <optional>
#include <thread>

#include "automation/AutomationError.h"
#include "standin/Arguments.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/PathText.h"
#include "standin/TextCase.h"
#include "standin/ValueJson.h"

namespace quillon::standin {

using automation::AutomationError;
using automation::ObjectPtr;
using automation::Value;
namespace hr = automation::hresult;

namespace {

constexpr std::string_view kEnumMember = "_NewEnum";

// The drawing a call concerns, for faults limited to one drawing.
std::optional<FaultPlan::CallTarget> callTarget(const DrawingModel* drawing, std::string_view member,
                                                std::span<const Value> args) {
    if (drawing) return FaultPlan::CallTarget{drawing->fullName, drawing->name};
    if (equalsNoCase(member, "Open") && !args.empty() && args[0].kind() == Value::Kind::Text) {
        const std::string path = args[0].toText();
        return FaultPlan::CallTarget{path, fileNameOf(path)};
    }
    return std::nullopt;
}

const char* accessName(int access) {
    static const char* names[] = {"get", "put", "call", "enum"};
    return names[access];
}

}  // namespace

ModelObject::ModelObject(std::shared_ptr<EngineState> state) : state_(std::move(state)) {}

bool ModelObject::hasMember(std::string_view name) const { return findMember(members(), name) != nullptr; }

bool ModelObject::isMethod(std::string_view name) const {
    const MemberDef* def = findMember(members(), name);
    return def && def->kind == MemberKind::Method;
}

std::size_t ModelObject::outArgumentCount(std::string_view name) const {
    const MemberDef* def = findMember(members(), name);
    return def && def->kind == MemberKind::Method ? def->outArguments : 0;
}

Value ModelObject::get(std::string_view member, std::span<const Value> args) {
    return perform(member, Access::Get, args, [&](std::string_view name) {
        // No property of this model takes index arguments.
        Arguments(name, args, 0, 0);
        return read(name);
    });
}

void ModelObject::put(std::string_view member, const Value& value) {
    perform(member, Access::Put, std::span<const Value>(&value, 1), [&](std::string_view name) {
        write(name, value);
        return Value();
    });
}

Value ModelObject::call(std::string_view member, std::span<const Value> args) {
    return perform(member, Access::Call, args, [&](std::string_view name) {
        // A plain call gives the method nowhere to put its answers, as a caller leaving out required arguments.
        if (const std::size_t outs = outArgumentCount(name); outs > 0)
            failWith(hr::ParamNotOptional, "Parameter not optional: " + std::string(name) + " answers through " +
                                               std::to_string(outs) + " arguments passed by reference");
        return invoke(name, args);
    });
}

std::vector<Value> ModelObject::callWithOut(std::string_view member, std::span<const Value> args, std::size_t outCount) {
    // Journalled as a call of the in arguments whose result is the out values, in order.
    Value answers = perform(member, Access::Call, args, [&](std::string_view name) {
        const std::size_t outs = outArgumentCount(name);
        if (outCount < outs)
            failWith(hr::ParamNotOptional, "Parameter not optional: " + std::string(name) + " answers through " +
                                               std::to_string(outs) + " arguments passed by reference");
        if (outCount > outs) failWith(hr::BadParamCount, "Invalid number of parameters for " + std::string(name));
        Value::Array out;
        if (outs > 0) {
            for (auto& value : invokeWithOut(name, args)) out.push_back(std::move(value));
        } else {
            invoke(name, args);
        }
        return Value(std::move(out));
    });
    return answers.toArray();
}

std::vector<ObjectPtr> ModelObject::enumerate() {
    Value list = perform(kEnumMember, Access::Enum, {}, [&](std::string_view) {
        Value::Array array;
        for (auto& item : items()) array.emplace_back(std::move(item));
        return Value(std::move(array));
    });
    std::vector<ObjectPtr> out;
    for (const auto& item : list.toArray()) out.push_back(item.toObject());
    return out;
}

void ModelObject::checkAccess(const MemberDef* def, std::string_view member, Access access) const {
    if (!def)
        failWith(hr::UnknownName, "Unknown name: " + std::string(member) + " is not a member of " + std::string(objectKind()));
    const std::string name(def->name);
    switch (access) {
        case Access::Get:
            if (def->kind == MemberKind::Method) failWith(hr::MemberNotFound, "Member not found: " + name + " is a method, not a property");
            break;
        case Access::Put:
            if (def->kind == MemberKind::Method) failWith(hr::MemberNotFound, "Member not found: " + name + " is a method, not a property");
            if (def->kind == MemberKind::ReadOnly) failWith(hr::MemberNotFound, "Member not found: " + name + " is read-only");
            break;
        case Access::Call:
            if (def->kind != MemberKind::Method) failWith(hr::MemberNotFound, "Member not found: " + name + " is a property, not a method");
            break;
        case Access::Enum: break;
    }
}

Value ModelObject::perform(std::string_view member, Access access, std::span<const Value> args,
                           const std::function<Value(std::string_view)>& work) {
    std::lock_guard<std::mutex> lock(state_->mutex());
    state_->plots().settle();
    FaultPlan& faults = state_->faults();
    const MemberDef* def = access == Access::Enum ? nullptr : findMember(members(), member);

    AccessRecord record;
    record.object = label();
    record.member = std::string(def ? def->name : member);
    record.kind = accessName(static_cast<int>(access));
    record.args = valuesToJson(args);
    record.argKinds = kindsOf(args);

    const std::int64_t callNumber = faults.countCall();
    try {
        if (state_->killed.load()) faults.crash();
        if (faults.crashed()) {
            record.executed = false;
            failWith(hr::Disconnected, "The object invoked has disconnected from its clients.");
        }
        if (auto busy = faults.busyCode(callNumber)) {
            record.executed = false;
            failWith(*busy, *busy == hr::RetryLater ? "The message filter indicated that the application is busy."
                                                    : "Call was rejected by callee.");
        }
        if (access != Access::Enum) checkAccess(def, member, access);
        if (const DrawingModel* doc = drawing(); doc && doc->closed)
            failed("The drawing " + doc->displayName() + " has been closed");
        const auto target = callTarget(drawing(), record.member, args);
        const FaultPlan::CallTarget* targetPtr = target ? &*target : nullptr;
        if (int ms = faults.slowMilliseconds(objectKind(), record.member, targetPtr); ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        if (faults.hangs(objectKind(), record.member, targetPtr)) {
            // Never answers; a killed host process takes the call with it.
            while (!state_->killed.load()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            faults.crash();
            record.executed = false;
            failWith(hr::Disconnected, "The object invoked has disconnected from its clients.");
        }
        if (faults.kills(objectKind(), record.member, targetPtr)) {
            faults.crash();
            record.executed = false;
            failWith(hr::Disconnected, "The object invoked has disconnected from its clients.");
        }
        if (auto injected = faults.takeMemberFault(objectKind(), record.member, record.kind, drawing()))
            failWith(injected->code, injected->description);

        Value result = work(record.member);
        record.result = valueToJson(result);
        state_->journal().recordAccess(std::move(record));
        faults.settle();
        return result;
    } catch (const AutomationError& e) {
        record.errorCode = automation::hresultText(e.code());
        record.errorDescription = e.description();
        state_->journal().recordAccess(std::move(record));
        faults.settle();
        throw;
    } catch (const std::exception& e) {
        // A server must answer every call; an engine fault becomes a failed call, not a dead process.
        AutomationError error(hr::Fail, std::string("Stand-in engine failure: ") + e.what());
        record.errorCode = automation::hresultText(error.code());
        record.errorDescription = error.description();
        state_->journal().recordAccess(std::move(record));
        faults.settle();
        throw error;
    }
}

Value ModelObject::read(std::string_view member) { failed("Stand-in has no reader for " + std::string(member)); }

void ModelObject::write(std::string_view member, const Value&) { failed("Stand-in has no writer for " + std::string(member)); }

Value ModelObject::invoke(std::string_view member, std::span<const Value>) {
    failed("Stand-in has no implementation of " + std::string(member));
}

std::vector<Value> ModelObject::invokeWithOut(std::string_view member, std::span<const Value>) {
    failed("Stand-in has no implementation of " + std::string(member));
}

std::vector<ObjectPtr> ModelObject::items() {
    failWith(hr::MemberNotFound, "Member not found: " + std::string(objectKind()) + " is not a collection");
}

}  // namespace quillon::standin
