#include "plotting/sheets/PageSetupList.h"

#include "plotting/ScratchDocument.h"

namespace quillon::plotting {

std::vector<PageSetupName> pageSetupsOf(autocad::CadConnection& connection, const std::string& file) {
    return connection.withApp([&](autocad::CadApplication& app) {
        auto documents = app.documents();
        return readThenClose(connection, documents.open(file, true), [](autocad::CadDocument& document) {
            std::vector<PageSetupName> setups;
            for (const auto& setup : document.raw()->object("PlotConfigurations")->enumerate())
                setups.push_back({setup->get("Name").toText(), setup->get("ModelType").toBool()});
            return setups;
        });
    });
}

std::string pageSetupListText(const PageSetupName& setup) {
    return setup.modelType ? setup.name + " (model space)" : setup.name;
}

}  // namespace quillon::plotting
