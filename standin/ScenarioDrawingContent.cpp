#include "standin/ScenarioDrawingContent.h"

#include "standin/ScenarioFaults.h"
#include "standin/TextCase.h"

namespace quillon::standin {

namespace {

bool namesXref(const std::vector<XrefDef>& xrefs, const std::string& block) {
    for (const auto& x : xrefs) {
        if (equalsNoCase(x.name, block)) return true;
    }
    return false;
}

std::vector<std::pair<std::string, std::string>> readAttributes(const JsonNode& node) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [key, value] : node.fields()) {
        // The application keeps tags in upper case and refuses one with a space.
        std::string tag = toUpperAscii(key);
        if (tag.empty() || tag.find(' ') != std::string::npos)
            value.fail("an attribute tag is not empty and holds no space");
        for (const auto& existing : out) {
            if (existing.first == tag) value.fail("duplicate attribute tag \"" + tag + "\"");
        }
        out.emplace_back(std::move(tag), value.text());
    }
    return out;
}

}  // namespace

std::vector<InsertDef> readScenarioInserts(const JsonNode& list, const std::vector<XrefDef>& xrefs) {
    std::vector<InsertDef> out;
    for (const auto& item : list.items()) {
        item.requireObject({"comment", "block", "attributes", "dynamic"});
        InsertDef insert;
        JsonNode block = item.child("block");
        insert.block = nonEmptyScenarioText(block);
        if (insert.block[0] == '*') block.fail("block names starting with '*' are reserved");
        if (auto node = item.optionalChild("attributes")) insert.attributes = readAttributes(*node);
        insert.dynamic = item.boolean("dynamic", false);
        if (namesXref(xrefs, insert.block) && (insert.dynamic || !insert.attributes.empty()))
            item.fail("a reference to external reference \"" + insert.block + "\" has no attributes and is not dynamic");
        out.push_back(std::move(insert));
    }
    return out;
}

DrawingProperties readScenarioProperties(const JsonNode& node) {
    node.requireObject({"comment", "Title", "Subject", "Author", "Keywords", "Comments", "RevisionNumber",
                        "LastSavedBy", "HyperlinkBase", "custom"});
    DrawingProperties p;
    p.title = node.text("Title", "");
    p.subject = node.text("Subject", "");
    p.author = node.text("Author", "");
    p.keywords = node.text("Keywords", "");
    p.comments = node.text("Comments", "");
    p.revisionNumber = node.text("RevisionNumber", "");
    p.lastSavedBy = node.text("LastSavedBy", "");
    p.hyperlinkBase = node.text("HyperlinkBase", "");
    if (auto custom = node.optionalChild("custom")) {
        for (const auto& [key, value] : custom->fields()) {
            if (key.empty()) value.fail("a custom property has a name");
            // Keys differing only in case would make GetCustomByKey's answer depend on the spelling asked.
            for (const auto& existing : p.custom) {
                if (equalsNoCase(existing.first, key)) value.fail("duplicate custom property \"" + key + "\"");
            }
            p.custom.emplace_back(key, value.text());
        }
    }
    return p;
}

}  // namespace quillon::standin
