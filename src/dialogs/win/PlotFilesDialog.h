#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/PlotFileSettings.h"
#include "plotting/titleblocks/DrawingTags.h"
#include "win/Dialog.h"
#include "win/UniqueResource.h"

namespace quillon::dialogs {

// Reads the tags of a drawing's title blocks for the dialog, off the window's thread; done runs on the window's
// thread, with the reason when the drawing could not be read.
class TitleBlockLister {
public:
    using Done = std::function<void(plotting::DrawingTags tags, std::string error)>;
    virtual void listTags(const std::string& file, const std::string& titleBlocks, const std::string& namePattern,
                          Done done) = 0;

protected:
    ~TitleBlockLister() = default;
};

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
    static constexpr int TitleBlocksLabelId = 216;
    static constexpr int TitleBlocksId = 217;
    static constexpr int TagsButtonId = 218;
    static constexpr int TagsId = 219;
    static constexpr int RegisterLabelId = 220;
    static constexpr int RegisterId = 221;

    PlotFilesDialog(app::PlotFileSettings settings, TitleBlockLister& lister)
        : settings_(std::move(settings)), lister_(lister) {}
    ~PlotFilesDialog() override { alive_.reset(); }

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
    // Picks a drawing and lists its title blocks' tags and the name its first titled sheet would get.
    void pickDrawingForTags();
    bool accept();

    app::PlotFileSettings settings_;
    TitleBlockLister& lister_;
    // Gone with the dialog: an answer arriving later finds it expired and does nothing.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::uint64_t request_ = 0;
    win::UniqueFont font_;
};

}  // namespace quillon::dialogs
