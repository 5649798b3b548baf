#include <gtest/gtest.h>

#include <algorithm>

#include "win/RegistryKey.h"
#include "win/WinError.h"

namespace quillon::win {
namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    const std::wstring path = L"Software\\Quillon Tests\\" + std::to_wstring(GetCurrentProcessId());
    void TearDown() override { RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon Tests"); }
};

TEST_F(RegistryKeyTest, WritesAndReadsBackValues) {
    auto key = RegistryKey::create(HKEY_CURRENT_USER, path + L"\\Settings");
    key.writeString(L"CadPrinter", L"DWF6 ePlot.pc3");
    key.writeString(L"CadPaper", L"\u5e73\u9762 A3");
    key.writeString(L"Empty", L"");
    key.writeDword(L"MainLeft", 1440);

    auto again = RegistryKey::open(HKEY_CURRENT_USER, path + L"\\Settings");
    EXPECT_EQ(again.readString(L"CadPrinter"), L"DWF6 ePlot.pc3");
    EXPECT_EQ(again.readString(L"CadPaper"), L"\u5e73\u9762 A3");
    EXPECT_EQ(again.readString(L"Empty"), L"");
    EXPECT_EQ(again.readDword(L"MainLeft"), 1440u);
}

TEST_F(RegistryKeyTest, AbsentValuesAndKeysAreEmptyNotErrors) {
    auto key = RegistryKey::create(HKEY_CURRENT_USER, path);
    EXPECT_EQ(key.readString(L"Missing"), std::nullopt);
    EXPECT_EQ(key.readDword(L"Missing"), std::nullopt);
    EXPECT_NO_THROW(key.deleteValue(L"Missing"));
    EXPECT_FALSE(RegistryKey::tryOpen(HKEY_CURRENT_USER, path + L"\\Nowhere").has_value());
    EXPECT_NO_THROW(RegistryKey::deleteTree(HKEY_CURRENT_USER, path + L"\\Nowhere"));
}

TEST_F(RegistryKeyTest, OpeningAnAbsentKeyNamesIt) {
    try {
        RegistryKey::open(HKEY_CURRENT_USER, path + L"\\Nowhere");
        FAIL() << "no throw";
    } catch (const WinError& error) {
        EXPECT_EQ(error.hresult(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        EXPECT_NE(error.description().find("Nowhere"), std::string::npos) << error.description();
    }
}

TEST_F(RegistryKeyTest, EnumeratesSubKeysAndValuesAndDeletesTrees) {
    auto key = RegistryKey::create(HKEY_CURRENT_USER, path);
    RegistryKey::create(key.get(), L"B\\Deeper");
    RegistryKey::create(key.get(), L"A");
    key.writeString(L"One", L"1");
    key.writeDword(L"Two", 2);

    auto subKeys = key.subKeyNames();
    std::sort(subKeys.begin(), subKeys.end());
    EXPECT_EQ(subKeys, (std::vector<std::wstring>{L"A", L"B"}));
    auto values = key.valueNames();
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::wstring>{L"One", L"Two"}));

    RegistryKey::deleteTree(HKEY_CURRENT_USER, path + L"\\B");
    EXPECT_FALSE(RegistryKey::tryOpen(HKEY_CURRENT_USER, path + L"\\B\\Deeper").has_value());
    EXPECT_EQ(key.subKeyNames(), (std::vector<std::wstring>{L"A"}));
}

}  // namespace
}  // namespace quillon::win
