#pragma once

#include <cstddef>
#include <string>

namespace quillon::plotting {

// How the PDF library reaches files. It takes file names as narrow strings,
// which on Windows go through the C runtime's ANSI code page: a path outside
// that page cannot be given to it as it is. Paths here are UTF-8.
class PdfFileAccess {
public:
    virtual ~PdfFileAccess() = default;
    // A name the library can open to read the file at path; empty (with why) when there is none.
    // serial is unique within one combine: a copy made under another name must never reuse a
    // name, since the library tells the files it copies from apart by name, date and identifier.
    virtual std::string readableName(const std::string& path, std::size_t serial, std::string& why) = 0;
    // The reading of path through name is over: a copy made for it goes.
    virtual void doneReading(const std::string& path, const std::string& name) = 0;
    // Moves the finished file from over to, replacing what is there; false (with why) when it cannot.
    virtual bool replace(const std::string& from, const std::string& to, std::string& why) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual void remove(const std::string& path) = 0;
};

// The standard library's files: narrow names are the UTF-8 paths themselves,
// as the native build's C runtime takes them.
class StdPdfFileAccess : public PdfFileAccess {
public:
    std::string readableName(const std::string& path, std::size_t serial, std::string& why) override;
    void doneReading(const std::string& path, const std::string& name) override;
    bool replace(const std::string& from, const std::string& to, std::string& why) override;
    bool exists(const std::string& path) override;
    void remove(const std::string& path) override;
};

}  // namespace quillon::plotting
