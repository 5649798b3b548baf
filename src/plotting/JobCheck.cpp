#include "plotting/JobCheck.h"

#include "plotting/PlotRules.h"
#include "plotting/Tolerate.h"

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

std::optional<std::vector<std::string>> learnDevicePapers(autocad::CadConnection& connection,
                                                          const std::vector<std::string>& drawings,
                                                          const std::string& device, std::size_t tries) {
    return connection.withApp([&](autocad::CadApplication& app) -> std::optional<std::vector<std::string>> {
        auto documents = app.documents();
        for (std::size_t i = 0; i < drawings.size() && i < tries; ++i) {
            const auto before = documents.count();
            std::optional<autocad::CadDocument> document;
            if (!tolerate("the next drawing may tell the papers instead",
                          [&] { document = connection.openQuietly(documents, drawings[i], true); }))
                continue;
            // The application handed back a document the user has open: not Quillon's to change.
            if (documents.count() <= before) {
                connection.ownDocumentClosed();
                continue;
            }
            connection.rememberOpened(*document);
            std::optional<std::vector<std::string>> papers;
            tolerate("the next drawing may tell the papers instead", [&] {
                auto layout = document->activeLayout();
                layout.setConfigName(device);
                layout.refreshPlotDeviceInfo();
                papers = layout.canonicalMediaNames();
            });
            connection.forgetOpened(*document);
            if (tolerate("should it stay open, leaving Quillon closes it, as every document of its own",
                         [&] { document->close(); }))
                connection.ownDocumentClosed();
            else
                connection.rememberOpened(*document);
            if (papers) return papers;
        }
        return std::nullopt;
    });
}

}  // namespace quillon::plotting
