#include <gtest/gtest.h>

#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::win {
namespace {

TEST(Utf, RoundTripsTextBeyondTheAnsiCodePage) {
    const std::string samples[] = {"", "plain.dwg", "Grundri\xC3\x9F \xC3\x84nderung",
                                   "\xE5\xB9\xB3\xE9\x9D\xA2\xE5\x9B\xB3", "\xF0\x9F\x93\x90 beyond the BMP"};
    for (const auto& sample : samples) EXPECT_EQ(toUtf8(toWide(sample)), sample);
    EXPECT_EQ(toWide("\xF0\x9F\x93\x90").size(), 2u) << "a surrogate pair";
}

TEST(Utf, ReplacesInvalidInputInsteadOfFailing) {
    EXPECT_EQ(toWide("a\xFF"
                     "b"),
              L"a\uFFFDb");
    EXPECT_EQ(toUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(WinError, CarriesTheSystemTextAfterTheContext) {
    WinError error = WinError::fromWin32(ERROR_FILE_NOT_FOUND, "Opening settings");
    EXPECT_EQ(error.hresult(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(error.description().rfind("Opening settings: ", 0), 0u) << error.description();
    EXPECT_GT(error.description().size(), std::string("Opening settings: ").size());
    EXPECT_EQ(error.description().find('\n'), std::string::npos);
}

TEST(WinError, FallsBackToTheCodeWhenTheSystemHasNoText) {
    EXPECT_EQ(systemMessage(static_cast<HRESULT>(0xA0FF1234)), "Error 0xA0FF1234");
}

TEST(WinErrorFromExcepInfo, TakesTheServersCodeAndDescription) {
    EXCEPINFO info{};
    info.scode = static_cast<SCODE>(0x80200011);
    info.bstrDescription = SysAllocString(L"No database");
    info.bstrSource = SysAllocString(L"CAD");
    WinError error = WinError::fromExcepInfo(info);
    EXPECT_EQ(error.code(), static_cast<std::int32_t>(0x80200011));
    EXPECT_EQ(error.description(), "No database");
    EXPECT_EQ(info.bstrDescription, nullptr) << "the strings are taken over, not leaked or freed twice";
    EXPECT_EQ(info.bstrSource, nullptr);
}

TEST(WinErrorFromExcepInfo, MapsAServerErrorNumberIntoTheControlFacility) {
    EXCEPINFO info{};
    info.wCode = 1001;
    WinError error = WinError::fromExcepInfo(info);
    EXPECT_EQ(error.hresult(), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1001));
    EXPECT_FALSE(error.description().empty());
}

TEST(WinErrorFromExcepInfo, AsksForDeferredDetails) {
    EXCEPINFO info{};
    info.pfnDeferredFillIn = [](EXCEPINFO* target) -> HRESULT {
        target->scode = E_ACCESSDENIED;
        target->bstrDescription = SysAllocString(L"Filled in late");
        return S_OK;
    };
    WinError error = WinError::fromExcepInfo(info);
    EXPECT_EQ(error.hresult(), E_ACCESSDENIED);
    EXPECT_EQ(error.description(), "Filled in late");
}

}  // namespace
}  // namespace quillon::win
