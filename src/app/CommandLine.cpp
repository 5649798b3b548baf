#include "app/CommandLine.h"

#include "app/MainSettings.h"

namespace quillon::app {

namespace {

std::string lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool isOption(const std::string& arg) { return arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-'); }

// The mode from what was given, once the options are known to go together.
void settleMode(CommandLine& line, std::optional<CommandLine::Mode> unattended, const std::string& asked,
                std::vector<std::string> positional) {
    if (unattended == CommandLine::Mode::CombineReports) {
        if (positional.empty()) throw CommandLineError("/combine needs the run reports of the job's parts.");
        if (line.part || line.until || line.sessions)
            throw CommandLineError("/combine plots nothing: /shard, /until and /sessions do not go with it.");
        if (line.onlyChanged) throw CommandLineError("/combine plots nothing: /changed does not go with it.");
        line.reports = std::move(positional);
        line.mode = *unattended;
        return;
    }
    if (positional.size() > 1) throw CommandLineError("More than one plot job was given: \"" + positional[1] + "\".");
    if (!positional.empty()) line.job = positional.front();
    if (!unattended && (line.report || line.closeWhenDone || line.part || line.until))
        throw CommandLineError("/report, /close, /shard and /until go with /run, /check, /resume or /combine.");
    if (unattended == CommandLine::Mode::ResumeRun && line.part)
        throw CommandLineError("/shard goes with /run or /check; /resume takes up the whole report.");
    if (line.onlyChanged && unattended != CommandLine::Mode::RunJob && unattended != CommandLine::Mode::CheckJob)
        throw CommandLineError("/changed goes with /run or /check; a job file says it with \"plot\": \"changed\".");
    if (unattended == CommandLine::Mode::ResumeRun && line.job.empty())
        throw CommandLineError("/resume needs the run report to resume.");
    if (unattended && line.job.empty()) throw CommandLineError("/" + asked + " needs the plot job to run.");
    if (unattended) line.mode = *unattended;
    else if (!line.job.empty()) line.mode = CommandLine::Mode::OpenJob;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    // The unattended mode asked for, and by which option.
    std::optional<CommandLine::Mode> unattended;
    std::string asked;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!isOption(arg)) {
            positional.push_back(arg);
            continue;
        }
        const std::string name = lowered(arg.substr(1));
        if (name == "?" || name == "help") {
            line.mode = CommandLine::Mode::Usage;
            return line;
        }
        if (name == "run" || name == "check" || name == "resume" || name == "combine") {
            const auto mode = name == "run"      ? CommandLine::Mode::RunJob
                              : name == "check"  ? CommandLine::Mode::CheckJob
                              : name == "resume" ? CommandLine::Mode::ResumeRun
                                                 : CommandLine::Mode::CombineReports;
            if (unattended && *unattended != mode)
                throw CommandLineError("/" + asked + " and /" + name + " cannot go together.");
            unattended = mode;
            asked = name;
        } else if (name == "close") {
            line.closeWhenDone = true;
        } else if (name == "report") {
            if (i + 1 >= args.size() || isOption(args[i + 1]))
                throw CommandLineError("/report needs the path of the report file to write.");
            line.report = args[++i];
        } else if (name == "sessions") {
            const auto count = i + 1 < args.size() ? wholeNumberIn(args[i + 1], 1, MaxCadSessions) : std::nullopt;
            if (!count) throw CommandLineError("/sessions needs the number of CAD sessions, from 1 to 8.");
            line.sessions = static_cast<int>(*count);
            ++i;
        } else if (name == "shard") {
            const auto part = i + 1 < args.size() ? plotting::parseJobPart(args[i + 1]) : std::nullopt;
            if (!part)
                throw CommandLineError("/shard needs the part to run and the number of parts as K/N, "
                                       "with 1 <= K <= N <= 64 (for example /shard 2/4).");
            line.part = part;
            ++i;
        } else if (name == "changed") {
            line.onlyChanged = true;
        } else if (name == "until") {
            const auto until = i + 1 < args.size() ? plotting::parseTimeOfDay(args[i + 1]) : std::nullopt;
            if (!until) throw CommandLineError("/until needs the time the run must end by, as HH:MM (for example /until 06:30).");
            line.until = until;
            ++i;
        } else {
            throw CommandLineError("\"" + arg + "\" is not an option of Quillon.");
        }
    }
    settleMode(line, unattended, asked, std::move(positional));
    return line;
}

std::string commandLineUsage() {
    return "Usage:\r\n"
           "  Quillon.exe                          the window\r\n"
           "  Quillon.exe job.qjob                 the window with the plot job loaded\r\n"
           "  Quillon.exe /run job.qjob [/report report.csv] [/close] [/shard K/N]\r\n"
           "                                       runs the plot job without a question asked;\r\n"
           "                                       /report also writes the run report there,\r\n"
           "                                       /close ends Quillon when the run ends,\r\n"
           "                                       /shard K/N plots only the K-th of N parts (N up to 64):\r\n"
           "                                       a drawing is in part 1 + (h mod N), h the 64-bit FNV-1a\r\n"
           "                                       hash of its path's UTF-8 relative to the job's folder\r\n"
           "                                       (else as the job lists it), case folded, / read as \\,\r\n"
           "                                       so adding or renaming a drawing moves only that one.\r\n"
           "  Quillon.exe /check job.qjob [/report report.csv] [/close] [/shard K/N]\r\n"
           "                                       checks the job's drawings without plotting: opens each,\r\n"
           "                                       repairs its references, sets every sheet up, closes it\r\n"
           "  Quillon.exe /resume report.csv [/report new.csv] [/close]\r\n"
           "                                       plots again the drawings that run did not plot in full,\r\n"
           "                                       with the choices its report records\r\n"
           "  Quillon.exe /combine part1.csv part2.csv ... [/report report.csv] [/close]\r\n"
           "                                       makes the job's combined PDF (or each drawing's) from the\r\n"
           "                                       reports of all its parts and their resumes, in the job's\r\n"
           "                                       order, by the names they recorded; names a missing part\r\n"
           "                                       or sheet (exit code 1)\r\n"
           "  /changed                             (with /run or /check) plots only the drawings changed since\r\n"
           "                                       their last plot, as \"plot\": \"changed\" in the job does;\r\n"
           "                                       the others keep their files, \"up to date\" (see the help)\r\n"
           "  /until HH:MM                         (with /run, /check or /resume) ends the run at that local\r\n"
           "                                       time as Stop does, after the drawing in hand (exit code 4);\r\n"
           "                                       a time already past means the next day's\r\n"
           "  /sessions 1-8                        plots with that many AutoCAD sessions side by side\r\n"
           "                                       (with any of the above; the default is the window's).\r\n"
           "\r\n"
           "Exit codes of /run and /resume (of /check in brackets):\r\n"
           "  0  every drawing found and every sheet plotted as asked, without warnings\r\n"
           "     (every drawing ready)\r\n"
           "  1  a warning, a failure, a skip, a drawing not started, or no drawing found\r\n"
           "     (a warning or a problem)\r\n"
           "  2  the job, the report to resume or the arguments are wrong (nothing opened, nothing plotted)\r\n"
           "  3  AutoCAD could not be started or was lost\r\n"
           "  4  stopped by the user\r\n";
}

}  // namespace quillon::app
