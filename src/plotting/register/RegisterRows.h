#pragma once

#include <map>
#include <string>
#include <vector>

#include "plotting/record/RunReport.h"
#include "plotting/register/RegisterPages.h"

namespace quillon::plotting {

// The register of a set from its record's rows, in the record's order: one row per sheet (and one per drawing
// that made none, saying why), each with its title block's values under the tags asked (columns; empty:
// every tag found, in the order first found), then Drawing, Layout, Paper, Plot file, Pages, Outcome, Date.
// A sheet's values come from its row, so sheets a run never opened (up to date, carried from an earlier run,
// another part's) are described as the run that plotted them read them. pages: a sheet's pages in the set's
// combined file, by recordedSheetKey; without pages the column is left out.
RegisterTable registerTable(const std::vector<ReportRow>& rows, const std::vector<std::string>& columns,
                            const std::map<std::string, std::string>* pages);

// The register as a CSV file a spreadsheet opens as it is: UTF-8 with its mark, a heading, CRLF. A cell a
// spreadsheet would take for a formula (a drawing's text beginning "=", "+", "@" or "-" and more than a
// number) is kept as text by a leading apostrophe: a title block's text is the drawing author's, not ours.
std::string registerCsv(const RegisterTable& table);

}  // namespace quillon::plotting
