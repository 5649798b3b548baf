#include "plotting/register/RegisterRows.h"

#include "plotting/PlotRules.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/titleblocks/TitleValuesText.h"

namespace quillon::plotting {

namespace {

bool registered(const ReportRow& row) {
    const OutcomeWord* word = findOutcomeWord(row.outcome);
    if (word && word->meaning == OutcomeWord::Meaning::CombinedFile) return false;
    return row.outcome != outcome_word::LeftOut && row.outcome != outcome_word::Obsolete;
}

std::string fileName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

// When the sheet's file was made: an up-to-date sheet's earlier plot, else the run's.
std::string dateOf(const ReportRow& row) {
    constexpr std::string_view Plotted = "plotted ";
    if (row.outcome == outcome_word::UpToDate && row.reason.starts_with(Plotted)) return row.reason.substr(8, 10);
    return row.started.substr(0, 10);
}

bool formulaLike(const std::string& cell) {
    if (cell.empty()) return false;
    if (cell.front() == '=' || cell.front() == '+' || cell.front() == '@') return true;
    return cell.front() == '-' && cell.size() > 1 && cell.find_first_not_of("0123456789.", 1) != std::string::npos;
}

}  // namespace

RegisterTable registerTable(const std::vector<ReportRow>& rows, const std::vector<std::string>& columns,
                            const std::map<std::string, std::string>* pages) {
    std::vector<std::vector<std::pair<std::string, std::string>>> values;
    std::vector<std::string> tags = columns;
    for (const ReportRow& row : rows) {
        if (!registered(row)) continue;
        values.push_back(titleValuesFrom(row.titleValues).value_or(std::vector<std::pair<std::string, std::string>>{}));
        if (!columns.empty()) continue;
        for (const auto& [tag, value] : values.back()) addTagOnce(tags, tag);
    }
    RegisterTable table;
    table.headings = tags;
    for (const char* heading : {"Drawing", "Layout", "Paper", "Plot file", "Pages", "Outcome", "Date"})
        if (pages || std::string_view(heading) != "Pages") table.headings.emplace_back(heading);
    std::size_t at = 0;
    for (const ReportRow& row : rows) {
        if (!registered(row)) continue;
        std::vector<std::string> cells;
        for (const auto& tag : tags) {
            std::string cell;
            for (const auto& [name, value] : values[at])
                if (cell.empty() && equalsIgnoreCase(name, tag)) cell = value;
            cells.push_back(std::move(cell));
        }
        ++at;
        cells.push_back(fileName(row.drawing));
        cells.push_back(row.layout);
        cells.push_back(row.paper);
        cells.push_back(fileName(row.plotFile));
        if (pages) {
            const auto found = pages->find(recordedSheetKey(row.drawing, row.layout == "Model" ? "" : row.layout));
            cells.push_back(found == pages->end() ? row.combinedPages : found->second);
        }
        cells.push_back(row.outcome);
        cells.push_back(dateOf(row));
        table.rows.push_back(std::move(cells));
    }
    return table;
}

std::string registerCsv(const RegisterTable& table) {
    auto line = [](const std::vector<std::string>& cells) {
        std::string out;
        for (std::size_t i = 0; i < cells.size(); ++i)
            out += (i ? "," : "") + RunReport::field(formulaLike(cells[i]) ? "'" + cells[i] : cells[i]);
        return out + "\r\n";
    };
    std::string text = "\xEF\xBB\xBF" + line(table.headings);
    for (const auto& row : table.rows) text += line(row);
    return text;
}

}  // namespace quillon::plotting
