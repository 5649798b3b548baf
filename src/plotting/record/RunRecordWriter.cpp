#include "plotting/record/RunRecordWriter.h"

#include <set>

#include "base/Paths.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/record/ReportColumns.h"
#include "plotting/record/ReportRows.h"
#include "plotting/record/RunLedger.h"

namespace quillon::plotting {

namespace {

bool means(const ReportRow& row, OutcomeWord::Meaning meaning) {
    const OutcomeWord* word = findOutcomeWord(row.outcome);
    return word && word->meaning == meaning;
}

}  // namespace

void decideRunNames(PlotSetup& setup, const JobNames& names, const std::vector<std::string>& runDrawings) {
    if (!names.date.empty()) setup.files.runDate = names.date;
    const std::vector<std::string>& listing = names.listing.empty() ? runDrawings : names.listing;
    setup.files.qualifiers =
        names.qualifiersRecorded ? names.qualifiers : plotNameQualifiers(listing, setup.files, setup.device);
    setup.files.recorded = names.sheets;
    for (const std::string& drawing : listing) setup.files.drawings.insert(base::foldedPath(drawing));
    for (const std::string& drawing : runDrawings) setup.files.drawings.insert(base::foldedPath(drawing));
}

RunRecordWriter::RunRecordWriter(std::shared_ptr<RunReport> report, PlotSetup setup, const JobNames& names,
                                 const std::vector<std::string>& drawings, const CombineNaming& naming,
                                 std::shared_ptr<PlotFileClaims> claims, std::string part, LocalTime localTime)
    : report_(report ? std::move(report) : std::make_shared<RunReport>(std::filesystem::path(), !part.empty())),
      setup_(std::move(setup)),
      claims_(std::move(claims)),
      part_(std::move(part)),
      localTime_(std::move(localTime)) {
    // The record's drawings: a resume's report's in its order, then any the run adds.
    std::vector<std::string> paths;
    std::vector<std::vector<ReportRow>> rows;
    auto entryFor = [&](const std::string& path) {
        const auto [at, isNew] = entryOfDrawing_.emplace(base::foldedPath(path), paths.size());
        if (isNew) {
            paths.push_back(path);
            rows.emplace_back();
        }
        return at->second;
    };
    const ReportRow base = choices();
    std::set<std::string> recordedCombined;
    for (const auto& [subject, file] : names.combined) recordedCombined.insert(base::foldedPath(file));
    for (const ReportRow& row : names.carried) {
        if (means(row, OutcomeWord::Meaning::CombinedFile)) continue;
        const std::size_t entry = entryFor(row.drawing);
        rows[entry].push_back(row);
        // The report's choices are this run's, which it took from the report it resumes: one set of choices.
        for (const auto& column : reportColumns())
            if (column.choice) column.read(rows[entry].back(), column.write(base));
        rows[entry].back().part = part_;
        if (row.jobPosition > 0) positions_.emplace(base::foldedPath(row.drawing), row.jobPosition);
    }
    std::vector<bool> plottedHere(paths.size(), false);
    for (const std::string& drawing : drawings) {
        drawingEntry_.push_back(entryFor(drawing));
        plottedHere.resize(paths.size(), false);
        plottedHere[drawingEntry_.back()] = true;
    }
    const std::vector<std::string>& listing = names.listing.empty() ? drawings : names.listing;
    for (std::size_t i = 0; i < listing.size(); ++i)
        positions_.emplace(base::foldedPath(listing[i]), static_cast<int>(i) + 1);
    for (std::size_t entry = 0; entry < paths.size(); ++entry) {
        if (plottedHere[entry]) continue;
        // A carried sheet keeps its file: no sheet of this run may take its name.
        for (const ReportRow& row : rows[entry])
            if (!row.plotFile.empty() && !recordedCombined.count(base::foldedPath(row.plotFile)))
                claims_->takeRecorded(row.plotFile);
        carried_.emplace_back(entry, std::move(rows[entry]));
    }
    leftBehindEntry_ = paths.size();
    combinedBase_ = leftBehindEntry_ + 1;
    // A combined file never takes the name of a file the run keeps (its job, its reports, a drawing).
    for (const std::string& kept : setup_.files.drawings) claims_->takeRecorded(kept);
    const bool namedByProperties =
        setup_.combine.mode == CombineMode::PerDrawing && !valueFields(setup_.combine.fileName).empty();
    // One copy for every drawing's namer, without the claims (which hold the namers) or the sheets' names.
    auto options = std::make_shared<PlotFileOptions>(setup_.files);
    options->claims.reset();
    options->recorded.clear();
    options->drawings.clear();
    for (const auto& [subject, file] : combinedFileNames(setup_.combine, paths, setup_.files, naming)) {
        const auto recorded = names.combined.find(base::foldedPath(subject));
        const std::string name = recorded != names.combined.end() ? recorded->second : file;
        PlotFileClaims::CombinedNamer namer;
        // Still the name given before its drawing was opened: its properties name it when it is (a resume's
        // drawing opened before keeps the name that was decided then).
        if (namedByProperties && base::samePath(name, file))
            namer = [choice = setup_.combine, drawing = subject, options, naming](const NameValues& values) {
                return drawingCombinedFile(choice, drawing, *options, naming, values);
            };
        claims_->reserveCombined(subject, name, std::move(namer));
    }
    combined_ = claims_->combinedFiles();
    movesSeen_ = claims_->combinedMoves();
}

std::vector<ReportRow> RunRecordWriter::rowsOf(const DrawingOutcome& outcome) const {
    const bool timed = outcome.started != std::chrono::system_clock::time_point{};
    std::vector<ReportRow> rows = reportRows(outcome, setup_, timed && localTime_ ? localTime_(outcome.started) : "");
    const auto position = positions_.find(base::foldedPath(outcome.path));
    for (ReportRow& row : rows) {
        row.part = part_;
        if (position != positions_.end()) row.jobPosition = position->second;
    }
    return rows;
}

std::optional<std::string> RunRecordWriter::setEntries(std::vector<std::pair<std::size_t, std::vector<ReportRow>>> changes) {
    return report_->set(std::move(changes));
}

std::optional<std::string> RunRecordWriter::write(const std::vector<DrawingOutcome>& record, std::size_t changed) {
    std::lock_guard<std::mutex> hold(mutex_);
    std::vector<std::pair<std::size_t, std::vector<ReportRow>>> changes;
    if (!begun_) {
        begun_ = true;
        changes = std::move(carried_);
        for (std::size_t k = 0; k < combined_.size(); ++k)
            changes.emplace_back(combinedBase_ + k,
                                 std::vector<ReportRow>{combinedRowAhead(combined_[k].first, combined_[k].second, choices())});
    }
    if (changed == RunLedger::EveryDrawing) {
        for (std::size_t i = 0; i < record.size() && i < drawingEntry_.size(); ++i)
            changes.emplace_back(drawingEntry_[i], rowsOf(record[i]));
    } else if (changed < record.size() && changed < drawingEntry_.size()) {
        changes.emplace_back(drawingEntry_[changed], rowsOf(record[changed]));
    }
    // A sheet took a combined file's name: the file moved on, and its row says where, before it is made.
    if (claims_->combinedMoves() != movesSeen_) {
        movesSeen_ = claims_->combinedMoves();
        const auto now = claims_->combinedFiles();
        for (std::size_t k = 0; k < now.size() && k < combined_.size(); ++k)
            if (now[k].second != combined_[k].second) {
                combined_[k] = now[k];
                changes.emplace_back(combinedBase_ + k,
                                     std::vector<ReportRow>{combinedRowAhead(now[k].first, now[k].second, choices())});
            }
    }
    return setEntries(std::move(changes));
}

std::vector<ReportRow> RunRecordWriter::rows() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return report_->rows();
}

std::vector<std::pair<std::string, std::string>> RunRecordWriter::combinedFiles() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return combined_;
}

bool RunRecordWriter::recordPlaces(const std::vector<SheetPlace>& places) {
    std::lock_guard<std::mutex> hold(mutex_);
    std::map<std::size_t, std::vector<ReportRow>> changed;
    for (const SheetPlace& place : places) {
        if (!place.moves && !place.fromCombined) continue;
        const auto at = entryOfDrawing_.find(base::foldedPath(place.drawing));
        if (at == entryOfDrawing_.end()) continue;
        auto& rows = changed.emplace(at->second, report_->entry(at->second)).first->second;
        for (ReportRow& row : rows) takePlace(row, place);
    }
    return !setEntries(std::vector<std::pair<std::size_t, std::vector<ReportRow>>>(changed.begin(), changed.end()));
}

void RunRecordWriter::recordLeftBehind(const std::vector<DrawingOutcome>& gone) {
    std::lock_guard<std::mutex> hold(mutex_);
    std::vector<ReportRow> rows;
    for (const DrawingOutcome& outcome : gone) {
        for (ReportRow& row : rowsOf(outcome)) rows.push_back(std::move(row));
        leftBehindFiles_ += static_cast<int>(outcome.obsoleteFiles.size());
    }
    // A record that cannot be written says so at the run's end, as for every other row.
    setEntries({{leftBehindEntry_, std::move(rows)}});
}

int RunRecordWriter::leftBehindFiles() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return leftBehindFiles_;
}

std::optional<std::string> RunRecordWriter::recordCombined(const std::vector<std::pair<std::string, ReportRow>>& rows,
                                                           bool stopped) {
    std::lock_guard<std::mutex> hold(mutex_);
    std::map<std::string, const ReportRow*> bySubject;
    for (const auto& [subject, row] : rows) bySubject[base::foldedPath(subject)] = &row;
    std::vector<std::pair<std::size_t, std::vector<ReportRow>>> changes;
    for (std::size_t k = 0; k < combined_.size(); ++k) {
        const auto found = bySubject.find(base::foldedPath(combined_[k].first));
        std::vector<ReportRow> entry;
        if (found != bySubject.end()) {
            entry.push_back(*found->second);
        } else if (stopped) {
            // Never begun: still to make, as a resume finds it.
            ReportRow row = combinedRowAhead(combined_[k].first, combined_[k].second, choices());
            row.outcome = outcome_word::NotCombined;
            row.reason = "stopped before it was begun";
            entry.push_back(row);
        }
        changes.emplace_back(combinedBase_ + k, std::move(entry));
    }
    return setEntries(std::move(changes));
}

std::optional<std::string> RunRecordWriter::finish() {
    std::lock_guard<std::mutex> hold(mutex_);
    return report_->finish();
}

ReportRow RunRecordWriter::choices() const {
    ReportRow row = choicesRow(setup_);
    row.part = part_;
    return row;
}

}  // namespace quillon::plotting
