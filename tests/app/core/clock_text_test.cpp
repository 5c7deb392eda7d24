// The status bar's time of day, in the locales of the program's users and beyond.
#include "clock_text.h"

#include <gtest/gtest.h>

namespace {

struct ClockCase {
    const char* locale;
    const char* morning; // 09:06:43
    const char* evening; // 23:06:43
};

void PrintTo(const ClockCase& c, std::ostream* os) { *os << c.locale; }

class LongTimeTextTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(LongTimeTextTest, ShowsTheTimeOfDayWithoutAZone)
{
    const ClockCase& c = GetParam();
    const QLocale locale(QString::fromLatin1(c.locale));
    EXPECT_EQ(velko::LongTimeText(QTime(9, 6, 43), locale), QString::fromUtf8(c.morning));
    EXPECT_EQ(velko::LongTimeText(QTime(23, 6, 43), locale), QString::fromUtf8(c.evening));
}

INSTANTIATE_TEST_SUITE_P(Locales, LongTimeTextTest,
                         ::testing::Values(ClockCase{"C", "09:06:43", "23:06:43"},
                                           ClockCase{"en_US", "9:06:43 AM", "11:06:43 PM"},
                                           ClockCase{"zh_TW", "上午9:06:43", "下午11:06:43"},
                                           ClockCase{"zh_CN", "09:06:43", "23:06:43"},
                                           ClockCase{"ja_JP", "9時06分43秒", "23時06分43秒"},
                                           ClockCase{"sq_AL", "9:06:43 E PARADITES", "11:06:43 E PASDITES"}),
                         [](const auto& p) { return std::string(p.param.locale); });

TEST(LongTimeText, EveryLocaleGivesItsDigitsAndNoZoneOrEmptyBrackets)
{
    const QTime time(23, 6, 43);
    const QString zone = QTime(0, 0).toString(QStringLiteral("t"));
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString text = velko::LongTimeText(time, locale);
        const std::string name = locale.name().toStdString();
        EXPECT_TRUE(text.contains(locale.toString(43))) << name << " lost the seconds: " << text.toStdString();
        if (!zone.isEmpty()) {
            EXPECT_FALSE(text.contains(zone)) << name << ": " << text.toStdString();
        }
        for (const char* empty : {"[]", "()", "[ ]", "( )"})
            EXPECT_FALSE(text.contains(QLatin1String(empty))) << name << ": " << text.toStdString();
        EXPECT_EQ(text, text.trimmed()) << name;
    }
}

} // namespace
