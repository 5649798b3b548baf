#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "discovery/PreviewImage.h"
#include "win/BaseWindow.h"
#include "win/UniqueResource.h"

namespace quillon::discovery {

// The "Preview" box: shows the picture a drawing file carries, scaled to fit
// with its aspect ratio kept, on white; empty when there is none. The file is
// read on a worker thread, so a slow network folder never holds up the
// window; choosing another drawing meanwhile abandons the old read, and a
// late result for an older drawing is dropped.
class PreviewControl : public win::BaseWindow {
public:
    // The picture of a drawing file, read on the worker thread; empty when it has none.
    using Loader = std::function<BgraImage(const std::string& fullPath)>;

    // Without a loader, the picture the drawing file carries.
    explicit PreviewControl(Loader loader = {});
    ~PreviewControl() override;

    // Creates the box as a child of parent; bounds are in parent client coordinates.
    void create(HWND parent, int controlId, const RECT& bounds);
    // The drawing to show, a full path; the empty text clears the box.
    void setDrawing(const std::string& fullPath);
    const std::string& drawing() const { return path_; }
    bool showsPicture() const { return picture_.valid(); }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Shared;
    void takeResult();
    void paint();

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    std::string path_;
    std::uint64_t generation_ = 0;
    win::UniqueBitmap picture_;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
};

}  // namespace quillon::discovery
