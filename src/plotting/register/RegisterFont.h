#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <pdfio.h>

namespace quillon::plotting {

// The one font a register is drawn in, and its text as that font shows it. The standard Helvetica serves
// while every character is in its Windows-1252 encoding, since it needs nothing embedded; otherwise the
// candidate TrueType font that has the most of the characters (the first of equals) is embedded whole.
class RegisterFont {
public:
    // Chooses for every text the register will show; candidates are read only when the standard font falls short.
    RegisterFont(const std::vector<std::string>& texts, const std::vector<std::string>& candidates);

    // Creates the font in pdf: the chosen TrueType font, or Helvetica when there is none or the library refuses
    // it (what shows is then the standard font's). Null when not even Helvetica can be made.
    pdfio_obj_t* create(pdfio_file_t* pdf);

    // Whether text goes to the library as Unicode (the embedded font) or in the standard encoding.
    bool unicode() const { return !trueType_.empty(); }

    // text as it shows: malformed bytes as U+FFFD, control characters as spaces, and what the font cannot
    // show as '?'. `replaced` is increased by the characters that became '?'.
    std::string shown(const std::string& text, std::size_t& replaced) const;

    // What the report is to say about replaced characters (none: empty).
    std::string note(std::size_t replaced) const;

    // The TrueType font in use (empty for the standard one).
    const std::string& trueTypePath() const { return path_; }

private:
    bool shows(char32_t code) const;

    std::vector<unsigned char> trueType_;  // the chosen file's bytes: the library reads them while the PDF is made
    std::vector<bool> covered_;            // the chosen font's characters, by code point
    std::string path_;
    bool anyCandidate_ = false;  // some candidate could be read as a font
};

}  // namespace quillon::plotting
