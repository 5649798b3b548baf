#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/SheetChoice.h"
#include "plotting/sheets/PageSetupList.h"
#include "win/Dialog.h"
#include "win/UniqueResource.h"

namespace quillon::dialogs {

// Reads a template drawing's page setups for the dialog, off the window's
// thread; done runs on the window's thread, with the reason when they could not be read.
class PageSetupLister {
public:
    using Done = std::function<void(std::vector<plotting::PageSetupName> setups, std::string error)>;
    virtual void listPageSetups(const std::string& file, Done done) = 0;

protected:
    ~PageSetupLister() = default;
};

// "Sheets": which layouts of each drawing are plotted (name patterns, and
// whether never-used layouts are left out) and where each sheet's settings
// come from (Quillon's, the layout's own page setup, or a named page setup
// of a template drawing, whose list is read from the drawing). Modal.
class SheetsDialog : public win::Dialog {
public:
    // Control identifiers, stable for tests.
    static constexpr int IncludeLabelId = 301;
    static constexpr int IncludeId = 302;
    static constexpr int ExcludeLabelId = 303;
    static constexpr int ExcludeId = 304;
    static constexpr int PatternHintId = 305;
    static constexpr int SkipEmptyId = 306;
    static constexpr int SettingsLabelId = 307;
    static constexpr int QuillonId = 308;
    static constexpr int LayoutId = 309;
    static constexpr int TemplateId = 310;
    static constexpr int TemplateFileLabelId = 311;
    static constexpr int TemplateFileId = 312;
    static constexpr int BrowseId = 313;
    static constexpr int PageSetupLabelId = 314;
    static constexpr int PageSetupId = 315;
    static constexpr int PageSetupStateId = 316;

    SheetsDialog(app::SheetChoice choice, PageSetupLister& lister) : choice_(std::move(choice)), lister_(lister) {}

    // The choice made, or nothing when the user cancelled.
    std::optional<app::SheetChoice> ask(HWND owner);

protected:
    bool onInit() override;
    bool onCommand(int id, int notifyCode, HWND control) override;

private:
    HWND add(int id, const wchar_t* type, const wchar_t* text, DWORD style, DWORD exStyle = 0);
    void layOut();
    void showChoice();
    void browse();
    // Reads the page setups of the template named now, unless they are those of the list already.
    void listPageSetups();
    void showPageSetups(std::vector<plotting::PageSetupName> setups, const std::string& error);
    std::string chosenPageSetup() const;
    bool accept();

    app::SheetChoice choice_;
    PageSetupLister& lister_;
    win::UniqueFont font_;
    std::vector<plotting::PageSetupName> setups_;
    std::wstring listedFile_;
    std::uint64_t request_ = 0;
    // Answers arriving after the dialog closed find this gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quillon::dialogs
