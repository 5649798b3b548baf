#include "plotting/record/PartsCombine.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>

#include "base/Paths.h"
#include "plotting/job/JobPart.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/record/ReportColumns.h"

namespace quillon::plotting {

namespace {

bool means(const ReportRow& row, OutcomeWord::Meaning meaning) {
    const OutcomeWord* word = findOutcomeWord(row.outcome);
    return word && word->meaning == meaning;
}

[[noreturn]] void refuse(const PartReport& report, int line, const std::string& why) {
    throw std::runtime_error(report.path + ", line " + std::to_string(line) + ": " + why);
}

// "part 2 of 4" as K and N; a report without the column is the whole job, part 1 of 1.
JobPart partOfRow(const PartReport& report, const ReportRecord& record) {
    if (record.row.part.empty()) return {1, 1};
    int k = 0, n = 0;
    if (std::sscanf(record.row.part.c_str(), "part %d of %d", &k, &n) != 2 || k < 1 || k > n || n > JobPart::MaxParts)
        refuse(report, record.line, "the Part column is \"" + record.row.part + "\", not a part of a job");
    return {k, n};
}

// One drawing's rows from one report, and whether they plotted it in full.
struct DrawingRows {
    std::vector<ReportRow> rows;
    bool inFull = true;
    int position = 0;
    std::size_t given = 0;  // its place among the drawings as given, for those without a place in the job
};

std::string withoutPart(const std::string& file, const std::string& part) {
    const std::string suffix = " " + part + ".pdf";
    if (part.empty() || file.size() < suffix.size() || !base::samePath(file.substr(file.size() - suffix.size()), suffix))
        return file;
    return file.substr(0, file.size() - suffix.size()) + ".pdf";
}

}  // namespace

PartsCombine planPartsCombine(const std::vector<PartReport>& reports) {
    if (reports.empty()) throw std::runtime_error("/combine needs the run reports of the job's parts");
    PartsCombine plan;
    const ReportRecord* first = nullptr;
    const PartReport* firstReport = nullptr;
    int parts = 0;
    std::set<int> seen;
    std::map<std::string, DrawingRows> drawings;  // folded path -> rows
    std::map<std::string, std::string> drawingFiles;
    std::string runFile, runSubject;
    std::size_t given = 0;
    for (const PartReport& report : reports) {
        if (report.records.empty()) refuse(report, 2, "the report has no rows");
        std::map<std::string, DrawingRows> mine;
        for (const ReportRecord& record : report.records) {
            ReportRow row = record.row;
            if (means(row, OutcomeWord::Meaning::OfACheck))
                refuse(report, record.line, "the report of a check, which plotted nothing");
            const JobPart part = partOfRow(report, record);
            if (parts != 0 && part.parts != parts)
                refuse(report, record.line, "a part of " + std::to_string(part.parts) + " where " + firstReport->path +
                                                " has parts of " + std::to_string(parts) + ": not the same job");
            parts = part.parts;
            seen.insert(part.part);
            if (!first) {
                first = &record;
                firstReport = &report;
            }
            for (const auto& column : reportColumns())
                if (column.choice && column.write(row) != column.write(first->row))
                    refuse(report, record.line, std::string("the ") + column.choice + " differs from " +
                                                    firstReport->path + "'s: not the same job");
            if (means(row, OutcomeWord::Meaning::CombinedFile)) {
                if (row.plotFile.empty()) continue;
                if (row.combine.mode == CombineMode::Run && runFile.empty()) {
                    runFile = withoutPart(row.plotFile, row.part);
                    runSubject = row.drawing;
                }
                if (row.combine.mode == CombineMode::PerDrawing) drawingFiles[base::foldedPath(row.drawing)] = row.plotFile;
                continue;
            }
            if (row.carriedFrom.empty()) row.carriedFrom = report.path;
            DrawingRows& drawing = mine[base::foldedPath(row.drawing)];
            if (drawing.rows.empty()) drawing.given = given++;
            if (!means(row, OutcomeWord::Meaning::PlottedInFull)) drawing.inFull = false;
            if (row.jobPosition > 0) drawing.position = row.jobPosition;
            row.part.clear();
            row.resumes.clear();
            drawing.rows.push_back(std::move(row));
        }
        for (auto& [path, rows] : mine) {
            const auto earlier = drawings.find(path);
            // A part plotted in full is not undone by another report of it that is not.
            if (earlier == drawings.end() || !earlier->second.inFull || rows.inFull) drawings[path] = std::move(rows);
        }
    }
    plan.choice = first->row.combine;
    if (plan.choice.mode == CombineMode::None)
        throw std::runtime_error(firstReport->path + ": the job does not combine its sheets (its Combine column says no)");
    for (int k = 1; k <= parts; ++k)
        if (!seen.count(k)) plan.missingParts.push_back(JobPart{k, parts}.text());

    std::vector<const DrawingRows*> ordered;
    for (const auto& [path, rows] : drawings) ordered.push_back(&rows);
    // The job's order: its places first, then what the reports do not place, as given.
    std::stable_sort(ordered.begin(), ordered.end(), [](const DrawingRows* a, const DrawingRows* b) {
        if ((a->position > 0) != (b->position > 0)) return a->position > 0;
        return a->position != b->position ? a->position < b->position : a->given < b->given;
    });
    for (const DrawingRows* drawing : ordered) {
        plan.rows.insert(plan.rows.end(), drawing->rows.begin(), drawing->rows.end());
        if (plan.choice.mode != CombineMode::PerDrawing) continue;
        const std::string& path = drawing->rows.front().drawing;
        if (const auto file = drawingFiles.find(base::foldedPath(path)); file != drawingFiles.end())
            plan.files.emplace_back(path, file->second);
        else
            plan.unnamed.push_back(path);
    }
    if (plan.choice.mode == CombineMode::Run) {
        if (runFile.empty()) throw std::runtime_error(firstReport->path + ": no report names the job's combined file");
        plan.files.emplace_back(runSubject, runFile);
    }
    for (const auto& column : reportColumns())
        if (column.choice) column.read(plan.choices, column.write(first->row));
    plan.choices.nameDate = first->row.nameDate;
    return plan;
}

RunCombineOutput combineParts(const PartsCombine& plan, RunReport& report, PdfFileAccess& files,
                              const std::function<void(const std::string&)>& status, const CombineFront& front,
                              const std::function<void(const std::vector<SheetPlace>&)>& placed) {
    // The record ahead: each drawing an entry, then each combined file's.
    std::vector<std::pair<std::size_t, std::vector<ReportRow>>> entries;
    std::map<std::string, std::size_t> entryOfDrawing;
    std::string last;
    for (const ReportRow& row : plan.rows) {
        if (entries.empty() || !base::samePath(last, row.drawing)) entries.emplace_back(entries.size(), std::vector<ReportRow>{});
        last = row.drawing;
        entries.back().second.push_back(row);
        entryOfDrawing[base::foldedPath(row.drawing)] = entries.back().first;
    }
    const std::size_t combinedBase = entries.size();
    for (const auto& [subject, file] : plan.files)
        entries.emplace_back(entries.size(), std::vector<ReportRow>{combinedRowAhead(subject, file, plan.choices)});
    report.set(entries);

    RunCombineInput input{plan.choice, plan.rows, plan.files, plan.choices, nullptr, nullptr};
    input.front = front;
    input.recordPlaces = [&](const std::vector<SheetPlace>& places) {
        if (placed) placed(places);
        std::map<std::size_t, std::vector<ReportRow>> changed;
        for (const SheetPlace& place : places) {
            const auto at = entryOfDrawing.find(base::foldedPath(place.drawing));
            if (at == entryOfDrawing.end()) continue;
            auto& rows = changed.emplace(at->second, report.entry(at->second)).first->second;
            for (ReportRow& row : rows) takePlace(row, place);
        }
        return !report.set(std::vector<std::pair<std::size_t, std::vector<ReportRow>>>(changed.begin(), changed.end()));
    };
    RunCombineOutput output = combineRun(input, files, nullptr, status);
    std::vector<std::pair<std::size_t, std::vector<ReportRow>>> made;
    for (std::size_t k = 0; k < plan.files.size(); ++k) {
        std::vector<ReportRow> rows;
        for (auto& [subject, row] : output.rows) {
            if (!base::samePath(subject, plan.files[k].first)) continue;
            // The job's one set misses every drawing of a part no report was given for.
            if (plan.choice.mode == CombineMode::Run && !plan.missingParts.empty()) {
                if (row.outcome == outcome_word::Combined) {
                    row.outcome = outcome_word::CombinedWithWarnings;
                    ++output.withWarnings;
                }
                for (std::size_t i = 0; i < plan.missingParts.size(); ++i)
                    row.reason += (i == 0 ? "; parts missing: " : ", ") + plan.missingParts[i];
            }
            rows.push_back(row);
        }
        made.emplace_back(combinedBase + k, std::move(rows));
    }
    report.set(std::move(made));
    return output;
}

}  // namespace quillon::plotting
