#include "plotting/boxes/PlotLists.h"

#include "plotting/ScratchDocument.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quillon::plotting {

using autocad::CadApplication;
using autocad::CadLayout;

namespace {

// Sizes every paper list offers ahead of the CAD application's own names.
constexpr const char* PlotListsStandardSizes[] = {"A0", "A1", "A3", "A4"};
constexpr const char* PaperListStandardSizes[] = {"A0", "A1", "A4", "A3"};
// Only the first thirty media names can be offered.
constexpr std::size_t MediaWalkLimit = 30;

// The model-space plot configuration of the active document, refreshed so
// its lists are those of its current device.
CadLayout plotConfigurationSource(autocad::CadConnection& connection, CadApplication& app) {
    auto documents = app.documents();
    if (documents.count() == 0) {
        // The lists come from an open drawing; without one, a new empty one serves.
        auto added = documents.add();
        connection.rememberAdded(added);
    }
    CadApplication application(app.raw()->object("Application"));
    auto layout = application.activeDocument().modelSpace().layout();
    layout.refreshPlotDeviceInfo();
    return layout;
}

// The device's papers, read through a blank drawing added for it and closed
// unsaved; nothing when no drawing can be added.
std::optional<std::vector<std::string>> mediaOfDevice(autocad::CadConnection& connection, CadApplication& app,
                                                      const std::string& device) {
    auto documents = app.documents();
    std::optional<autocad::CadDocument> blank;
    try {
        blank = documents.add();
    } catch (const automation::AutomationError& error) {
        // Single-document mode refuses a second drawing: the active one's list is all there is.
        if (error.serverGone()) throw;
        return std::nullopt;
    }
    return readThenClose(connection, *blank, [&](autocad::CadDocument& document) {
        auto layout = document.modelSpace().layout();
        layout.setConfigName(device);
        layout.refreshPlotDeviceInfo();
        return layout.canonicalMediaNames();
    });
}

void fillPaper(ComboBox& paperBox, const char* const (&standardSizes)[4], const std::vector<std::string>& mediaNames) {
    paperBox.clear();
    paperBox.setText(plot_list_text::PaperPlaceholder);
    for (const char* size : standardSizes) paperBox.addItem(size);
    const std::string exclusion = exclusionText(paperBox);
    for (std::size_t i = 0; i < mediaNames.size(); ++i) {
        if (i > MediaWalkLimit) break;
        const std::string& name = mediaNames[i];
        // Both tests are case-sensitive: a name without a capital A never qualifies.
        if (i < MediaWalkLimit && name.find('A') != std::string::npos && exclusion.find(name) == std::string::npos)
            paperBox.addItem(name);
    }
}

void fillAll(ComboBox& box, const char* placeholder, const std::vector<std::string>& names) {
    box.clear();
    box.setText(placeholder);
    for (const auto& name : names) box.addItem(name);
}

}  // namespace

std::string exclusionText(const ComboBox& paperBox) {
    std::string text;
    const std::size_t count = std::min<std::size_t>(paperBox.itemCount(), 4);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += plot_list_text::ExclusionSeparator;
        text += paperBox.itemText(i);
    }
    return text;
}

void fillPlotLists(autocad::CadConnection& connection, ComboBox& deviceBox, ComboBox& paperBox, ComboBox& styleBox) {
    connection.withApp([&](CadApplication& app) {
        auto layout = plotConfigurationSource(connection, app);
        fillAll(deviceBox, plot_list_text::DevicePlaceholder, layout.plotDeviceNames());
        fillPaper(paperBox, PlotListsStandardSizes, layout.canonicalMediaNames());
        fillAll(styleBox, plot_list_text::StylePlaceholder, layout.plotStyleTableNames());
    });
}

void fillPaperList(autocad::CadConnection& connection, ComboBox& paperBox, const std::string& device) {
    connection.withApp([&](CadApplication& app) {
        std::optional<std::vector<std::string>> media;
        if (!device.empty()) media = mediaOfDevice(connection, app, device);
        if (!media) media = plotConfigurationSource(connection, app).canonicalMediaNames();
        fillPaper(paperBox, PaperListStandardSizes, *media);
    });
}

}  // namespace quillon::plotting
