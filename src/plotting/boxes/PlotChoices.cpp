#include "plotting/boxes/PlotChoices.h"

#include "plotting/boxes/PlotLists.h"

namespace quillon::plotting {

bool PlotChoices::deviceBoxEvent(std::string_view boxText) {
    device_ = boxText;
    return device_.find(plot_list_text::DevicePlaceholder) == std::string::npos;
}

}  // namespace quillon::plotting
