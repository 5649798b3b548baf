#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon::e2e {

// A message the program did not answer in time: it is stuck (or busy in a
// long automation call). Thrown so that a test fails instead of hanging.
class GuiTimeout : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Memory inside another process, for the messages of the common controls
// that carry pointers (LVM_GETITEMTEXTW, SB_GETTEXTW): the system does not
// copy those across processes, so the pointer must be valid over there.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t bytes);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    // The buffer's address in the other process, as a message's LPARAM wants it.
    void* address() const { return address_; }
    void* addressAt(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    std::size_t size() const { return size_; }
    void write(std::size_t offset, const void* data, std::size_t bytes);
    void read(std::size_t offset, void* data, std::size_t bytes) const;

private:
    HANDLE process_;
    void* address_ = nullptr;
    std::size_t size_;
};

// A message box (or any dialog) of the program, as seen from outside.
struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
};

// How a wait for the end of a plot run came out.
struct RunEnd {
    enum class Kind { Summary, MessageBox, TimedOut };
    Kind kind = Kind::TimedOut;
    std::wstring status;    // the Status label when the wait ended
    MessageBoxSeen box;     // for Kind::MessageBox
};

// What the screen shows of a window's client area, in counts of pixels.
struct ScreenPixels {
    std::size_t total = 0;
    std::size_t nonWhite = 0;
    double nonWhiteShare() const { return total ? static_cast<double>(nonWhite) / static_cast<double>(total) : 0; }
};

// Drives a running Quillon from another process through window messages
// only, the way a user's clicks would arrive. Every message that waits for
// an answer is bounded: a program that stops answering turns into a
// GuiTimeout rather than a test (or a demo) that hangs.
class GuiDriver {
public:
    // The folder-selection message's marker ("QFLD").
    static constexpr ULONG_PTR SelectFolderData = 0x51464C44;
    static constexpr int ResultColumn = 5;

    explicit GuiDriver(HWND mainWindow, std::chrono::milliseconds answerTimeout = std::chrono::seconds(30));
    ~GuiDriver();
    GuiDriver(const GuiDriver&) = delete;
    GuiDriver& operator=(const GuiDriver&) = delete;

    HWND mainWindow() const { return main_; }
    DWORD processId() const { return processId_; }
    // The control with this id anywhere below the main window (some are
    // re-parented, such as the progress bar inside the status bar); throws
    // when there is none.
    HWND control(int id) const;

    // A control's text as the control itself keeps it (edit fields of
    // combo boxes included), asked through WM_GETTEXT.
    std::wstring text(int id) const;
    std::wstring text(HWND window) const;

    // What choosing the folder in the folder tree does. Returns once the
    // program has taken the message; the search may still be running.
    void selectFolder(const std::wstring& folder);
    // The Status text once the search has ended ("... Files Found" or
    // "No Files Found. Try Again"), or nothing when it did not end in time.
    std::optional<std::wstring> waitForSearchEnd(std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;

    // The items of a drop-down list, in order.
    std::vector<std::wstring> comboItems(int comboId) const;
    // Picks the item with exactly this text (ignoring case, as the list
    // finds it) and tells the program, as a click in the list would. False
    // when the list has no such item; nothing is sent then.
    bool chooseComboItem(int comboId, const std::wstring& itemText);
    // Picks the first item whose text contains part (case-sensitive); its
    // text, or nothing when none does.
    std::optional<std::wstring> chooseComboItemContaining(int comboId, const std::wstring& part);

    // Ticks or clears a check box the way a click does: the state changes,
    // then the window is told (BN_CLICKED). Nothing happens when the box is
    // already so.
    void setChecked(int checkBoxId, bool checked);
    bool isChecked(int checkBoxId) const;
    // A key going down and up in a control, sent so that the program has acted on it when this returns.
    // In a combo box the key goes to its edit field, where typing lands.
    void pressKey(int controlId, UINT virtualKey);
    // Characters typed into a control, one WM_CHAR each.
    void typeCharacters(int controlId, const std::wstring& characters);
    bool isEnabled(int id) const;

    // A menu command or button click, posted: a run may put up a message
    // box from inside the command, which would block a sent message.
    void postCommand(int commandId);
    // Starts a run: MnuAllPrint, MnuPrintMultiple or PrintAllButton. Status is
    // emptied first, so that waitForRunEnd sees this run's summary only.
    void startRun(int commandId);
    // The Stop button (CmdAction).
    void pressStop();
    // Waits for the run's one-line summary in Status or a message box of the program.
    RunEnd waitForRunEnd(std::chrono::milliseconds timeout = std::chrono::minutes(2)) const;
    // True when Status holds a run's summary line.
    static bool isRunSummary(const std::wstring& status);

    // The drawing list (a virtual list view).
    int listCount() const;
    std::wstring listCell(int row, int column) const;
    // Every row, with the first `columns` cells of each.
    std::vector<std::vector<std::wstring>> listRows(int columns = ResultColumn + 1) const;
    // The row whose file name (first column) is this, ignoring case; -1 when none.
    int findRow(const std::wstring& fileName) const;
    // Makes row the list's only selected row and its focused one, scrolled
    // into view, as a click on it would; the program previews the focused row.
    void focusRow(int row);
    // Makes exactly these rows the selected ones, as Ctrl+clicks would; the focus stays where it is.
    void selectRows(const std::vector<int>& rows);
    // The file names of the selected rows, top to bottom.
    std::vector<std::wstring> selectedNames() const;
    // A click on a column's heading, posted as the mouse's press and release
    // on the heading: the program may answer with a message box.
    void clickColumnHeading(int column);
    int listColumnCount() const;
    // Shows the list's columns in this order (column indexes, left to right),
    // as dragging the headings would.
    void setListColumnOrder(const std::vector<int>& order);

    // Rests the pointer on a cell of the list as a reader would, then moves it off the program's windows: the
    // text of the program's tool tip that showed meanwhile, or nothing when none did.
    std::wstring tipOverCell(int row, int column) const;

    // Read from the screen, not asked of the control: what a user sees
    // there, whatever covers it included. The preview box is all white when
    // it shows no picture.
    ScreenPixels screenPixels(int id) const;

    // A panel of the status bar.
    std::wstring statusBarPanel(int panel) const;
    int progressPosition() const;

    // A visible dialog window (class "#32770") of the program, such as a message box.
    std::optional<MessageBoxSeen> findMessageBox() const;
    std::optional<MessageBoxSeen> waitForMessageBox(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // Answers a message box with OK (or its only button) and waits for it to go.
    bool closeMessageBox(const MessageBoxSeen& box, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* what) const;

    HWND main_;
    DWORD processId_ = 0;
    HANDLE process_ = nullptr;
    std::chrono::milliseconds answerTimeout_;
};

// Polls condition every 50 ms until it holds or timeout passes; true when it held.
template <class Condition>
bool pollUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        Sleep(50);
    }
}

}  // namespace quillon::e2e
