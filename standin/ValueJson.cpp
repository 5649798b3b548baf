#include "standin/ValueJson.h"

#include "standin/EngineObject.h"

namespace quillon::standin {

using automation::Value;

nlohmann::json valueToJson(const Value& value) {
    const auto& storage = value.storage();
    switch (value.kind()) {
        case Value::Kind::Empty: return nullptr;
        case Value::Kind::Missing: return nlohmann::json{{"missing", true}};
        case Value::Kind::Bool: return std::get<bool>(storage);
        case Value::Kind::Int16: return std::get<std::int16_t>(storage);
        case Value::Kind::Int32: return std::get<std::int32_t>(storage);
        case Value::Kind::Double: return std::get<double>(storage);
        case Value::Kind::Text: return std::get<std::string>(storage);
        case Value::Kind::Object: {
            const auto& object = std::get<automation::ObjectPtr>(storage);
            auto* engineObject = dynamic_cast<const EngineObject*>(object.get());
            if (!object) return nlohmann::json{{"object", nullptr}};
            return nlohmann::json{{"object", engineObject ? engineObject->label() : std::string("<foreign object>")}};
        }
        case Value::Kind::Array: return valuesToJson(std::get<Value::Array>(storage));
    }
    return nullptr;
}

nlohmann::json valuesToJson(std::span<const Value> values) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& v : values) out.push_back(valueToJson(v));
    return out;
}

std::vector<std::string> kindsOf(std::span<const Value> values) {
    std::vector<std::string> out;
    for (const auto& v : values) out.emplace_back(automation::kindName(v.kind()));
    return out;
}

}  // namespace quillon::standin
