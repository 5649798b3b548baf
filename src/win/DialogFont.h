#pragma once

#include <windows.h>

namespace quillon::win {

// The 8-point "MS Shell Dlg 2" a dialog's layout is designed for, at dpi.
inline LOGFONTW dialogFontDesign(int dpi) {
    LOGFONTW design{};
    design.lfHeight = -MulDiv(8, dpi, 72);
    design.lfWeight = FW_NORMAL;
    design.lfCharSet = DEFAULT_CHARSET;
    design.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(design.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
    return design;
}

}  // namespace quillon::win
