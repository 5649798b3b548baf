#include <nlohmann/json.hpp>

#include "plotting/changes/PlotKey.h"

namespace quillon::plotting {

namespace {

using Json = nlohmann::json;

Json fileJson(const FileKey& key) {
    return Json{{"size", key.stamp.size}, {"written", key.stamp.lastWriteTime}, {"hash", key.hash}};
}

FileKey fileKeyFrom(const Json& json) {
    FileKey key;
    key.stamp.size = json.at("size").get<std::uint64_t>();
    key.stamp.lastWriteTime = json.at("written").get<std::int64_t>();
    key.hash = json.at("hash").get<std::string>();
    return key;
}

// A name that is not whole UTF-8 is written with replacement characters rather than not at all: the key
// then matches nothing, and the drawing is plotted again.
std::string lineOf(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n"; }

}  // namespace

std::string plotKeyLine(const PlotKey& key) {
    Json json{{"version", PlotKeyVersion},
              {"drawing", key.drawing},
              {"plotted", key.plottedAtUtc},
              {"plottedLocal", key.plottedAtLocal},
              {"whole", key.whole}};
    if (key.whole) {
        json["file"] = fileJson(key.drawingKey);
        Json choices = Json::array();
        for (const auto& [name, value] : key.choices) choices.push_back(Json::array({name, value}));
        json["choices"] = std::move(choices);
        Json references = Json::array();
        for (const auto& reference : key.references) {
            Json one{{"name", reference.name}, {"stored", reference.storedPath}, {"path", reference.file}};
            if (!reference.file.empty()) one["file"] = fileJson(reference.key);
            references.push_back(std::move(one));
        }
        json["references"] = std::move(references);
        Json sheets = Json::array();
        for (const auto& sheet : key.sheets) {
            Json one{{"layout", sheet.layout}, {"path", sheet.file}};
            if (sheet.combined) one["combined"] = true;
            else one["file"] = fileJson(sheet.key);
            if (!sheet.titleBlock.empty()) one["titleBlock"] = sheet.titleBlock;
            if (!sheet.titleValues.empty()) {
                Json values = Json::array();
                for (const auto& [tag, value] : sheet.titleValues) values.push_back(Json::array({tag, value}));
                one["titleValues"] = std::move(values);
            }
            if (!sheet.bookmark.empty()) one["bookmark"] = sheet.bookmark;
            sheets.push_back(std::move(one));
        }
        json["sheets"] = std::move(sheets);
        Json obsolete = Json::array();
        for (const auto& sheet : key.obsolete)
            obsolete.push_back(Json{{"layout", sheet.layout}, {"path", sheet.file}, {"file", fileJson(sheet.key)}});
        json["obsolete"] = std::move(obsolete);
    }
    return lineOf(json);
}

std::string plotKeyLine(const CombinedFileKey& key) {
    Json sheets = Json::array();
    for (const auto& sheet : key.sheets) sheets.push_back(Json::array({sheet.drawing, sheet.layout, sheet.pages}));
    return lineOf(Json{{"version", PlotKeyVersion},
                       {"combined", key.file},
                       {"plotted", key.plottedAtUtc},
                       {"file", fileJson(key.key)},
                       {"sheets", std::move(sheets)}});
}

std::optional<std::variant<PlotKey, CombinedFileKey>> plotKeyFromLine(std::string_view line, std::string& why) {
    const Json json = Json::parse(line, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        why = "not a record Quillon writes";
        return std::nullopt;
    }
    try {
        if (json.at("version").get<int>() != PlotKeyVersion) {
            why = "made by another version of Quillon";
            return std::nullopt;
        }
        if (json.contains("combined")) {
            CombinedFileKey combined;
            combined.file = json.at("combined").get<std::string>();
            combined.plottedAtUtc = json.at("plotted").get<std::string>();
            combined.key = fileKeyFrom(json.at("file"));
            for (const auto& one : json.at("sheets"))
                combined.sheets.push_back(
                    {one.at(0).get<std::string>(), one.at(1).get<std::string>(), one.at(2).get<std::string>()});
            return combined;
        }
        PlotKey key;
        key.drawing = json.at("drawing").get<std::string>();
        key.plottedAtUtc = json.at("plotted").get<std::string>();
        key.plottedAtLocal = json.value("plottedLocal", key.plottedAtUtc);
        key.whole = json.at("whole").get<bool>();
        if (!key.whole) return key;
        key.drawingKey = fileKeyFrom(json.at("file"));
        for (const auto& choice : json.at("choices"))
            key.choices.emplace_back(choice.at(0).get<std::string>(), choice.at(1).get<std::string>());
        for (const auto& one : json.at("references")) {
            ReferenceKey reference{one.at("name").get<std::string>(), one.at("stored").get<std::string>(),
                                   one.at("path").get<std::string>(), {}};
            if (!reference.file.empty()) reference.key = fileKeyFrom(one.at("file"));
            key.references.push_back(std::move(reference));
        }
        for (const auto& one : json.at("sheets")) {
            SheetFileKey sheet{one.at("layout").get<std::string>(), one.at("path").get<std::string>(), {}, false, {}};
            sheet.combined = one.value("combined", false);
            if (!sheet.combined) sheet.key = fileKeyFrom(one.at("file"));
            sheet.titleBlock = one.value("titleBlock", "");
            for (const auto& pair : one.value("titleValues", Json::array()))
                sheet.titleValues.emplace_back(pair.at(0).get<std::string>(), pair.at(1).get<std::string>());
            sheet.bookmark = one.value("bookmark", "");
            key.sheets.push_back(std::move(sheet));
        }
        for (const auto& one : json.value("obsolete", Json::array()))
            key.obsolete.push_back({one.at("layout").get<std::string>(), one.at("path").get<std::string>(),
                                    fileKeyFrom(one.at("file")), false, {}});
        return key;
    } catch (const Json::exception&) {
        why = "not a record Quillon writes";
        return std::nullopt;
    }
}

}  // namespace quillon::plotting
