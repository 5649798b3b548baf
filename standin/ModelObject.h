#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/AutoObject.h"
#include "standin/DrawingModel.h"
#include "standin/EngineObject.h"
#include "standin/MemberTable.h"

namespace quillon::standin {

class EngineState;

// The common behaviour of every object of the model: member lookup by name
// with the real server's strictness (unknown names, a method read as a
// property, a read-only property written), the injected faults, and one
// journal line per access. Subclasses only implement what their members do.
class ModelObject : public EngineObject {
public:
    using AutoObject::call;

    automation::Value get(std::string_view member, std::span<const automation::Value> args = {}) final;
    void put(std::string_view member, const automation::Value& value) final;
    automation::Value call(std::string_view member, std::span<const automation::Value> args = {}) final;
    std::vector<automation::ObjectPtr> enumerate() final;
    std::vector<automation::Value> callWithOut(std::string_view member, std::span<const automation::Value> args,
                                               std::size_t outCount) final;

    bool hasMember(std::string_view name) const final;
    bool isMethod(std::string_view name) const final;
    std::size_t outArgumentCount(std::string_view name) const final;

    // "Document", "Layout", ...: what a scenario fault names.
    virtual std::string_view objectKind() const = 0;

protected:
    explicit ModelObject(std::shared_ptr<EngineState> state);

    EngineState& state() const { return *state_; }
    const std::shared_ptr<EngineState>& sharedState() const { return state_; }

    virtual MemberTable members() const = 0;
    // The document this object belongs to, if any: its closing ends the object.
    virtual const DrawingModel* drawing() const { return nullptr; }

    // Members arrive with their canonical spelling.
    virtual automation::Value read(std::string_view member);
    virtual void write(std::string_view member, const automation::Value& value);
    virtual automation::Value invoke(std::string_view member, std::span<const automation::Value> args);
    // A method with [out] arguments: answers their values, as many as its MemberDef declares.
    virtual std::vector<automation::Value> invokeWithOut(std::string_view member, std::span<const automation::Value> args);
    virtual std::vector<automation::ObjectPtr> items();

private:
    std::shared_ptr<EngineState> state_;

    enum class Access { Get, Put, Call, Enum };
    automation::Value perform(std::string_view member, Access access, std::span<const automation::Value> args,
                              const std::function<automation::Value(std::string_view)>& work);
    void checkAccess(const MemberDef* def, std::string_view member, Access access) const;
};

}  // namespace quillon::standin
