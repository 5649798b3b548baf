#pragma once

#include <nlohmann/json.hpp>

#include "standin/JournalEntry.h"

namespace quillon::standin {

// The JSON form of journal lines, shared by the writer and the reader.
class JournalFormat {
public:
    static nlohmann::json toJson(const JournalEntry& entry);
    // Throws std::runtime_error naming the missing or mistyped field.
    static JournalEntry fromJson(const nlohmann::json& line);
};

}  // namespace quillon::standin
