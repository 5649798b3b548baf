#pragma once

#include <mutex>
#include <set>
#include <string>

#include "plotting/pdf/PdfFileAccess.h"

namespace quillon::plotting {

// Files for the PDF library on Windows. Its C runtime opens files by narrow
// names in the ANSI code page, which the program keeps as it is. A path that
// code page holds exactly (and short enough for the classic limit) is given
// as it is; any other is read through a copy in the temporary folder under a
// plain name of its own (the process, and a serial unique in the process),
// removed once read. The combined file itself is written through a stream
// of the program's own, so its name may be anything.
class WinPdfFileAccess : public PdfFileAccess {
public:
    std::string readableName(const std::string& path, std::size_t serial, std::string& why) override;
    void doneReading(const std::string& path, const std::string& name) override;
    bool replace(const std::string& from, const std::string& to, std::string& why) override;
    bool exists(const std::string& path) override;
    void remove(const std::string& path) override;

private:
    std::mutex mutex_;
    std::set<std::string> copies_;
};

}  // namespace quillon::plotting
