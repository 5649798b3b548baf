#pragma once

#include <span>
#include <string_view>

namespace quillon::standin {

enum class MemberKind { ReadOnly, ReadWrite, Method };

// One member of an object's interface, spelled as the real type library spells it.
struct MemberDef {
    std::string_view name;
    MemberKind kind;
};

using MemberTable = std::span<const MemberDef>;

// Case-insensitive, as IDispatch name lookup is.
const MemberDef* findMember(MemberTable table, std::string_view name);

}  // namespace quillon::standin
