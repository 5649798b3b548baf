#include "plotting/StatusLines.h"

#include <utility>

namespace quillon::plotting {

namespace {

constexpr const char* Break = "\r\n";

std::string lastLineOf(const std::string& text) {
    const auto at = text.rfind(Break);
    return at == std::string::npos ? text : text.substr(at + 2);
}

std::string withoutLastLine(const std::string& text) {
    const auto at = text.rfind(Break);
    return at == std::string::npos ? std::string() : text.substr(0, at);
}

bool runsOwnWords(const std::string& line) { return line.rfind("Run ", 0) == 0 || line.rfind("Check ", 0) == 0; }

std::string above(const std::string& line, const std::string& closing) {
    return line.empty() ? closing : line + Break + closing;
}

}  // namespace

StatusLines::StatusLines(Show showText, Show showPanel)
    : showText_(std::move(showText)), showPanel_(std::move(showPanel)) {}

void StatusLines::show(const std::string& text) {
    closing_.clear();
    set(text);
}

void StatusLines::showFromRun(const std::string& text) {
    set(closing_.empty() ? text : above(lastLineOf(text), closing_));
}

void StatusLines::close(const std::string& line) {
    std::string before = text_;
    if (runsOwnWords(lastLineOf(before))) before = withoutLastLine(before);
    // The label holds two lines: the closing line and the one said just before it.
    closing_ = line;
    set(above(lastLineOf(before), closing_));
}

void StatusLines::showPanel(const std::string& text) {
    panel_ = text;
    if (showPanel_) showPanel_(panel_);
}

std::string StatusLines::lastLine() const { return lastLineOf(text_); }

void StatusLines::set(std::string text) {
    text_ = std::move(text);
    if (showText_) showText_(text_);
}

}  // namespace quillon::plotting
