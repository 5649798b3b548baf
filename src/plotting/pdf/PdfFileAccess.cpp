#include "plotting/pdf/PdfFileAccess.h"

#include <filesystem>
#include <system_error>

namespace quillon::plotting {

namespace {

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::string StdPdfFileAccess::readableName(const std::string& path, std::size_t, std::string&) { return path; }

void StdPdfFileAccess::doneReading(const std::string&, const std::string&) {}

bool StdPdfFileAccess::replace(const std::string& from, const std::string& to, std::string& why) {
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    if (error) why = error.message();
    return !error;
}

bool StdPdfFileAccess::exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(fsPath(path), error);
}

void StdPdfFileAccess::remove(const std::string& path) {
    std::error_code error;
    // A left-over temporary file is harmless: nothing reads it, and the next combine writes under a new name.
    std::filesystem::remove(fsPath(path), error);
}

}  // namespace quillon::plotting
