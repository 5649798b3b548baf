#include "app/SheetChoice.h"

#include "app/MainSettings.h"

namespace quillon::app {

namespace {

constexpr std::string_view IncludeLayouts = "IncludeLayouts";
constexpr std::string_view ExcludeLayouts = "ExcludeLayouts";
constexpr std::string_view SkipEmptyLayouts = "SkipEmptyLayouts";
constexpr std::string_view SheetSettingsKey = "SheetSettings";
constexpr std::string_view PageSetupFile = "PageSetupFile";
constexpr std::string_view PageSetup = "PageSetup";

}  // namespace

SheetChoice SheetChoice::load(const SettingsStore& store) {
    auto text = [&](std::string_view key) {
        return store.read(settings_names::Application, settings_names::Section, key).value_or("");
    };
    SheetChoice choice;
    choice.includeLayouts = text(IncludeLayouts);
    choice.excludeLayouts = text(ExcludeLayouts);
    // Only an explicit "0" turns the leaving out off: a setting never written keeps the default.
    choice.skipEmptyLayouts = text(SkipEmptyLayouts) != "0";
    choice.settings = plotting::sheetSettingsFromWord(text(SheetSettingsKey)).value_or(plotting::SheetSettings::Quillon);
    choice.pageSetupFile = text(PageSetupFile);
    choice.pageSetup = text(PageSetup);
    return choice;
}

void SheetChoice::save(SettingsStore& store) const {
    auto write = [&](std::string_view key, std::string_view value) {
        store.write(settings_names::Application, settings_names::Section, key, value);
    };
    write(IncludeLayouts, includeLayouts);
    write(ExcludeLayouts, excludeLayouts);
    write(SkipEmptyLayouts, skipEmptyLayouts ? "1" : "0");
    write(SheetSettingsKey, plotting::sheetSettingsWord(settings));
    write(PageSetupFile, pageSetupFile);
    write(PageSetup, pageSetup);
}

void SheetChoice::applyJob(const plotting::PlotJobSpec& job) {
    includeLayouts = job.includeLayouts;
    excludeLayouts = job.excludeLayouts;
    skipEmptyLayouts = job.skipEmptyLayouts;
    settings = plotting::sheetSettingsFromWord(job.sheetSettings).value_or(plotting::SheetSettings::Quillon);
    pageSetupFile = job.pageSetupFile;
    pageSetup = job.pageSetup;
}

void SheetChoice::putInto(plotting::PlotJobSpec& job) const {
    if (job.layouts) {
        job.includeLayouts = includeLayouts == "*" ? std::string() : includeLayouts;
        job.excludeLayouts = excludeLayouts;
    }
    job.skipEmptyLayouts = skipEmptyLayouts;
    const bool fromTemplate = settings == plotting::SheetSettings::Template;
    job.sheetSettings = settings == plotting::SheetSettings::Quillon ? "" : plotting::sheetSettingsWord(settings);
    job.pageSetupFile = fromTemplate ? pageSetupFile : "";
    job.pageSetup = fromTemplate ? pageSetup : "";
}

void SheetChoice::applyTo(plotting::PlotSetup& setup) const {
    setup.layoutPatterns = setup.layouts ? plotting::LayoutPatterns{includeLayouts, excludeLayouts}
                                         : plotting::LayoutPatterns{};
    setup.skipEmptyLayouts = skipEmptyLayouts;
    setup.sheetSettings = settings;
    setup.pageSetupFile = pageSetupFile;
    setup.pageSetup = pageSetup;
}

}  // namespace quillon::app
