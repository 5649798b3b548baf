#pragma once

#include <windows.h>

#include <optional>

#include "app/PlotFileSettings.h"
#include "win/Dialog.h"
#include "win/UniqueResource.h"

namespace quillon::dialogs {

// "Plot Files": where a run puts its plot files (beside each drawing, or in
// one folder picked with the standard folder dialog) and the pattern their
// names follow, and whether the PDF sheets are combined into one file per
// drawing or one for the run. Modal; each control is sized to its caption in the font in use.
class PlotFilesDialog : public win::Dialog {
public:
    // Control identifiers, stable for tests.
    static constexpr int BesideId = 201;
    static constexpr int InFolderId = 202;
    static constexpr int FolderId = 203;
    static constexpr int BrowseId = 204;
    static constexpr int PatternId = 205;
    static constexpr int PlotFilesLabelId = 206;
    static constexpr int PatternLabelId = 207;
    static constexpr int HintId = 208;
    static constexpr int CombineLabelId = 209;
    static constexpr int CombineId = 210;
    static constexpr int CombinedNameLabelId = 211;
    static constexpr int CombinedNameId = 212;
    static constexpr int KeepSheetsId = 213;
    static constexpr int CombineHintId = 214;
    static constexpr int ToDeviceId = 215;

    explicit PlotFilesDialog(app::PlotFileSettings settings) : settings_(std::move(settings)) {}

    // The choice made, or nothing when the user cancelled.
    std::optional<app::PlotFileSettings> ask(HWND owner);

protected:
    bool onInit() override;
    bool onCommand(int id, int notifyCode, HWND control) override;

private:
    HWND add(int id, const wchar_t* type, const wchar_t* text, DWORD style, DWORD exStyle = 0);
    void layOut();
    void showChoice();
    void browse();
    bool accept();

    app::PlotFileSettings settings_;
    win::UniqueFont font_;
};

}  // namespace quillon::dialogs
