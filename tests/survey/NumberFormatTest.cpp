// SPDX-License-Identifier: MIT
#include <clocale>
#include <cstdint>
#include <limits>
#include <locale>
#include <string>

#include <gtest/gtest.h>

#include "survey/NumberFormat.h"

namespace trelmark::survey {
namespace {

TEST(NumberFormat, CountsGroupByThree) {
    EXPECT_EQ(formatCount(0), "0");
    EXPECT_EQ(formatCount(7), "7");
    EXPECT_EQ(formatCount(999), "999");
    EXPECT_EQ(formatCount(1000), "1,000");
    EXPECT_EQ(formatCount(123456), "123,456");
    EXPECT_EQ(formatCount(1000000), "1,000,000");
    EXPECT_EQ(formatCount(UINT64_MAX), "18,446,744,073,709,551,615");
    EXPECT_EQ(formatCount(UINT64_MAX - 1), "18,446,744,073,709,551,614");
}

TEST(NumberFormat, SharesRoundToTwoPlacesAndKeepThem) {
    EXPECT_EQ(formatShare(0.123456), "12.35 %");
    EXPECT_EQ(formatShare(0.0), "0.00 %");
    EXPECT_EQ(formatShare(1.0), "100.00 %");
    EXPECT_EQ(formatShare(0.99999), "100.00 %");
    EXPECT_EQ(formatShare(0.5), "50.00 %");
    EXPECT_EQ(formatShare(0.00004), "0.00 %");
    EXPECT_EQ(formatShare(0.00006), "0.01 %");
    EXPECT_EQ(formatShare(0.1), "10.00 %");
    // Exact halves round up, as the share mask does, not to the even digit: 97 of 800 is 12.125 %.
    EXPECT_EQ(formatShare(shareOf(97, 800)), "12.13 %");
    EXPECT_EQ(formatShare(shareOf(1, 8)), "12.50 %");
    EXPECT_EQ(formatShare(shareOf(1, 800)), "0.13 %");
    EXPECT_EQ(formatShare(shareOf(1, 1600)), "0.06 %");
    EXPECT_EQ(formatShare(0.99995), "100.00 %");
    EXPECT_EQ(formatShare(9.99995), "1,000.00 %");
    // Sparse files can make a tree larger than its drive.
    EXPECT_EQ(formatShare(12345.6789), "1,234,567.89 %");
    EXPECT_EQ(formatShare(18446744073709551615.0), "1,844,674,407,370,955,161,600.00 %");
}

TEST(NumberFormat, SharesOfNothingAreZero) {
    EXPECT_EQ(shareOf(5, 0), 0.0);
    EXPECT_EQ(shareOf(0, 0), 0.0);
    EXPECT_EQ(shareOf(1, 4), 0.25);
    EXPECT_EQ(formatShare(-0.0), "0.00 %");
    EXPECT_EQ(formatShare(-1.0), "0.00 %");
    EXPECT_EQ(formatShare(std::numeric_limits<double>::quiet_NaN()), "0.00 %");
    EXPECT_EQ(formatShare(std::numeric_limits<double>::infinity()), "0.00 %");
}

TEST(NumberFormat, IncompleteFiguresAndTheirSharesCarryAPlus) {
    EXPECT_EQ(formatFigure({1234, true}), "1,234");
    EXPECT_EQ(formatFigure({1234, false}), "1,234+");
    EXPECT_EQ(formatShare(shareBetween({1, true}, {8, true})), "12.50 %");
    EXPECT_EQ(formatShare(shareBetween({1, false}, {8, true})), "12.50 %+");
    EXPECT_EQ(shareBetween({1, true}, {8, false}), (Share{0.125, false}));
}

TEST(SurveyRow, ShowsItsFiguresAsTheWindowDoesAndKnowsWhetherTheyAreExact) {
    SurveyRow row;
    row.name =
        "a\xff"
        "b";
    EXPECT_EQ(row.text(Column::Name), "a\\xFFb");
    EXPECT_EQ(row.text(Column::Size), "");
    EXPECT_TRUE(row.complete());
    row.bytes = fs::Figure{1024, true};
    row.usedShare = Share{0.5, false};
    EXPECT_EQ(row.text(Column::Size), "1,024");
    EXPECT_EQ(row.text(Column::UsedShare), "50.00 %+");
    EXPECT_FALSE(row.complete());
    EXPECT_EQ(rowKindKey(RowKind::AllFiles), "all");
    EXPECT_EQ(rowKindKey(row.kind), "dir");
}

TEST(SurveyColumns, TheHeaderGivesSixColumnsWithTheirBlanks) {
    EXPECT_EQ(kGridHeader.size(), 85u);
    EXPECT_EQ(columnHeading(Column::Name).title, "Directory Name      ");
    EXPECT_EQ(columnHeading(Column::Name).alignment, Alignment::Left);
    EXPECT_EQ(columnHeading(Column::Size).title, "Size(bytes)     ");
    EXPECT_EQ(columnHeading(Column::UsedShare).title, "Used%   ");
    EXPECT_EQ(columnHeading(Column::Dirs).title, "Dirs      ");
    EXPECT_EQ(columnHeading(Column::Dirs).alignment, Alignment::Right);
}

// Separators the other way round, as German has them; built here, since the machine may have no locales.
class GermanPunctuation : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// Logs and scripts compare the figures: no locale may change them.
TEST(NumberFormat, IgnoreTheLocale) {
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new GermanPunctuation));
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            break;
        }
    }
    EXPECT_EQ(formatCount(1234567), "1,234,567");
    EXPECT_EQ(formatShare(0.123456), "12.35 %");
    EXPECT_EQ(formatShare(12.5), "1,250.00 %");
    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace trelmark::survey
