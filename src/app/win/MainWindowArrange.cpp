#include "app/win/MainWindowArrange.h"

#include <string>

#include "app/WindowLayout.h"
#include "app/win/MainWindowLayout.h"
#include "win/WindowDc.h"

namespace quillon::app {

namespace {

// Room for the drop-down part of the combo boxes; the edit part sizes itself to the font.
constexpr int kComboDropHeight = 200;

int scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }

const ControlSpec* findSpec(int id) {
    for (const auto& spec : mainWindowControls())
        if (spec.id == id) return &spec;
    return nullptr;
}

// The designed place scaled to the dpi, in client pixels: frames are not real
// parents here, so their contents are offset by the frame's position.
ScreenRect scaledRect(const ControlSpec& spec, int dpi) {
    int left = spec.left, top = spec.top;
    if (spec.parentFrame) {
        const ControlSpec* frame = findSpec(spec.parentFrame);
        left += frame->left;
        top += frame->top;
    }
    const int x = scaled(left, dpi), y = scaled(top, dpi);
    return ScreenRect{x, y, x + scaled(spec.width, dpi), y + scaled(spec.height, dpi)};
}

// The width the control needs to show its caption whole: the text as the
// control draws it (an & marks the access key and takes no room), plus what
// the kind of control draws around it.
int captionWidth(HWND control, ControlKind kind, HFONT font, int dpi) {
    if (kind != ControlKind::Label && kind != ControlKind::CheckBox && kind != ControlKind::Button) return 0;
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));

    RECT measured{0, 0, 0, 0};
    TEXTMETRICW metrics{};
    {
        const win::WindowDc dc(control, font);
        if (!dc) return 0;
        DrawTextW(dc.get(), text.c_str(), length, &measured, DT_CALCRECT | DT_SINGLELINE);
        GetTextMetricsW(dc.get(), &metrics);
    }

    const int textWidth = measured.right - measured.left;
    const int edge = GetSystemMetricsForDpi(SM_CXEDGE, static_cast<UINT>(dpi));
    switch (kind) {
        // A little slack: a label's text wraps to a hidden second line rather than clip.
        case ControlKind::Label: return textWidth + edge;
        // The box, then a gap of about half a character before the text and the focus frame around it.
        case ControlKind::CheckBox:
            return GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + metrics.tmAveCharWidth + textWidth +
                   edge;
        // The raised border and the focus frame on both sides, and a character's margin.
        case ControlKind::Button: return textWidth + 4 * edge + 2 * metrics.tmAveCharWidth;
        default: return 0;
    }
}

void fitCaptions(std::map<int, ScreenRect>& places, const std::map<int, HWND>& controls, HFONT font, int dpi) {
    for (const auto& row : mainWindowCaptionRows()) {
        const ControlSpec* frame = row.frame ? findSpec(row.frame) : nullptr;
        const int rightEdge = scaled((frame ? frame->left : 0) + row.rightEdge, dpi);
        std::vector<RowSlot> slots;
        std::vector<int> ids;
        for (int id : row.ids) {
            if (!id) continue;
            const ControlSpec* spec = findSpec(id);
            auto window = controls.find(id);
            if (!spec || window == controls.end()) continue;
            const ScreenRect& r = places[id];
            slots.push_back(RowSlot{r.left, r.width(), captionWidth(window->second, spec->kind, font, dpi)});
            ids.push_back(id);
        }
        fitRow(slots, rightEdge, scaled(MinCaptionGap, dpi));
        for (std::size_t i = 0; i < ids.size(); ++i) {
            ScreenRect& r = places[ids[i]];
            r.left = slots[i].left;
            r.right = slots[i].left + slots[i].width;
        }
    }
}

}  // namespace

std::vector<ControlPlace> arrangeMainWindow(const std::map<int, HWND>& controls, HFONT font, int dpi, SIZE client) {
    std::map<int, ScreenRect> places;
    for (const auto& spec : mainWindowControls()) places[spec.id] = scaledRect(spec, dpi);
    fitCaptions(places, controls, font, dpi);

    const int extraWidth = client.cx - scaled(MainClientWidth, dpi);
    const int extraHeight = client.cy - scaled(MainClientHeight, dpi);
    std::vector<ControlPlace> result;
    for (const auto& spec : mainWindowControls()) {
        const Anchor anchor = mainWindowAnchor(spec.parentFrame ? spec.parentFrame : spec.id);
        ScreenRect r = anchored(places[spec.id], anchor, extraWidth, extraHeight);
        if (spec.kind == ControlKind::ComboBox) r.bottom += scaled(kComboDropHeight, dpi);
        result.push_back(ControlPlace{spec.id, RECT{r.left, r.top, r.right, r.bottom}});
    }
    return result;
}

SIZE designedOuterSize(DWORD style, int dpi) {
    RECT outer{0, 0, scaled(MainClientWidth, dpi), scaled(MainClientHeight, dpi)};
    AdjustWindowRectExForDpi(&outer, style, TRUE, 0, static_cast<UINT>(dpi));
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace quillon::app
