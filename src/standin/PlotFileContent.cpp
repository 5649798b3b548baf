#include "standin/PlotFileContent.h"

#include <sstream>

#include "standin/TextCase.h"

namespace quillon::standin {

namespace {

bool isPdf(const std::string& path) {
    return path.size() >= 4 && equalsNoCase(std::string_view(path).substr(path.size() - 4), ".pdf");
}

}  // namespace

std::string plotFileContent(const PlotRecord& r, const std::string& path) {
    std::ostringstream text;
    text << "drawing: " << r.drawing << '\n'
         << "layout: " << r.layout << '\n'
         << "device: " << r.device << '\n'
         << "media: " << r.media << '\n'
         << "styleSheet: " << r.styleSheet << '\n'
         << "copies: " << r.copies << '\n'
         << "rotation: " << r.rotation << '\n'
         << "plotType: " << r.plotType << '\n'
         << "standardScale: " << r.standardScale << '\n'
         << "useStandardScale: " << (r.useStandardScale ? "true" : "false") << '\n'
         << "centerPlot: " << (r.centerPlot ? "true" : "false") << '\n'
         << "plotWithPlotStyles: " << (r.plotWithPlotStyles ? "true" : "false") << '\n';
    if (!isPdf(path)) return text.str();
    // A PDF's header and trailer around the facts as comment lines; readers that only sniff the type accept it.
    std::string pdf = "%PDF-1.4\n";
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) pdf += "% " + line + "\n";
    return pdf + "%%EOF\n";
}

}  // namespace quillon::standin
