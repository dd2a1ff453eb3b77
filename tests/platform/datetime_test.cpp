#include "platform/datetime.h"

#include <gtest/gtest.h>

TEST(DateTime, EncodesAndDecodesCalendarFields) {
    EXPECT_DOUBLE_EQ(*EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(*EncodeDateTime({1900, 1, 1, 12, 0, 0, 0}), 2.5);
    EXPECT_DOUBLE_EQ(*EncodeDateTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
    EXPECT_DOUBLE_EQ(*EncodeDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
    TDateTimeFields f = DecodeDateTime(*EncodeDateTime({2024, 2, 29, 23, 59, 59, 0}));
    EXPECT_EQ(f.Year, 2024);
    EXPECT_EQ(f.Month, 2);
    EXPECT_EQ(f.Day, 29);
    EXPECT_EQ(f.Hour, 23);
    EXPECT_EQ(f.Minute, 59);
    EXPECT_EQ(f.Second, 59);
    f = DecodeDateTime(-1.25);
    EXPECT_EQ(f.Day, 29);
    EXPECT_EQ(f.Hour, 6);
    EXPECT_FALSE(EncodeDateTime({2023, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(EncodeDateTime({2023, 1, 1, 24, 0, 0, 0}));
}

TEST(DateTime, TextFormsReadBackToTheSecond) {
    struct Case {
        TDateTimeFields fields;
        const char* text;
    } cases[] = {
        {{2026, 12, 10, 9, 5, 7, 0}, "2026/12/10 09:05:07"},
        {{2026, 12, 10, 0, 0, 0, 0}, "2026/12/10"},
        {{1899, 12, 30, 13, 14, 15, 0}, "13:14:15"},
        {{1899, 12, 30, 0, 0, 0, 0}, "00:00:00"},
    };
    for (const auto& c : cases) {
        TDateTime v = *EncodeDateTime(c.fields);
        EXPECT_EQ(DateTimeToStr(v), c.text);
        auto back = StrToDateTime(c.text);
        ASSERT_TRUE(back) << c.text;
        EXPECT_EQ(DateTimeToStr(*back), c.text);
        EXPECT_NEAR(*back, v, 0.5 / 86400);
    }
    // Milliseconds are not kept; the value read back is the same second.
    TDateTime withMs = *EncodeDateTime({2026, 1, 2, 3, 4, 5, 678});
    EXPECT_EQ(DateTimeToStr(*StrToDateTime(DateTimeToStr(withMs))), "2026/01/02 03:04:05");
}

TEST(DateTime, RejectsUnreadableText) {
    for (const char* bad : {"", "abc", "2026/13/01", "2026/12/10 25:00:00", "2026/12",
                            "2026/12/10x", "12:", "1/2/3/4"})
        EXPECT_FALSE(StrToDateTime(bad)) << bad;
    EXPECT_TRUE(StrToDateTime("12:30"));
}

TEST(DateTime, LocalClockAndZone) {
    // Tests run with TZ=Asia/Tokyo: nine hours east, no daylight saving.
    EXPECT_EQ(StandardTimeOffset(), 9 * 3600);
    EXPECT_EQ(DateTimeToStr(UnixToDateTime(0)), "1970/01/01 09:00:00");
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(1700000000)), 1700000000);
    // File time of local now: 100-ns units since 1601, with the zone's offset.
    std::uint64_t ft = LocalFileTime();
    double days = static_cast<double>(ft) / 1e7 / 86400.0 - 109205.0; // 1601 -> 1899-12-30
    EXPECT_NEAR(days, Now(), 1.0 / 86400 * 5);
}
