#include "plotting/pdf/PdfCombiner.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <random>

#include <pdfio.h>

#include "plotting/files/PlotFileClaims.h"
#include "plotting/pdf/PdfOutline.h"

namespace quillon::plotting {

namespace {

// The library's complaints about one file, kept for the reason a sheet is left out.
bool keepError(pdfio_file_t*, const char* message, void* data) {
    auto* errors = static_cast<std::string*>(data);
    if (errors->empty()) *errors = message;
    return false;  // stop at the first error: a damaged sheet is left out, not half-read
}

ssize_t writeToStream(void* context, const void* data, std::size_t length) {
    auto* out = static_cast<std::ofstream*>(context);
    out->write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
    return *out ? static_cast<ssize_t>(length) : -1;
}

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Beside the target, so that moving it into place is a rename on the same volume.
std::string temporaryName(const std::string& target) {
    std::random_device random;
    static const char* digits = "0123456789abcdef";
    std::string tag;
    for (int i = 0; i < 8; ++i) tag += digits[random() & 0xF];
    return target + ".~" + tag + ".tmp";
}

// One open sheet file, closed (and its copy removed) however reading it ends.
class SheetReader {
public:
    SheetReader(PdfFileAccess& files, const std::string& path, std::size_t serial) : files_(files), path_(path) {
        name_ = files_.readableName(path, serial, error_);
        if (name_.empty()) return;
        pdf_ = pdfioFileOpen(name_.c_str(), nullptr, nullptr, keepError, &error_);
        if (!pdf_ && error_.empty()) error_ = "the file cannot be read as a PDF";
    }
    ~SheetReader() {
        if (pdf_) pdfioFileClose(pdf_);
        if (!name_.empty()) files_.doneReading(path_, name_);
    }
    SheetReader(const SheetReader&) = delete;
    SheetReader& operator=(const SheetReader&) = delete;

    pdfio_file_t* pdf() const { return pdf_; }
    const std::string& error() const { return error_; }

private:
    PdfFileAccess& files_;
    std::string path_;
    std::string name_;
    std::string error_;
    pdfio_file_t* pdf_ = nullptr;
};

// Serials are unique across every combine of the process, so that copies of two combines never share a name.
std::size_t nextSerial() {
    static std::size_t serial = 0;
    static std::mutex lock;
    std::lock_guard<std::mutex> hold(lock);
    return ++serial;
}

struct Written {
    std::string frontLeftOut;
    std::vector<LeftOutSheet> leftOut;
    std::vector<PlacedSheet> placed;
    std::size_t pages = 0;
    bool stopped = false;
    std::string error;
};

// The pages of one sheet in the file that holds it: all of a sheet file's, or those under the sheet's bookmark
// in an earlier combined file. Combined files stay open while the combine lasts: many sheets come from each.
class SheetSources {
public:
    explicit SheetSources(PdfFileAccess& files) : files_(files) {}

    struct Pages {
        pdfio_file_t* pdf = nullptr;
        std::size_t first = 0;
        std::size_t count = 0;
        std::string why;  // when there are none
    };

    Pages pagesOf(const CombinedSheet& sheet) {
        if (!sheet.inCombinedFile) {
            single_ = std::make_unique<SheetReader>(files_, sheet.file, nextSerial());
            return whole(*single_);
        }
        auto found = combined_.find(sheet.file);
        if (found == combined_.end()) {
            Combined opened{std::make_unique<SheetReader>(files_, sheet.file, nextSerial()), {}};
            if (opened.reader->pdf()) opened.entries = readOutline(opened.reader->pdf());
            found = combined_.emplace(sheet.file, std::move(opened)).first;
        }
        pdfio_file_t* pdf = found->second.reader->pdf();
        if (!pdf) return {nullptr, 0, 0, found->second.reader->error()};
        if (sheet.pageCount > 0) {
            if (sheet.firstPage + sheet.pageCount > pdfioFileGetNumPages(pdf))
                return {nullptr, 0, 0, "its pages are no longer in " + sheet.file};
            return {pdf, sheet.firstPage, sheet.pageCount, ""};
        }
        const std::vector<OutlineEntry>& entries = found->second.entries;
        std::size_t seen = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].drawing != sheet.drawing || entries[i].layout != sheet.bookmarkText() || seen++ != sheet.occurrence)
                continue;
            const std::size_t end = i + 1 < entries.size() ? entries[i + 1].firstPage : pdfioFileGetNumPages(pdf);
            if (end <= entries[i].firstPage) break;
            return {pdf, entries[i].firstPage, end - entries[i].firstPage, ""};
        }
        return {nullptr, 0, 0, "it is not among the bookmarks of " + sheet.file};
    }

private:
    static Pages whole(const SheetReader& reader) {
        if (!reader.pdf()) return {nullptr, 0, 0, reader.error()};
        const std::size_t count = pdfioFileGetNumPages(reader.pdf());
        return {reader.pdf(), 0, count, count == 0 ? "the file has no page" : ""};
    }

    struct Combined {
        std::unique_ptr<SheetReader> reader;
        std::vector<OutlineEntry> entries;
    };
    PdfFileAccess& files_;
    std::unique_ptr<SheetReader> single_;  // the sheet file in hand, closed when the next one opens
    std::map<std::string, Combined> combined_;
};

// Copies count pages of source from first to the end of pdf; how many it copied.
std::size_t copyPages(pdfio_file_t* pdf, pdfio_file_t* source, std::size_t first, std::size_t count) {
    std::size_t copied = 0;
    while (copied < count && pdfioPageCopy(pdf, pdfioFileGetPage(source, first + copied))) ++copied;
    return copied;
}

// Copies the front pages, all of them or none, with the mark to the first; why not into written.
void copyFront(pdfio_file_t* pdf, const CombineFront& front, PdfFileAccess& files, std::string& outError,
               Written& written, std::vector<OutlineMark>& marks) {
    SheetReader reader(files, front.file, nextSerial());
    const std::size_t count = reader.pdf() ? pdfioFileGetNumPages(reader.pdf()) : 0;
    const std::size_t copied = count > 0 ? copyPages(pdf, reader.pdf(), 0, count) : 0;
    if (copied == count && count > 0) {
        marks.push_back({front.bookmark, pdfioFileGetPage(pdf, 0)});
        written.pages += count;
    } else if (copied > 0) {
        written.error = "a page of " + front.file + " could not be copied: " + outError;
    } else {
        written.frontLeftOut = !reader.pdf() ? reader.error()
                               : count == 0  ? "the file has no page"
                                             : "its page cannot be copied" + (outError.empty() ? "" : ": " + outError);
        outError.clear();
    }
}

// Copies the front pages and every readable sheet's pages into a new file at path.
Written writeCombined(const std::vector<CombinedSheet>& sheets, const std::string& path, PdfFileAccess& files,
                      const CombineProgress& control, const CombineFront& front) {
    Written written;
    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        written.error = "cannot create " + path;
        return written;
    }
    std::string outError;
    pdfio_rect_t a4{0, 0, 595.28, 841.89};
    pdfio_file_t* pdf = pdfioFileCreateOutput(writeToStream, &out, "1.7", &a4, nullptr, keepError, &outError);
    if (!pdf) {
        written.error = "cannot write " + path + ": " + outError;
        return written;
    }
    std::vector<OutlineSheet> outline;
    std::vector<OutlineMark> marks;
    if (!front.file.empty()) copyFront(pdf, front, files, outError, written, marks);
    if (written.error.empty()) {
        // Every source is closed before the new file is: a resume's file may replace the one it reads from.
        SheetSources sources(files);
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (control.stop && control.stop()) {
                written.stopped = true;
                break;
            }
            if (control.progress) control.progress(i, sheets.size());
            const CombinedSheet& sheet = sheets[i];
            const SheetSources::Pages source = sources.pagesOf(sheet);
            if (!source.pdf) {
                written.leftOut.push_back({sheet, source.why});
                continue;
            }
            const std::size_t before = pdfioFileGetNumPages(pdf);
            const std::size_t copied = copyPages(pdf, source.pdf, source.first, source.count);
            if (copied < source.count && pdfioFileGetNumPages(pdf) != before) {
                // Pages already in cannot be taken out again: the file as a whole is not to be trusted.
                written.error = "a page of " + sheet.file + " could not be copied: " + outError;
                break;
            }
            if (copied < source.count) {
                written.leftOut.push_back({sheet, "its page cannot be copied" + (outError.empty() ? "" : ": " + outError)});
                outError.clear();
                continue;
            }
            outline.push_back({sheet.drawing, sheet.bookmarkText(), pdfioFileGetPage(pdf, before)});
            written.placed.push_back({i, before, source.count});
            written.pages += source.count;
        }
    }
    if (!writeOutline(pdf, outline, marks) && written.error.empty()) written.error = "the bookmarks cannot be written";
    if (!pdfioFileClose(pdf) && written.error.empty()) written.error = "cannot write " + path + ": " + outError;
    out.close();
    if (!out && written.error.empty()) written.error = "cannot write " + path;
    return written;
}

}  // namespace

long countPdfPages(const std::string& file, PdfFileAccess& files, std::string& why) {
    SheetReader reader(files, file, nextSerial());
    if (!reader.pdf()) {
        why = reader.error();
        return -1;
    }
    return static_cast<long>(pdfioFileGetNumPages(reader.pdf()));
}

CombineResult combinePdfSheets(const std::vector<CombinedSheet>& sheets, const std::string& target,
                               PdfFileAccess& files, const CombineProgress& control, const CombineFront& front) {
    CombineResult result;
    const std::string temporary = temporaryName(target);
    Written written = writeCombined(sheets, temporary, files, control, front);
    result.frontLeftOut = std::move(written.frontLeftOut);
    result.leftOut = std::move(written.leftOut);
    result.placed = std::move(written.placed);
    auto fail = [&](CombineResult::Kind kind, std::string why) {
        files.remove(temporary);
        result.placed.clear();
        result.kind = kind;
        result.error = std::move(why);
        return result;
    };
    if (written.stopped) return fail(CombineResult::Kind::Stopped, "stopped");
    if (!written.error.empty()) return fail(CombineResult::Kind::Failed, written.error);
    // Front pages alone are no set.
    if (result.placed.empty()) return fail(CombineResult::Kind::Failed, "no sheet could be read");

    std::string why;
    const long counted = countPdfPages(temporary, files, why);
    if (counted != static_cast<long>(written.pages)) {
        return fail(CombineResult::Kind::Failed,
                    counted < 0 ? "the combined file cannot be read back: " + why
                                : "the combined file has " + std::to_string(counted) + " pages, not " +
                                      std::to_string(written.pages));
    }
    result.pages = written.pages;

    std::string place = target;
    bool placed = files.replace(temporary, place, why);
    for (int n = 2; !placed && n < 100; ++n) {
        place = numberedPlotName(target, n);
        std::string ignored;  // the first refusal, at the target itself, is the reason worth giving
        if (!files.exists(place)) placed = files.replace(temporary, place, ignored);
    }
    if (!placed) return fail(CombineResult::Kind::Failed, "cannot put the combined file at " + target + ": " + why);
    result.file = place;
    result.kind = result.leftOut.empty() && result.frontLeftOut.empty() ? CombineResult::Kind::Combined
                                                                        : CombineResult::Kind::CombinedWithWarnings;
    return result;
}

}  // namespace quillon::plotting
