#include "plotting/StatusLines.h"

#include <utility>

namespace quillon::plotting {

namespace {

constexpr const char* Break = "\r\n";

std::string lastLineOf(const std::string& text) {
    const auto at = text.rfind(Break);
    return at == std::string::npos ? text : text.substr(at + 2);
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
    fromRun_ = false;
    set(text);
}

void StatusLines::showFromRun(const std::string& text) {
    fromRun_ = true;
    set(closing_.empty() ? text : above(lastLineOf(text), closing_));
}

void StatusLines::close(const std::string& line) {
    closing_ = line;
    // What the run last said ends with the closing line; why a run was ended, said apart, stays as it is,
    // unless it ends with the run's own closing words.
    const std::string last = lastLineOf(text_);
    if (!fromRun_ && !runsOwnWords(last)) return;
    const auto at = text_.rfind(Break);
    set(at == std::string::npos ? closing_ : text_.substr(0, at + 2) + closing_);
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
