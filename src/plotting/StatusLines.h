#pragma once

#include <functional>
#include <string>

namespace quillon::plotting {

// What the Status label and the status bar's first panel say. Held here, on the window's thread, and only
// shown by the window, so nothing reads a control back as state. A run's closing line (its summary, from
// its record's counts), once said, stays the last line until something new is shown: what the run's
// sessions or its combining say after it goes above it, never in its place.
class StatusLines {
public:
    using Show = std::function<void(const std::string&)>;
    StatusLines(Show showText, Show showPanel);

    // Something new (a search, a message, a choice that could not be saved): a closing line held goes.
    void show(const std::string& text);
    // What a run says: the whole text while it works; once it has closed, only its last line, above the closing line.
    void showFromRun(const std::string& text);
    // The run's closing line, in place of the last line the run said (or of a "Run ..." or "Check ..." line).
    void close(const std::string& line);
    // A run begins: no closing line holds.
    void open() { closing_.clear(); }
    void showPanel(const std::string& text);

    const std::string& text() const { return text_; }
    const std::string& panel() const { return panel_; }
    std::string lastLine() const;
    // Empty until a run closes, and again once something new is shown or a run begins.
    const std::string& closingLine() const { return closing_; }

private:
    void set(std::string text);

    Show showText_;
    Show showPanel_;
    std::string text_;
    std::string panel_;
    std::string closing_;
    // Whether the text shown is the run's own.
    bool fromRun_ = false;
};

}  // namespace quillon::plotting
