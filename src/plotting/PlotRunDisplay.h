#pragma once

#include <string>

#include "plotting/DrawingOutcome.h"
#include "plotting/InformationSink.h"

namespace quillon::plotting {

enum class Pointer { Normal, Hourglass };

// What a run shows in the main window; the Windows side moves it to the
// controls. Message boxes come through InformationSink.
class PlotRunDisplay : public InformationSink {
public:
    // The two-line Status label.
    virtual void setStatus(const std::string& text) = 0;
    // Paints the Status label at once.
    virtual void repaintStatus() = 0;
    // The first panel of the status bar; restoring puts back what it said before the run.
    virtual void setStatusPanelText(const std::string& text) = 0;
    virtual void restoreStatusPanel() = 0;
    // The progress bar, 0 to 100.
    virtual void setProgress(int value) = 0;
    virtual void setPointer(Pointer pointer) = 0;
    // What became of the drawing of list entry `entry` (1-based, in the
    // list's order when the run took it up; outcome.path names the drawing).
    virtual void showOutcome(int entry, const DrawingOutcome& outcome) = 0;
    // A line worth more than Status: an unattended run also prints it.
    virtual void announce(const std::string& text) { setStatus(text); }
};

}  // namespace quillon::plotting
