#pragma once

#include <string>
#include <string_view>

namespace quillon::plotting {

// The system's ANSI code page, in which a spreadsheet program saves its plain
// "CSV": text in it becomes UTF-8. The Windows build asks the system; the
// portable default is Windows-1252, the code page of Western-language systems.
class AnsiCodePage {
public:
    virtual std::string toUtf8(std::string_view text) const = 0;

protected:
    ~AnsiCodePage() = default;
};

const AnsiCodePage& windows1252();

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isUtf8(std::string_view text);

}  // namespace quillon::plotting
