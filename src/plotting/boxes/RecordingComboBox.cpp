#include "plotting/boxes/RecordingComboBox.h"

namespace quillon::plotting {

void RecordingComboBox::clear() {
    steps_.push_back({Op::Clear, {}});
    items_.clear();
}

void RecordingComboBox::setText(const std::string& text) { steps_.push_back({Op::SetText, text}); }

void RecordingComboBox::addItem(const std::string& text) {
    steps_.push_back({Op::AddItem, text});
    items_.push_back(text);
}

void RecordingComboBox::replay(ComboBox& box) const {
    for (const auto& step : steps_) {
        switch (step.op) {
            case Op::Clear: box.clear(); break;
            case Op::SetText: box.setText(step.text); break;
            case Op::AddItem: box.addItem(step.text); break;
        }
    }
}

}  // namespace quillon::plotting
