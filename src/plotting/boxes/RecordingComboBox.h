#pragma once

#include <string>
#include <vector>

#include "plotting/boxes/PlotLists.h"

namespace quillon::plotting {

// A plot box filled on the CAD thread and shown on the window's: it keeps
// what the fill did, in order, and replays it on the real box, so that the
// box's change handling runs on the window's thread exactly as a direct fill
// would run it. A fill that failed half way replays as far as it got.
class RecordingComboBox : public ComboBox {
public:
    void clear() override;
    void setText(const std::string& text) override;
    void addItem(const std::string& text) override;
    std::size_t itemCount() const override { return items_.size(); }
    std::string itemText(std::size_t index) const override { return items_.at(index); }

    void replay(ComboBox& box) const;

private:
    enum class Op { Clear, SetText, AddItem };
    struct Step {
        Op op;
        std::string text;
    };

    std::vector<Step> steps_;
    std::vector<std::string> items_;
};

}  // namespace quillon::plotting
