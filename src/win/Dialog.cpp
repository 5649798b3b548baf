#include "win/Dialog.h"

#include "win/Messages.h"
#include "win/WinError.h"

namespace quillon::win {

INT_PTR Dialog::runModal(HINSTANCE instance, int templateId, HWND owner) {
    INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, &Dialog::dialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (result == -1) throw WinError::fromLastError("Showing a dialog");
    return result;
}

INT_PTR Dialog::runModal(const DLGTEMPLATE* dialogTemplate, HWND owner) {
    INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, owner, &Dialog::dialogProc,
                                             reinterpret_cast<LPARAM>(this));
    if (result == -1) throw WinError::fromLastError("Showing a dialog");
    return result;
}

bool Dialog::onCommand(int id, int, HWND) {
    if (id == IDOK || id == IDCANCEL) {
        end(id);
        return true;
    }
    return false;
}

bool Dialog::onNotify(const NMHDR&, LRESULT&) { return false; }

bool Dialog::handleMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

void Dialog::onUnhandledException(std::exception_ptr error) noexcept { reportUnhandled(hwnd_, error); }

INT_PTR Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInit() ? TRUE : FALSE;
        case WM_COMMAND:
            return onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!onNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        default: {
            INT_PTR result = 0;
            return handleMessage(message, wParam, lParam, result) ? result : FALSE;
        }
    }
}

INT_PTR CALLBACK Dialog::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (!self) return FALSE;

    INT_PTR result = FALSE;
    try {
        result = self->dispatch(message, wParam, lParam);
    } catch (...) {
        self->onUnhandledException(std::current_exception());
        // A dialog that cannot initialise is closed rather than shown half-made.
        if (message == WM_INITDIALOG) EndDialog(dialog, IDCANCEL);
        result = TRUE;
    }
    if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
    return result;
}

}  // namespace quillon::win
