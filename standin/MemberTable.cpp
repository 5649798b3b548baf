#include "standin/MemberTable.h"

#include "standin/TextCase.h"

namespace quillon::standin {

const MemberDef* findMember(MemberTable table, std::string_view name) {
    for (const auto& member : table) {
        if (equalsNoCase(member.name, name)) return &member;
    }
    return nullptr;
}

}  // namespace quillon::standin
