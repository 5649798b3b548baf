#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "automation/Value.h"

namespace quillon::automation {

// An automation object reached by member name: the stand-in engine natively,
// an IDispatch proxy on Windows. Every failure throws AutomationError.
class AutoObject {
public:
    virtual ~AutoObject() = default;

    // Property read; args are index arguments (rare).
    virtual Value get(std::string_view member, std::span<const Value> args = {}) = 0;
    // Property write.
    virtual void put(std::string_view member, const Value& value) = 0;
    // Method call; trailing Missing arguments are left out.
    virtual Value call(std::string_view member, std::span<const Value> args = {}) = 0;
    // The items of a collection, in the collection's order (for-each).
    virtual std::vector<ObjectPtr> enumerate() = 0;
    // A method that answers through arguments it is given by reference ([out] BSTR*, as GetCustomByIndex does):
    // args are its in arguments; the answer holds the values of the outCount out arguments that follow them, in order.
    // An object that cannot pass arguments by reference refuses with E_NOTIMPL.
    virtual std::vector<Value> callWithOut(std::string_view member, std::span<const Value> args, std::size_t outCount);

    // Says that this collection hands out objects of one kind only: its items, and what its methods
    // (Item, Add, Open) return. A proxy may then share what it learns about one of them with the others;
    // objects with nothing to learn ignore it.
    virtual void declareItemsOfOneKind() {}

    // Whether other is this same object of the application, however it was reached: two reads of the
    // same document may hand over two different proxies of it.
    virtual bool sameObject(const AutoObject& other) const { return this == &other; }

    // Convenience forms for the common shapes.
    Value call(std::string_view member, std::initializer_list<Value> args) {
        return call(member, std::span<const Value>(args.begin(), args.size()));
    }
    ObjectPtr object(std::string_view member) { return get(member).toObject(); }
};

}  // namespace quillon::automation
