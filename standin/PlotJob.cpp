#include "standin/PlotJob.h"

#include <algorithm>
#include <cctype>
#include <vector>
#include <filesystem>
#include <fstream>

#include "standin/Failures.h"
#include "standin/PathText.h"
#include "standin/PlotPdf.h"

namespace quillon::standin {

PlotJob::PlotJob(const DrawingModel& doc, const LayoutModel& layout, const DeviceDef& device, int backgroundPlot)
    : device_(&device) {
    PlotRecord& r = record_;
    r.drawing = doc.displayName();
    r.layout = layout.name;
    r.device = device.name;
    // A device given only for this plot prints its default paper when it lacks the layout's.
    const auto& media = device.media;
    r.media = std::find(media.begin(), media.end(), layout.media) != media.end() ? layout.media
              : media.empty()                                                     ? std::string()
                                                                                  : media.front();
    r.styleSheet = layout.styleSheet;
    r.copies = doc.copies;
    r.rotation = layout.plotRotation;
    r.plotType = layout.plotType;
    r.standardScale = layout.standardScale;
    r.useStandardScale = layout.useStandardScale;
    r.centerPlot = layout.centerPlot;
    r.plotWithPlotStyles = layout.plotWithPlotStyles;
    r.quietErrorMode = doc.quietErrorMode;
    r.backgroundPlot = backgroundPlot;
    r.background = backgroundPlot != 0;
}

std::string PlotJob::pathFor(const std::string& requested, const std::string& plotFolder) const {
    std::string path = hasFolderPart(requested) ? requested : joinPath(plotFolder, requested);
    const auto name = path.find_last_of("\\/") == std::string::npos ? 0 : path.find_last_of("\\/") + 1;
    const auto dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot >= name;
    // A raster driver writes its own extension whatever the name given ends in.
    if (!device_->forcedExtension.empty()) return (hasExtension ? path.substr(0, dot) : path) + device_->forcedExtension;
    if (!hasExtension) path += device_->fileExtension;
    return path;
}

void PlotJob::folderGone(const std::string& requested, const std::string& plotFolder) {
    record_.plotFile = pathFor(requested, plotFolder);
    record_.toDevice = false;
    record_.succeeded = false;
    failed("The plot file " + *record_.plotFile + " could not be created: its folder cannot be reached");
}

bool PlotJob::plotToFile(const std::string& requested, const std::string& plotFolder, ExistingPlotFiles existing) {
    const std::string path = pathFor(requested, plotFolder);
    record_.plotFile = path;
    writesNothing_ = !device_->writesFile || isReservedDeviceName(fileNameOf(path));
    std::error_code error;
    if (existing == ExistingPlotFiles::Refuse && std::filesystem::exists(toFsPath(path), error)) {
        record_.toDevice = false;
        record_.succeeded = false;
        failed("The file " + path + " already exists");
    }
    record_.toDevice = false;
    taken_ = device_->available && device_->plotToFile;
    if (background()) return taken_;
    record_.succeeded = taken_ && (writesNothing_ || writeFile(path));
    return record_.succeeded;
}

bool PlotJob::plotToDevice(const std::string& unnamedPlotFolder) {
    record_.toDevice = true;
    // A configuration that plots to a file writes one under a name of the drawing's and the layout's own.
    if (device_->filePort) {
        std::string stem = fileNameOf(record_.drawing);
        if (const auto dot = stem.find_last_of('.'); dot != std::string::npos) stem.erase(dot);
        record_.plotFile = pathFor(stem + "-" + record_.layout, unnamedPlotFolder);
    }
    taken_ = device_->available;
    if (background()) return taken_;
    record_.succeeded = taken_ && (!record_.plotFile || writeFile(*record_.plotFile));
    return taken_;
}

void PlotJob::finish() {
    const bool toPaper = record_.toDevice && !record_.plotFile;
    record_.succeeded = taken_ && (toPaper || writesNothing_ || writeFile(*record_.plotFile));
}

void PlotJob::lose() {
    record_.lost = true;
    record_.succeeded = false;
}

bool PlotJob::writeFile(const std::string& path) const {
    const PlotRecord& r = record_;
    const std::vector<std::string> facts{
        "drawing: " + r.drawing,
        "layout: " + r.layout,
        "device: " + r.device,
        "media: " + r.media,
        "styleSheet: " + r.styleSheet,
        "copies: " + std::to_string(r.copies),
        "rotation: " + std::to_string(r.rotation),
        "plotType: " + std::to_string(r.plotType),
        "standardScale: " + std::to_string(r.standardScale),
        std::string("useStandardScale: ") + (r.useStandardScale ? "true" : "false"),
        std::string("centerPlot: ") + (r.centerPlot ? "true" : "false"),
        std::string("plotWithPlotStyles: ") + (r.plotWithPlotStyles ? "true" : "false"),
    };
    // A PDF device's file is a real PDF a person can open; its page lists the same facts.
    if (makesPdf(r.device)) return writePlotPdf(toFsPath(path), mediaPageSize(r.media, r.rotation), facts);
    std::ofstream out(toFsPath(path), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out) return false;
    for (const std::string& fact : facts) out << fact << '\n';
    out.flush();
    return static_cast<bool>(out);
}

bool makesPdf(const std::string& device) {
    std::string upper = device;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("PDF") != std::string::npos;
}

}  // namespace quillon::standin
