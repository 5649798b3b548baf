#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/DrawingList.h"

namespace quillon::discovery {
namespace {

// Sizes that show as the texts the tests give, so sorting by size sorts texts.
struct SizeTexts : CellTexts {
    std::vector<std::string> shown;
    std::string size(std::uint64_t bytes) override { return shown.at(bytes); }
    std::string date(std::int64_t) override { return "01/01/2024"; }
};
SizeTexts sizeTexts;

DrawingRow row(std::string name, std::string size = "1 KB", std::string folder = "C:\\D\\") {
    sizeTexts.shown.push_back(std::move(size));
    return DrawingRow{std::move(name), std::move(folder), "DWG File", sizeTexts.shown.size() - 1, 0};
}

class DrawingListTest : public ::testing::Test {
protected:
    AsciiCaseInsensitiveCollation collation;
    DrawingList list{collation, sizeTexts};

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < list.size(); ++i) out.push_back(list.row(i).name);
        return out;
    }
    using Names = std::vector<std::string>;
};

TEST_F(DrawingListTest, RowsShowInTheOrderAddedUntilSorted) {
    list.add({row("b.dwg"), row("C.dwg"), row("a.dwg")});
    EXPECT_FALSE(list.sorted());
    EXPECT_EQ(names(), (Names{"b.dwg", "C.dwg", "a.dwg"}));
    EXPECT_EQ(list.fullPath(1), "C:\\D\\C.dwg");
}

TEST_F(DrawingListTest, TheFirstClickOnFileNameSortsDescending) {
    list.add({row("b.dwg"), row("C.dwg"), row("a.dwg")});
    list.clickColumn(0);
    EXPECT_TRUE(list.descending());
    EXPECT_EQ(names(), (Names{"C.dwg", "b.dwg", "a.dwg"}));
}

TEST_F(DrawingListTest, ClicksOnOneHeadingAlternateAndAnotherHeadingStartsAscending) {
    list.add({row("1", "1 KB", "C:\\B\\"), row("2", "3 KB", "C:\\A\\"), row("3", "2 KB", "C:\\C\\")});
    list.clickColumn(1);
    EXPECT_EQ(names(), (Names{"2", "1", "3"}));
    list.clickColumn(1);
    EXPECT_EQ(names(), (Names{"3", "1", "2"}));
    list.clickColumn(1);
    EXPECT_EQ(names(), (Names{"2", "1", "3"}));
    list.clickColumn(3);
    EXPECT_EQ(list.sortColumn(), 3);
    EXPECT_FALSE(list.descending());
    EXPECT_EQ(names(), (Names{"1", "3", "2"}));
}

TEST_F(DrawingListTest, SizesSortAsTextCaseIsIgnoredAndTiesKeepTheirOrder) {
    list.add({row("nine", "9 KB"), row("ten", "10 KB"), row("x", "10 kb"), row("Ten", "10 KB")});
    list.clickColumn(3);
    EXPECT_EQ(names(), (Names{"ten", "x", "Ten", "nine"}));
    list.clickColumn(3);
    EXPECT_EQ(names(), (Names{"nine", "ten", "x", "Ten"}));
}

TEST_F(DrawingListTest, RowsAddedWhileSortedTakeTheirPlaces) {
    list.add({row("m"), row("c")});
    list.clickColumn(1);
    list.clickColumn(0);  // ascending by name
    list.add(row("a"));
    list.add({row("z"), row("d"), row("b")});
    EXPECT_EQ(names(), (Names{"a", "b", "c", "d", "m", "z"}));
}

// A search hands its rows over in batches of any size; thousands of them stay
// where they were put (the address sanitizer sees any that moved) and in order.
TEST_F(DrawingListTest, ManyBatchesOfRowsKeepTheirOrderAndSortLikeOne) {
    std::vector<std::vector<DrawingRow>> batches(3);
    for (int i = 0; i < 5000; ++i) batches[i < 10 ? 0 : i < 4500 ? 1 : 2].push_back(row("d" + std::to_string(i)));
    list.add(std::move(batches));
    list.add(std::vector<std::vector<DrawingRow>>{{}, {row("last")}});
    ASSERT_EQ(list.size(), 5001u);
    EXPECT_EQ(std::vector<std::string>({list.row(0).name, list.row(4499).name, list.row(5000).name}),
              (Names{"d0", "d4499", "last"}));
    list.clickColumn(0);
    EXPECT_EQ(std::vector<std::string>({list.row(0).name, list.row(5000).name}), (Names{"last", "d0"}));
}

TEST_F(DrawingListTest, TheSortStateOutlivesClearingAndTheEnterKeySortsWithoutChangingIt) {
    list.add({row("a"), row("b")});
    list.clickColumn(0);
    list.clear();
    EXPECT_TRUE(list.sorted());
    list.add({row("a"), row("c"), row("b")});
    EXPECT_EQ(names(), (Names{"c", "b", "a"}));

    DrawingList fresh{collation, sizeTexts};
    fresh.add({row("b"), row("a")});
    fresh.showSorted();
    EXPECT_EQ(fresh.sortColumn(), 0);
    EXPECT_FALSE(fresh.descending());
    EXPECT_EQ(fresh.row(0).name, "a");
}

TEST_F(DrawingListTest, SelectionAndFocusFollowTheirRowsWhenSorted) {
    list.add({row("c"), row("a"), row("b")});
    list.setSelected(0, true);  // c
    list.setSelected(2, true);  // b
    list.setFocused(2);
    list.clickColumn(1);
    list.clickColumn(0);  // ascending by name: a b c
    EXPECT_EQ(list.selectedIndices(), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(list.focused(), 1u);
    EXPECT_EQ(list.selectedCount(), 2u);
}

TEST_F(DrawingListTest, SelectAllAndClearing) {
    list.selectAll();
    EXPECT_EQ(list.selectedCount(), 0u);
    std::vector<DrawingRow> many;
    for (int i = 0; i < 500; ++i) many.push_back(row(std::to_string(i)));
    list.add(std::move(many));
    list.selectAll();
    EXPECT_EQ(list.selectedCount(), 500u);
    list.setSelected(15, false);
    EXPECT_FALSE(list.isSelected(15));
    list.setSelected(15, true);
    list.setSelected(15, true);
    EXPECT_EQ(list.selectedCount(), 500u);
    list.clear();
    EXPECT_EQ(list.selectedCount(), 0u);
    EXPECT_FALSE(list.focused());
}

}  // namespace
}  // namespace quillon::discovery
