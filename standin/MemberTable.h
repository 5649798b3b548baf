#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace quillon::standin {

enum class MemberKind { ReadOnly, ReadWrite, Method };

// One member of an object's interface, spelled as the real type library spells it.
struct MemberDef {
    std::string_view name;
    MemberKind kind;
    // A method's trailing arguments it answers through ([out] BSTR*): reached by callWithOut only.
    std::size_t outArguments = 0;
};

using MemberTable = std::span<const MemberDef>;

// Case-insensitive, as IDispatch name lookup is.
const MemberDef* findMember(MemberTable table, std::string_view name);

}  // namespace quillon::standin
