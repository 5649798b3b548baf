#pragma once

#include <cstddef>
#include <string>

#include "autocad/CadConnection.h"

namespace quillon::plotting {

// Texts of the three plot boxes, word for word.
namespace plot_list_text {
// Set by the fills; the boxes' texts at window creation are worded differently.
inline constexpr const char* DevicePlaceholder = "Select a Printer";
inline constexpr const char* PaperPlaceholder = "Select a Paper";
inline constexpr const char* StylePlaceholder = "Select Plot Style Table";
inline constexpr const char* ExclusionSeparator = "  , ";
}  // namespace plot_list_text

// An editable drop-down box as the fills use it. The list keeps items in the
// order added.
class ComboBox {
public:
    virtual ~ComboBox() = default;
    // Removes every item of the list.
    virtual void clear() = 0;
    // Sets the text field. Runs the box's own change handling, exactly as if
    // the user had typed the text, which is how a fill resets the choices.
    virtual void setText(const std::string& text) = 0;
    virtual void addItem(const std::string& text) = 0;
    virtual std::size_t itemCount() const = 0;
    virtual std::string itemText(std::size_t index) const = 0;
};

// Fills the device, paper and plot-style boxes from the plot configuration of
// the model space of the CAD application's active document (a new empty
// drawing is opened first when none is open; Quillon closes it at exit).
// Connects first when not connected. A failure stops the fill where it is,
// leaving the boxes as far as they got and still usable, and comes out as an
// AutomationError for the caller to show in Status.
void fillPlotLists(autocad::CadConnection& connection, ComboBox& deviceBox, ComboBox& paperBox, ComboBox& styleBox);

// Refills only the paper box, with "A4" before "A3" among the standard
// sizes, with the papers of `device`: it is put on the model layout of a
// blank drawing of Quillon's own, added for the purpose and closed unsaved,
// so that no drawing of the user's (nor Quillon's kept blank one, which a
// changed device would make look like the user's work) is ever changed for
// it. With no device (one the device box does not offer), or where no blank
// drawing can be added (single-document mode), the papers are those of the
// device the active document's model layout is set to. Fails as
// fillPlotLists does.
void fillPaperList(autocad::CadConnection& connection, ComboBox& paperBox, const std::string& device = {});

// The box's first four items joined by "  , "; a media name found anywhere
// inside it is not offered again.
std::string exclusionText(const ComboBox& paperBox);

}  // namespace quillon::plotting
