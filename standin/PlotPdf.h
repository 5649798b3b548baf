#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillon::standin {

// A page's size in PDF points (1/72 inch).
struct PageSize {
    double width = 0;
    double height = 0;
};

// The paper of a canonical media name, as plotted: "ISO_A1_(594.00_x_841.00_MM)" and
// "ANSI_B_(11.00_x_17.00_Inches)" say their size; the usual ISO, ANSI, ARCH and Letter
// names without one are known by name; anything else is A4. Rotation 1 and 3 (90 and
// 270 degrees) turn the page.
PageSize mediaPageSize(const std::string& canonicalName, int plotRotation);

// Writes a one-page PDF of that size with the lines on it as text, in an uncompressed
// stream, so the lines stay readable in the file's bytes. False when it cannot be written.
bool writePlotPdf(const std::filesystem::path& file, PageSize page, const std::vector<std::string>& lines);

}  // namespace quillon::standin
