#pragma once

#include <windows.h>

namespace quillon::win {

// The 8-point font a dialog's layout is designed for, at dpi.
inline LOGFONTW dialogFontDesign(int dpi, const wchar_t* face = L"MS Shell Dlg 2") {
    LOGFONTW design{};
    design.lfHeight = -MulDiv(8, dpi, 72);
    design.lfWeight = FW_NORMAL;
    design.lfCharSet = DEFAULT_CHARSET;
    design.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(design.lfFaceName, face, LF_FACESIZE);
    return design;
}

}  // namespace quillon::win
