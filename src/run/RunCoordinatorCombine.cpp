#include <filesystem>

#include "plotting/StatusLines.h"
#include "plotting/changes/ChangeCheck.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/register/SetRegister.h"
#include "plotting/record/OutcomeWords.h"
#include "run/RunCoordinator.h"

namespace quillon::run {

namespace {

std::string lastName(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string withoutExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

plotting::CombineNaming RunCoordinator::combineNaming(const ActiveRun& run) const {
    const plotting::PlotSetup& setup = run.setup;
    plotting::CombineNaming naming;
    naming.date = setup.files.runDate;
    naming.part = host_.reports().part();
    std::string folder = run.listedFolder;
    naming.folderName = lastName(folder);
    naming.jobName = "Quillon";
    if (const std::string& file = run.jobFile; !file.empty()) {
        naming.jobName = withoutExtension(lastName(file));
        // A list of drawings has no folder of its own: its job file's stands for it.
        if (!run.jobHadFolder) {
            folder = file.substr(0, file.find_last_of("\\/") == std::string::npos ? 0 : file.find_last_of("\\/"));
            naming.folderName = naming.jobName;
        }
    }
    naming.runFolder = setup.files.folder.empty() ? folder : setup.files.folder;
    return naming;
}

plotting::RunCombineInput RunCoordinator::combineInput(ActiveRun& run) const {
    plotting::RunCombineInput input;
    input.choice = run.setup.combine;
    input.rows = run.record->rows();
    input.files = run.record->combinedFiles();
    input.choices = run.record->choices();
    input.choices.started = host_.reports().localTime(std::chrono::system_clock::now());
    // The plot record first: a sheet file goes only once the run's record names where the sheet is.
    input.recordPlaces = [record = run.record, changes = run.setup.changes, host = &host_,
                          files = std::shared_ptr<base::FileSystem>()](const std::vector<plotting::SheetPlace>& places) mutable {
        if (changes) {
            if (!files) files = host->fileSystem();
            changes->recordCombined(*files, places);
        }
        return record->recordPlaces(places);
    };
    input.kept = [kept = run.setup.files.drawings](const std::string& folded) { return kept.count(folded) > 0; };
    return input;
}

bool RunCoordinator::startCombining(std::optional<plotting::PlotRun::Ending> ending,
                                    const plotting::PlotRun::Tally& tally) {
    ActiveRun& run = *run_;
    using Ending = plotting::PlotRun::Ending;
    plotting::CombineNaming registerNaming = combineNaming(run);
    if (registerNaming.folderName.empty() && !run.partBase.empty()) registerNaming.folderName = lastName(run.partBase);
    auto setRegister = std::make_shared<plotting::SetRegister>(run.setup, registerNaming, host_.registerFonts());
    if (!run.record || ending == Ending::Refused ||
        (run.setup.combine.mode == plotting::CombineMode::None && !setRegister->wanted()))
        return false;
    plotting::RunCombineInput input = combineInput(run);
    input.recordPlaces = [record = std::move(input.recordPlaces), setRegister](const auto& places) {
        setRegister->notePlaces(places);
        return record(places);
    };
    run.combining = true;
    if (combiner_.joinable()) combiner_.join();
    auto mailbox = mailbox_;
    combiner_ = std::thread([this, mailbox, input, exiting = exiting_, generation = run.generation, record = run.record,
                             ending, tally = plotting::PlotRun::Tally(tally), setRegister]() mutable {
        plotting::RunCombineOutput output;
        std::vector<plotting::ReportRow> rows;
        try {
            const std::unique_ptr<plotting::PdfFileAccess> files = host_.pdfFiles();
            const auto started = std::chrono::steady_clock::now();
            struct FrontPages {
                plotting::SetRegister& made;
                plotting::PdfFileAccess& files;
                ~FrontPages() { made.removeFrontPages(files); }
            } front{*setRegister, *files};
            input.front = setRegister->frontPages(input.rows, *files);
            output = plotting::combineRun(input, *files, [exiting] { return exiting->load(); },
                                          [mailbox, this](const std::string& text) {
                                              // Above the run's closing line, which stays the last.
                                              mailbox->post([this, text] { host_.statusLines().showFromRun(text); });
                                          });
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            for (auto& [subject, row] : output.rows) {
                row.seconds = seconds;
                rows.push_back(row);
            }
            record->recordCombined(output.rows, output.stopped);
            if (setRegister->wanted()) {
                const bool written = setRegister->writeCsv(record->rows());
                if (!written) ++output.withWarnings;
                const std::string said = "register " + setRegister->file() + (written ? "" : " not written") +
                                         (setRegister->problem().empty() ? "" : ": " + setRegister->problem());
                mailbox->post([this, said] { host_.teller().line(said); });
            }
        } catch (const std::exception& error) {
            // The sheets are all there; only the combined files are not: their rows say so, and a resume makes them.
            output.withWarnings += 1;
            output.rows.clear();
            rows.clear();
            for (const auto& [subject, file] : input.files) {
                plotting::ReportRow row = plotting::combinedRowAhead(subject, file, input.choices);
                row.outcome = plotting::outcome_word::NotCombined;
                row.reason = std::string("the sheets could not be combined: ") + error.what();
                output.rows.emplace_back(subject, row);
                rows.push_back(row);
            }
            record->recordCombined(output.rows, false);
        }
        tally.combineProblems += output.withWarnings;
        if (output.stopped && ending == plotting::PlotRun::Ending::Finished) ending = plotting::PlotRun::Ending::Stopped;
        mailbox->post([this, generation, ending, tally, rows] {
            combiningEnded(generation, ending, tally, rows);
        });
    });
    return true;
}

void RunCoordinator::combiningEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                                    const plotting::PlotRun::Tally& tally,
                                    const std::vector<plotting::ReportRow>& rows) {
    if (!run_ || run_->generation != generation) return;
    std::string last;
    for (const auto& row : rows) {
        last = row.plotFile + ": " + row.outcome + ", " + row.reason;
        host_.teller().line("combined file " + last);
    }
    const std::string count = rows.size() > 1 ? std::to_string(rows.size()) + " combined files, the last " : "";
    host_.statusLines().showFromRun(last.empty() ? last : count + last);
    finishRun(std::move(run_), ending, tally);
}

}  // namespace quillon::run
