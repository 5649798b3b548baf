#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quillon::plotting {

// The width text takes when drawn, in points.
using TextWidth = std::function<double(const std::string&)>;

// The columns' widths across a table as wide as width, from the widths their contents want. When all fit, each
// has what it wants and the last one the spare too, so that the table spans the page with its columns close
// together. When not, a column that wants less
// than an even share keeps what it wants, and the others share the rest evenly: short columns (numbers,
// dates) stay whole and only the long ones are shortened.
std::vector<double> columnWidths(const std::vector<double>& wanted, double width);

// text (well-formed UTF-8) as it fits in width: whole, or its longest beginning followed by "..."; empty
// when not even "..." fits.
std::string fittedText(const std::string& text, double width, const TextWidth& measure);

}  // namespace quillon::plotting
