#include "plotting/job/JobCheck.h"

#include "plotting/ScratchDocument.h"

namespace quillon::plotting {

using automation::AutomationError;

std::optional<std::string> offeredName(const std::vector<std::string>& names, const std::string& name) {
    for (const auto& offered : names)
        if (offered == name) return offered;
    for (const auto& offered : names)
        if (equalsIgnoreCase(offered, name)) return offered;
    return std::nullopt;
}

std::optional<std::string> adoptOfferedNames(PlotJobSpec& job, const std::vector<std::string>& devices,
                                             const std::vector<std::string>& styleTables) {
    const auto device = offeredName(devices, job.device);
    if (!device) return "device \"" + job.device + "\"";
    const auto table = offeredName(styleTables, job.plotStyleTable);
    if (!table) return "plot style table \"" + job.plotStyleTable + "\"";
    job.device = *device;
    job.plotStyleTable = *table;
    return std::nullopt;
}

std::optional<std::string> paperRefusal(const std::string& device, const std::string& paper,
                                        const std::vector<std::string>& offered) {
    if (matchPaper(offered, paper)) return std::nullopt;
    std::string list;
    for (const auto& name : offered) list += (list.empty() ? "" : ", ") + name;
    return "The device \"" + device + "\" does not offer the paper \"" + paper +
           "\". It offers: " + (list.empty() ? "no paper at all" : list) + ".";
}

std::optional<Refusal> refusalBeforeCad(const PlotSetup& setup, base::FileSystem& files) {
    if (auto refusal = plotFilesRefusal(setup, [&](const std::string& folder) { return files.canWriteIn(folder); }))
        return refusal;
    if (setup.sheetSettings == SheetSettings::Template && !files.fileExists(setup.pageSetupFile))
        return Refusal{"Page Setup", "The template drawing " + setup.pageSetupFile +
                                         " (pageSetupFile) does not exist or cannot be read.\r\nChoose another "
                                         "template for the page setups, and start the run again."};
    return std::nullopt;
}

std::optional<Refusal> jobRefusalBeforeCad(const PlotJobSpec& job, base::FileSystem& files) {
    if (job.folder && !files.list(*job.folder))
        return Refusal{"Plot Job", "The plot job's folder " + *job.folder + " does not exist or cannot be read."};
    PlotSetup setup;
    setup.files.folder = job.plotFolder;
    setup.files.extension = job.plotFileExtension;
    setup.sheetSettings = sheetSettingsFromWord(job.sheetSettings).value_or(SheetSettings::Quillon);
    setup.pageSetupFile = job.pageSetupFile;
    return refusalBeforeCad(setup, files);
}

std::optional<std::string> replayRefusal(const PlotJobSpec& job) {
    try {
        readPlotJob(writePlotJob(job));
    } catch (const PlotJobError& error) {
        return error.what();
    }
    return std::nullopt;
}

namespace {

std::string templateRefusal(const PlotSetup& setup, const std::vector<std::string>& offered) {
    std::string list;
    for (const auto& name : offered) list += (list.empty() ? "" : ", ") + name;
    return "The template drawing " + setup.pageSetupFile + " has no page setup \"" + setup.pageSetup +
           "\" (pageSetup). It has: " + (list.empty() ? "no page setup at all" : list) + ".";
}

}  // namespace

std::optional<std::string> refusalBeforeFirstOpen(autocad::CadConnection& connection, const PlotSetup& setup,
                                                  bool paper) {
    const bool fromTemplate = setup.sheetSettings == SheetSettings::Template;
    if (!fromTemplate && !paper) return std::nullopt;
    return connection.withApp([&](autocad::CadApplication& app) -> std::optional<std::string> {
        auto documents = app.documents();
        std::optional<autocad::CadDocument> blank;
        try {
            blank = connection.addDrawing(documents, fromTemplate ? setup.pageSetupFile : std::string());
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            // Single-document mode, or a template the application will not make a drawing from.
            return std::nullopt;
        }
        return readThenClose(connection, *blank, [&](autocad::CadDocument& document) -> std::optional<std::string> {
            if (fromTemplate) {
                std::vector<std::string> names;
                for (const auto& pageSetup : document.raw()->object("PlotConfigurations")->enumerate())
                    names.push_back(pageSetup->get("Name").toText());
                if (!offeredName(names, setup.pageSetup)) return templateRefusal(setup, names);
            }
            if (!paper) return std::nullopt;
            auto layout = document.modelSpace().layout();
            layout.setConfigName(setup.device);
            layout.refreshPlotDeviceInfo();
            return paperRefusal(setup.device, setup.paper, layout.canonicalMediaNames());
        });
    });
}

}  // namespace quillon::plotting
