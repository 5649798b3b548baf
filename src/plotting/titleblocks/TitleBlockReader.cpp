#include "plotting/titleblocks/TitleBlockReader.h"

#include <utility>

#include "plotting/PlotRules.h"
#include "plotting/Tolerate.h"

namespace quillon::plotting {

using automation::AutomationError;
using automation::ObjectPtr;
using automation::Value;

namespace {

// The selection set Quillon makes in a drawing it opened; removed again after each use.
constexpr const char* SelectionName = "QUILLON_TITLE_BLOCKS";
constexpr std::int32_t SelectAll = 5;  // acSelectionSetAll
constexpr std::int16_t ObjectTypeCode = 0;
constexpr std::int16_t BlockNameCode = 2;
constexpr std::int16_t LayoutNameCode = 410;

// A selection set of its own, deleted however the reading ends: a set left behind would refuse the next
// Add of its name, and the application keeps only so many.
class SelectionSet {
public:
    explicit SelectionSet(automation::AutoObject& document) {
        ObjectPtr sets = document.object("SelectionSets");
        try {
            set_ = sets->call("Add", {Value(SelectionName)}).toObject();
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            // One of its name is left over (a reading broken off): removed, and made afresh.
            sets->call("Item", {Value(SelectionName)}).toObject()->call("Delete");
            set_ = sets->call("Add", {Value(SelectionName)}).toObject();
        }
    }
    ~SelectionSet() {
        try {
            tolerate("the set stays in a drawing that is closed unsaved", [&] { set_->call("Delete"); });
        } catch (const AutomationError&) {
            base::swallowed("the application is gone, and the set with it");
        }
    }
    SelectionSet(const SelectionSet&) = delete;
    SelectionSet& operator=(const SelectionSet&) = delete;
    automation::AutoObject& operator*() const { return *set_; }

private:
    ObjectPtr set_;
};

}  // namespace

TitleBlockReader::TitleBlockReader(automation::ObjectPtr document, TitleBlockPattern pattern)
    : document_(std::move(document)), pattern_(std::move(pattern)) {}

std::vector<TitleBlock> TitleBlockReader::onLayout(const std::string& layoutName) {
    std::vector<TitleBlock> blocks;
    if (pattern_.empty()) return blocks;
    SelectionSet set(*document_);
    const Value codes(Value::Array{Value(ObjectTypeCode), Value(BlockNameCode), Value(LayoutNameCode)});
    const Value values(Value::Array{Value("INSERT"), Value(pattern_.selectionFilter()),
                                    Value(TitleBlockPattern::literal(layoutName))});
    (*set).call("Select", {Value(SelectAll), Value::missing(), Value::missing(), codes, values});
    const std::int32_t count = (*set).get("Count").toInt();
    for (std::int32_t i = 0; i < count; ++i) {
        const ObjectPtr reference = (*set).call("Item", {Value(i)}).toObject();
        // The selection's name filter lets every dynamic block through: its effective name decides.
        TitleBlock block{reference->get("EffectiveName").toText(), {}};
        if (!pattern_.matches(block.name)) continue;
        // Held while its items are read: the array lives in the answer.
        const Value attributes = reference->get("HasAttributes").toBool() ? reference->call("GetAttributes") : Value();
        if (attributes.kind() == Value::Kind::Array)
            for (const Value& attribute : attributes.toArray()) {
                const ObjectPtr one = attribute.toObject();
                block.attributes.emplace_back(one->get("TagString").toText(), one->get("TextString").toText());
            }
        blocks.push_back(std::move(block));
    }
    return blocks;
}

const std::vector<std::pair<std::string, std::string>>& TitleBlockReader::properties() {
    if (properties_) return *properties_;
    properties_.emplace();
    const ObjectPtr summary = document_->object("SummaryInfo");
    for (const char* name : {"Title", "Subject", "Author", "Keywords", "Comments", "RevisionNumber"})
        properties_->emplace_back(name, summary->get(name).toText());
    const std::int32_t custom = summary->call("NumCustomInfo").toInt();
    for (std::int32_t i = 0; i < custom; ++i) {
        const Value index(i);
        const auto pair = summary->callWithOut("GetCustomByIndex", std::span<const Value>(&index, 1), 2);
        properties_->emplace_back(pair.at(0).toText(), pair.at(1).toText());
    }
    return *properties_;
}

std::optional<std::string> propertyValue(const std::vector<std::pair<std::string, std::string>>& properties,
                                         const std::string& name) {
    for (const auto& [key, value] : properties)
        if (equalsIgnoreCase(key, name)) return value;
    return std::nullopt;
}

}  // namespace quillon::plotting
