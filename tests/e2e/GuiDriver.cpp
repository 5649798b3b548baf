#include "GuiDriver.h"

#include <commctrl.h>

#include <cstdint>
#include <cwctype>
#include <string_view>

#include "app/win/ControlIds.h"

namespace quillon::e2e {

namespace {

// A message box keeps its text in a static control with this id.
constexpr int MessageBoxTextId = 0xFFFF;
constexpr std::size_t CellCharacters = 4096;

std::wstring className(HWND window) {
    wchar_t buffer[64] = {};
    GetClassNameW(window, buffer, 64);
    return buffer;
}

// The top-level title as the window manager keeps it: readable even while
// the owning thread is busy, unlike WM_GETTEXT.
std::wstring caption(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

struct ChildSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK matchChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

struct DialogSearch {
    DWORD processId;
    HWND found = nullptr;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || className(window) != L"#32770") return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t bytes) : process_(process), size_(bytes) {
    address_ = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_)
        throw std::runtime_error("VirtualAllocEx in Quillon's process failed: error " + std::to_string(GetLastError()));
}

RemoteBuffer::~RemoteBuffer() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }

void RemoteBuffer::write(std::size_t offset, const void* data, std::size_t bytes) {
    if (offset + bytes > size_) throw std::out_of_range("RemoteBuffer::write past its end");
    SIZE_T written = 0;
    if (!WriteProcessMemory(process_, addressAt(offset), data, bytes, &written) || written != bytes)
        throw std::runtime_error("WriteProcessMemory failed: error " + std::to_string(GetLastError()));
}

void RemoteBuffer::read(std::size_t offset, void* data, std::size_t bytes) const {
    if (offset + bytes > size_) throw std::out_of_range("RemoteBuffer::read past its end");
    SIZE_T got = 0;
    if (!ReadProcessMemory(process_, addressAt(offset), data, bytes, &got) || got != bytes)
        throw std::runtime_error("ReadProcessMemory failed: error " + std::to_string(GetLastError()));
}

GuiDriver::GuiDriver(HWND mainWindow, std::chrono::milliseconds answerTimeout)
    : main_(mainWindow), answerTimeout_(answerTimeout) {
    if (!IsWindow(main_)) throw std::invalid_argument("GuiDriver: no main window");
    GetWindowThreadProcessId(main_, &processId_);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                           FALSE, processId_);
    if (!process_)
        throw std::runtime_error("Opening Quillon's process for its list and status bar failed: error " +
                                 std::to_string(GetLastError()));
}

GuiDriver::~GuiDriver() { CloseHandle(process_); }

LRESULT GuiDriver::send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* what) const {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL,
                             static_cast<UINT>(answerTimeout_.count()), &answer))
        throw GuiTimeout(std::string("Quillon did not answer ") + what + " within " +
                         std::to_string(answerTimeout_.count()) + " ms");
    return static_cast<LRESULT>(answer);
}

HWND GuiDriver::control(int id) const {
    if (HWND direct = GetDlgItem(main_, id)) return direct;
    ChildSearch search{id};
    EnumChildWindows(main_, matchChild, reinterpret_cast<LPARAM>(&search));
    if (!search.found) throw std::runtime_error("Quillon's main window has no control " + std::to_string(id));
    return search.found;
}

std::wstring GuiDriver::text(int id) const { return text(control(id)); }

std::wstring GuiDriver::text(HWND window) const {
    // WM_GETTEXT is copied across processes by the system, and reaches the
    // text an edit field (a combo box's included) keeps for itself. The
    // program may change the text between the two messages: read until a
    // whole text fits the buffer that was measured for it.
    for (int attempt = 0;; ++attempt) {
        const auto length = static_cast<std::size_t>(send(window, WM_GETTEXTLENGTH, 0, 0, "WM_GETTEXTLENGTH"));
        std::wstring buffer(length + 2, L'\0');
        const auto copied = static_cast<std::size_t>(
            send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), "WM_GETTEXT"));
        if (copied <= length || attempt >= 20) {
            buffer.resize(copied < buffer.size() ? copied : buffer.size() - 1);
            return buffer;
        }
    }
}

void GuiDriver::selectFolder(const std::wstring& folder) {
    COPYDATASTRUCT data{};
    data.dwData = SelectFolderData;
    data.cbData = static_cast<DWORD>(folder.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(folder.data());
    send(main_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), "the folder selection (WM_COPYDATA)");
}

std::optional<std::wstring> GuiDriver::waitForSearchEnd(std::chrono::milliseconds timeout) const {
    std::wstring status;
    bool ended = pollUntil(
        [&] {
            status = text(ids::Status);
            constexpr std::wstring_view found = L"  Files Found  ";
            return status == L"No Files Found. Try Again" ||
                   (status.size() >= found.size() && status.ends_with(found));
        },
        timeout);
    if (!ended) return std::nullopt;
    return status;
}

std::vector<std::wstring> GuiDriver::comboItems(int comboId) const {
    HWND combo = control(comboId);
    std::vector<std::wstring> items;
    const auto count = send(combo, CB_GETCOUNT, 0, 0, "CB_GETCOUNT");
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, "CB_GETLBTEXTLEN");
        if (length < 0) continue;
        // The combo box's string messages are copied across processes by the system.
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        const auto copied =
            send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()), "CB_GETLBTEXT");
        item.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        items.push_back(std::move(item));
    }
    return items;
}

bool GuiDriver::chooseComboItem(int comboId, const std::wstring& itemText) {
    HWND combo = control(comboId);
    const auto index = send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(itemText.c_str()), "CB_FINDSTRINGEXACT");
    if (index == CB_ERR) return false;
    send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, "CB_SETCURSEL");
    // CB_SETCURSEL notifies nobody; a click in the list would have sent this.
    send(main_, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo),
         "the list choice (CBN_SELCHANGE)");
    return true;
}

std::optional<std::wstring> GuiDriver::chooseComboItemContaining(int comboId, const std::wstring& part) {
    for (const auto& item : comboItems(comboId)) {
        if (item.find(part) == std::wstring::npos) continue;
        if (chooseComboItem(comboId, item)) return item;
    }
    return std::nullopt;
}

void GuiDriver::setChecked(int checkBoxId, bool checked) {
    if (isChecked(checkBoxId) == checked) return;
    HWND box = control(checkBoxId);
    send(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0, "BM_SETCHECK");
    // A click changes the state and then tells the window; some boxes act on
    // the notice ("Include Sub Directories" searches again).
    send(main_, WM_COMMAND, MAKEWPARAM(checkBoxId, BN_CLICKED), reinterpret_cast<LPARAM>(box), "the check box click");
}

void GuiDriver::pressKey(int controlId, UINT virtualKey) {
    HWND target = control(controlId);
    if (HWND edit = FindWindowExW(target, nullptr, L"Edit", nullptr)) target = edit;
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    send(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16), "WM_KEYDOWN");
    send(target, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30), "WM_KEYUP");
}

void GuiDriver::typeCharacters(int controlId, const std::wstring& characters) {
    HWND target = control(controlId);
    for (wchar_t character : characters) send(target, WM_CHAR, character, 1, "WM_CHAR");
}

bool GuiDriver::isChecked(int checkBoxId) const {
    return send(control(checkBoxId), BM_GETCHECK, 0, 0, "BM_GETCHECK") == BST_CHECKED;
}

bool GuiDriver::isEnabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }

void GuiDriver::postCommand(int commandId) {
    // Controls give their window as LPARAM; menu commands give none.
    HWND source = GetDlgItem(main_, commandId);
    if (!PostMessageW(main_, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED), reinterpret_cast<LPARAM>(source)))
        throw std::runtime_error("Posting command " + std::to_string(commandId) + " failed");
}

void GuiDriver::startRun(int commandId) {
    // A run in the same session would find the last run's summary still in
    // Status; emptied, a summary seen afterwards can only be this run's.
    const wchar_t* none = L"";
    send(control(ids::Status), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(none), "WM_SETTEXT");
    postCommand(commandId);
}

void GuiDriver::pressStop() { postCommand(ids::CmdAction); }

bool GuiDriver::isRunSummary(const std::wstring& status) {
    for (const wchar_t* lead : {L"Run finished:", L"Run stopped:", L"Run ended, AutoCAD was lost:", L"Check finished:",
                                L"Check stopped:", L"Check ended, AutoCAD was lost:"})
        if (status.find(lead) != std::wstring::npos) return true;
    return false;
}

RunEnd GuiDriver::waitForRunEnd(std::chrono::milliseconds timeout) const {
    RunEnd end;
    pollUntil(
        [&] {
            // A box is looked for first: while it is up, the thread that
            // would answer WM_GETTEXT is inside the box's own loop, and the
            // summary comes only after the box.
            if (auto box = findMessageBox()) {
                end.kind = RunEnd::Kind::MessageBox;
                end.box = *box;
                return true;
            }
            end.status = text(ids::Status);
            if (isRunSummary(end.status)) {
                end.kind = RunEnd::Kind::Summary;
                return true;
            }
            return false;
        },
        timeout);
    return end;
}

int GuiDriver::listCount() const {
    return static_cast<int>(send(control(ids::DrawingListBox), LVM_GETITEMCOUNT, 0, 0, "LVM_GETITEMCOUNT"));
}

std::wstring GuiDriver::listCell(int row, int column) const {
    RemoteBuffer remote(process_, sizeof(LVITEMW) + CellCharacters * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = static_cast<int>(CellCharacters);
    item.pszText = static_cast<wchar_t*>(remote.addressAt(sizeof(LVITEMW)));
    remote.write(0, &item, sizeof item);
    const auto length = static_cast<std::size_t>(send(control(ids::DrawingListBox), LVM_GETITEMTEXTW,
                                                      static_cast<WPARAM>(row),
                                                      reinterpret_cast<LPARAM>(remote.address()), "LVM_GETITEMTEXTW"));
    std::wstring cell(length < CellCharacters ? length : CellCharacters - 1, L'\0');
    if (!cell.empty()) remote.read(sizeof(LVITEMW), cell.data(), cell.size() * sizeof(wchar_t));
    return cell;
}

std::vector<std::vector<std::wstring>> GuiDriver::listRows(int columns) const {
    std::vector<std::vector<std::wstring>> rows;
    const int count = listCount();
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) cells.push_back(listCell(row, column));
        rows.push_back(std::move(cells));
    }
    return rows;
}

int GuiDriver::findRow(const std::wstring& fileName) const {
    const int count = listCount();
    for (int row = 0; row < count; ++row)
        if (equalsNoCase(listCell(row, 0), fileName)) return row;
    return -1;
}

void GuiDriver::focusRow(int row) {
    HWND list = control(ids::DrawingListBox);
    RemoteBuffer remote(process_, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    remote.write(0, &item, sizeof item);
    // Row -1 is every row: a click leaves only the clicked row selected.
    send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.address()),
         "LVM_SETITEMSTATE");
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    remote.write(0, &item, sizeof item);
    if (!send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()),
              "LVM_SETITEMSTATE"))
        throw std::runtime_error("The list refused to focus row " + std::to_string(row));
    send(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE, "LVM_ENSUREVISIBLE");
}

void GuiDriver::selectRows(const std::vector<int>& rows) {
    HWND list = control(ids::DrawingListBox);
    RemoteBuffer remote(process_, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    remote.write(0, &item, sizeof item);
    send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.address()),
         "LVM_SETITEMSTATE");
    item.state = LVIS_SELECTED;
    remote.write(0, &item, sizeof item);
    for (int row : rows)
        if (!send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()),
                  "LVM_SETITEMSTATE"))
            throw std::runtime_error("The list refused to select row " + std::to_string(row));
}

std::vector<std::wstring> GuiDriver::selectedNames() const {
    HWND list = control(ids::DrawingListBox);
    std::vector<std::wstring> names;
    for (auto row = send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, "LVM_GETNEXTITEM"); row >= 0;
         row = send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED, "LVM_GETNEXTITEM"))
        names.push_back(listCell(static_cast<int>(row), 0));
    return names;
}

void GuiDriver::clickColumnHeading(int column) {
    HWND list = control(ids::DrawingListBox);
    auto header = reinterpret_cast<HWND>(send(list, LVM_GETHEADER, 0, 0, "LVM_GETHEADER"));
    if (!header) throw std::runtime_error("The list has no heading");
    // The columns in their first order: the heading's middle is after the widths of those before it.
    LRESULT x = 0;
    for (int before = 0; before < column; ++before)
        x += send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(before), 0, "LVM_GETCOLUMNWIDTH");
    x += send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0, "LVM_GETCOLUMNWIDTH") / 2;
    RECT area{};
    GetClientRect(header, &area);
    const LPARAM at = MAKELPARAM(static_cast<int>(x), (area.bottom - area.top) / 2);
    if (!PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at) || !PostMessageW(header, WM_LBUTTONUP, 0, at))
        throw std::runtime_error("Posting a click on the list's heading failed");
}

int GuiDriver::listColumnCount() const {
    auto header = reinterpret_cast<HWND>(send(control(ids::DrawingListBox), LVM_GETHEADER, 0, 0, "LVM_GETHEADER"));
    if (!header) return 0;
    return static_cast<int>(send(header, HDM_GETITEMCOUNT, 0, 0, "HDM_GETITEMCOUNT"));
}

void GuiDriver::setListColumnOrder(const std::vector<int>& order) {
    RemoteBuffer remote(process_, order.size() * sizeof(int));
    remote.write(0, order.data(), order.size() * sizeof(int));
    HWND list = control(ids::DrawingListBox);
    if (!send(list, LVM_SETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(remote.address()),
              "LVM_SETCOLUMNORDERARRAY"))
        throw std::runtime_error("The list refused the column order");
    InvalidateRect(list, nullptr, TRUE);
}

ScreenPixels GuiDriver::screenPixels(int id) const {
    HWND window = control(id);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    ScreenPixels counts;
    if (width <= 0 || height <= 0) return counts;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY)) {
            const auto* pixels = static_cast<const std::uint32_t*>(bits);
            counts.total = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
            for (std::size_t i = 0; i < counts.total; ++i)
                if ((pixels[i] & 0x00FFFFFFu) != 0x00FFFFFFu) ++counts.nonWhite;
        }
        SelectObject(memory, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return counts;
}

std::wstring GuiDriver::statusBarPanel(int panel) const {
    HWND bar = control(ids::SbStatusBar);
    const auto length =
        static_cast<std::size_t>(LOWORD(send(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0, "SB_GETTEXTLENGTHW")));
    RemoteBuffer remote(process_, (length + 1) * sizeof(wchar_t));
    send(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(remote.address()), "SB_GETTEXTW");
    std::wstring panelText(length, L'\0');
    if (length > 0) remote.read(0, panelText.data(), length * sizeof(wchar_t));
    return panelText;
}

int GuiDriver::progressPosition() const {
    return static_cast<int>(send(control(ids::RunProgressBar), PBM_GETPOS, 0, 0, "PBM_GETPOS"));
}

std::optional<MessageBoxSeen> GuiDriver::findMessageBox() const {
    DialogSearch search{processId_};
    EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return std::nullopt;
    MessageBoxSeen box;
    box.window = search.found;
    box.title = caption(search.found);
    if (HWND message = GetDlgItem(search.found, MessageBoxTextId)) {
        box.text = text(message);
    } else {
        // Not a message box: the longest static text stands for its message.
        for (HWND child = GetWindow(search.found, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!equalsNoCase(className(child), L"Static")) continue;
            auto childText = text(child);
            if (childText.size() > box.text.size()) box.text = std::move(childText);
        }
    }
    return box;
}

std::optional<MessageBoxSeen> GuiDriver::waitForMessageBox(std::chrono::milliseconds timeout) const {
    std::optional<MessageBoxSeen> box;
    pollUntil([&] { return (box = findMessageBox()).has_value(); }, timeout);
    return box;
}

bool GuiDriver::closeMessageBox(const MessageBoxSeen& box, std::chrono::milliseconds timeout) const {
    PostMessageW(box.window, WM_COMMAND, IDOK, 0);
    return pollUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, timeout);
}

std::wstring GuiDriver::tipOverCell(int row, int column) const {
    HWND list = control(ids::DrawingListBox);
    RECT cell{LVIR_LABEL, column, 0, 0};  // LVM_GETSUBITEMRECT takes the part in left and the column in top
    RemoteBuffer remote(process_, sizeof cell);
    remote.write(0, &cell, sizeof cell);
    send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()),
         "LVM_GETSUBITEMRECT");
    remote.read(0, &cell, sizeof cell);
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &at);
    SetCursorPos(at.x - 2, at.y);
    Sleep(100);
    SetCursorPos(at.x, at.y);
    std::wstring tip;
    struct Search {
        DWORD processId;
        HWND found = nullptr;
    } search{processId_};
    pollUntil(
        [&] {
            EnumWindows(
                [](HWND window, LPARAM data) {
                    auto* found = reinterpret_cast<Search*>(data);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner != found->processId || !IsWindowVisible(window) ||
                        !equalsNoCase(className(window), TOOLTIPS_CLASSW))
                        return TRUE;
                    found->found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        std::chrono::seconds(5));
    if (search.found) tip = text(search.found);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    return tip;
}

}  // namespace quillon::e2e
