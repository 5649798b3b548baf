#pragma once

#include <string>
#include <string_view>

namespace quillon::plotting {

// The three current plot choices (StrPrinter, StrPaper, StrCTB) kept in step
// with their boxes. Each box's three events (its text changed, an item of its
// list clicked, a key going down) copy the box's text at that moment into its
// choice; on key down that is the text before the key acts.
class PlotChoices {
public:
    PlotChoices() = default;
    // The choices remembered from the last session; they are not looked up
    // in the lists and stay in force until a box event replaces them.
    PlotChoices(std::string device, std::string paper, std::string plotStyleTable)
        : device_(std::move(device)), paper_(std::move(paper)), plotStyleTable_(std::move(plotStyleTable)) {}

    const std::string& device() const { return device_; }
    const std::string& paper() const { return paper_; }
    const std::string& plotStyleTable() const { return plotStyleTable_; }

    // Any event of the device box. True when the paper list must now be
    // refilled (FillPaperList): always, unless the device text contains the
    // placeholder "Select a Printer".
    [[nodiscard]] bool deviceBoxEvent(std::string_view boxText);
    void paperBoxEvent(std::string_view boxText) { paper_ = boxText; }
    void styleBoxEvent(std::string_view boxText) { plotStyleTable_ = boxText; }

private:
    std::string device_;
    std::string paper_;
    std::string plotStyleTable_;
};

}  // namespace quillon::plotting
