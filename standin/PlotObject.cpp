#include "standin/PlotObject.h"

#include <limits>

#include "standin/Arguments.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/PlotJob.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"QuietErrorMode", MemberKind::ReadWrite}, {"NumberOfCopies", MemberKind::ReadWrite},
    {"Application", MemberKind::ReadOnly},     {"PlotToFile", MemberKind::Method},
    {"PlotToDevice", MemberKind::Method},
};

}  // namespace

PlotObject::PlotObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc)
    : ModelObject(std::move(state)), doc_(std::move(doc)) {}

MemberTable PlotObject::members() const { return kMembers; }

Value PlotObject::read(std::string_view member) {
    if (member == "QuietErrorMode") return doc_->quietErrorMode;
    if (member == "NumberOfCopies") return Value(static_cast<std::int32_t>(doc_->copies));
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

void PlotObject::write(std::string_view member, const Value& value) {
    if (member == "QuietErrorMode") {
        doc_->quietErrorMode = value.toBool();
        return;
    }
    if (member == "NumberOfCopies") {
        const std::int32_t copies = value.toInt();
        if (copies < 1 || copies > std::numeric_limits<std::int16_t>::max())
            invalidInput("Invalid input: " + std::to_string(copies) + " is not a valid number of copies");
        doc_->copies = copies;
        return;
    }
    ModelObject::write(member, value);
}

const DeviceDef& PlotObject::deviceFor(const LayoutModel& layout, const std::optional<std::string>& config) const {
    // A configuration the application cannot find gives way to the layout's current one, without a word.
    const DeviceDef* device = config ? state().devices().find(*config) : nullptr;
    if (!device) device = state().devices().find(layout.configName);
    if (!device) invalidInput("Invalid input: there is no plot device named " + layout.configName);
    return *device;
}

std::string PlotObject::plotFolder() const {
    if (!state().scenario().plotFolder.empty()) return state().scenario().plotFolder;
    return doc_->folder.empty() ? state().baseDir() : doc_->folder;
}

void PlotObject::requireActive() const {
    // The application plots only from the drawing the user is looking at.
    if (state().session().active() != doc_)
        failed("Plot failed: " + doc_->name + " is not the active drawing; a drawing must be active to be plotted");
}

void PlotObject::hand(PlotJob job, bool taken) {
    if (job.background() && taken) state().plots().add(doc_, std::move(job));
    else state().journal().recordPlot(job.record());
}

Value PlotObject::invoke(std::string_view member, std::span<const Value> args) {
    const LayoutModel& layout = *doc_->activeLayout;
    const int backgroundPlot = state().variables().backgroundPlot();
    if (member == "PlotToFile") {
        Arguments a(member, args, 1, 2);
        const std::string file = a.text(0);
        if (file.empty()) invalidInput("Invalid input: no plot file name given");
        PlotJob job(*doc_, layout, deviceFor(layout, a.has(1) ? std::optional(a.text(1)) : std::nullopt),
                    backgroundPlot);
        requireActive();
        bool taken = false;
        try {
            const auto vanishes = state().scenario().plotFolderVanishesAfter;
            if (vanishes && state().filePlots >= *vanishes) job.folderGone(file, plotFolder());
            ++state().filePlots;
            taken = job.plotToFile(file, plotFolder(), state().scenario().existingPlotFiles);
        } catch (...) {
            // The refused plot is on the record too.
            state().journal().recordPlot(job.record());
            throw;
        }
        hand(std::move(job), taken);
        return taken;
    }
    if (member == "PlotToDevice") {
        Arguments a(member, args, 0, 1);
        PlotJob job(*doc_, layout, deviceFor(layout, a.has(0) ? std::optional(a.text(0)) : std::nullopt),
                    backgroundPlot);
        requireActive();
        const bool taken = job.plotToDevice(state().defaultPlotToFilePath);
        hand(std::move(job), taken);
        return taken;
    }
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
