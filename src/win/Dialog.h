#pragma once

#include <windows.h>

#include <exception>

namespace quillon::win {

// A modal dialog whose messages go to a C++ object: override onInit,
// onCommand and onNotify. No exception from them ever reaches Windows.
class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog from a template resource and returns what end() was given.
    INT_PTR runModal(HINSTANCE instance, int templateId, HWND owner);
    INT_PTR runModal(const DLGTEMPLATE* dialogTemplate, HWND owner);

    HWND hwnd() const noexcept { return hwnd_; }
    HWND item(int id) const noexcept { return GetDlgItem(hwnd_, id); }

protected:
    // Return true to let the system put the focus on the first control.
    virtual bool onInit() { return true; }
    // The default closes the dialog on OK and Cancel.
    virtual bool onCommand(int id, int notifyCode, HWND control);
    virtual bool onNotify(const NMHDR& header, LRESULT& result);
    // Any other message; return true when handled and set result.
    virtual bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    virtual void onUnhandledException(std::exception_ptr error) noexcept;

    void end(INT_PTR result) { EndDialog(hwnd_, result); }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace quillon::win
