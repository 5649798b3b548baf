#include "plotting/register/SetRegister.h"

#include <utility>

#include "base/Paths.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/register/RegisterRows.h"

namespace quillon::plotting {

SetRegister::SetRegister(const PlotSetup& setup, const CombineNaming& naming, RegisterFonts fonts)
    : setup_(setup),
      wanted_(setup.purpose == RunPurpose::Plot && !setup.registerName.empty()),
      file_(wanted_ ? registerFileName(setup.registerName, naming) : std::string()),
      title_(naming.jobName),
      fonts_(std::move(fonts)) {}

void SetRegister::removeFrontPages(PdfFileAccess& files) {
    if (!front_.empty()) files.remove(front_);
    front_.clear();
}

CombineFront SetRegister::frontPages(const std::vector<ReportRow>& rows, PdfFileAccess& files) {
    if (!wanted_ || setup_.combine.mode != CombineMode::Run) return {};
    // Where a sheet's pages fall is known only once the set is combined: the CSV says it, the pages do not.
    const RegisterTable table = [&] {
        RegisterTable made = registerTable(rows, setup_.registerColumns, nullptr);
        made.title = title_;
        return made;
    }();
    front_ = file_.substr(0, base::extensionStart(file_)) + ".~pages.pdf";
    const RegisterPagesResult written = writeRegisterPages(table, front_, fonts_, files);
    if (!written.ok) {
        problem_ = "the register's pages could not be made: " + written.error;
        return {};
    }
    if (!written.note.empty()) problem_ = written.note;
    return {front_, "Register"};
}

void SetRegister::notePlaces(const std::vector<SheetPlace>& places) {
    for (const SheetPlace& place : places) pages_[recordedSheetKey(place.drawing, place.layout)] = place.pages;
}

bool SetRegister::writeCsv(const std::vector<ReportRow>& rows) {
    if (!wanted_) return true;
    const bool combined = setup_.combine.mode != CombineMode::None;
    const RegisterTable table = registerTable(rows, setup_.registerColumns, combined ? &pages_ : nullptr);
    if (const auto why = RunReport::replaceFile(base::pathOfUtf8(file_), registerCsv(table))) {
        problem_ += (problem_.empty() ? "" : "; ") + std::string("the register ") + file_ + " could not be written: " + *why;
        return false;
    }
    return true;
}

}  // namespace quillon::plotting
