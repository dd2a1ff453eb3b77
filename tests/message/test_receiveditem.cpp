// Received hops and the mail date reader (the tests run with TZ=Asia/Tokyo).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "message/datereader.h"
#include "message/receiveditem.h"

namespace {

// The full "yyyy/mm/dd hh:nn:ss" form, also for days before 1899-12-30.
std::string Show(std::optional<TDateTime> value) {
    if (!value) return "(rejected)";
    TDateTimeFields f = DecodeDateTime(*value);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", f.Year, f.Month, f.Day, f.Hour,
                  f.Minute, f.Second);
    return buf;
}

bool IsAboutNow(std::optional<TDateTime> value) {
    return value && std::fabs(*value - Now()) < 1.0 / 1440;
}

TEST(ParseINetDateTime, ReadsMailDates) {
    struct Case {
        const char* In;
        const char* Out;
    } cases[] = {
        {"Mon, 5 Jul 2004 13:02:03 +0900", "2004/07/05 13:02:03"},
        {"Mon, 5 Jul 2004 13:02:03 -0500", "2004/07/06 03:02:03"},
        {"5 Jul 2004 13:02:03 +0900", "2004/07/05 13:02:03"},
        {"Date: Mon, 5 Jul 2004 13:02:03 +0900", "2004/07/05 13:02:03"},
        {"Mon, 5 Jul 2004 1:02:03 PM +0900", "2004/07/05 13:02:03"},
        {"Mon, 5 Jul 2004 12:02:03 am +0900", "2004/07/05 00:02:03"},
        {"Mon, 5 Jul 04 13:02:03 +0900", "1904/07/05 13:02:03"},
        {"Mon, 5 Jul 2004 13:02:03", "2004/07/05 13:02:03"},
        {"Mon, 05 jul 2004 13:02:03 +0000 (UTC)", "2004/07/05 22:02:03"},
        {"Mon, 5 Jul 2004 04:02:03 GMT", "2004/07/05 13:02:03"},
        {"Mon, 15 Nov 2010 07:12:40 UTC", "2010/11/15 16:12:40"},
        {"Mon, 15 Nov 2010 07:12:40 Z", "2010/11/15 16:12:40"},
        {"Mon, 5 Jul 2004 00:02:03 EDT", "2004/07/05 13:02:03"},
        {"Jul, 5 2004 13:02:03 +0900", "2004/07/05 13:02:03"},
        {"Mon, 5 Jul 2004 13:02:03 +09", "2004/07/05 21:53:03"},
        {"Sat, 5 Jul 1890 13:02:03 +0900", "1890/07/05 13:02:03"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Show(TReceivedItem::ParseINetDateTime(c.In)), c.Out) << c.In;
}

TEST(ParseINetDateTime, UnreadableDateIsTheCurrentTime) {
    for (const char* text : {"", "garbage", "Mon, 5 Jul 2004 13:02 +0900", "06-Nov-2001 10:00:00",
                             "Mon, 31 Feb 2004 13:02:03", "Mon, 5 Xyz 2004 13:02:03",
                             "Mon, 5 Jul 2004 13:02:03.5", "Mon, 5 Jul 99999999999 1:2:3"})
        EXPECT_TRUE(IsAboutNow(TReceivedItem::ParseINetDateTime(text))) << text;
}

TEST(ParseINetDateTime, RejectsImpossibleOffsetsAndTimes) {
    for (const char* text : {"Mon, 5 Jul 2004 13:02:03 +2400", "Mon, 5 Jul 2004 13:02:03 -0960",
                             "Mon, 5 Jul 2004 13:02:03 +99999999999999999999",
                             "Mon, 5 Jul 2004 13:02:03 PM", "Mon, 5 Jul 2004 1:60:03 AM"})
        EXPECT_FALSE(TReceivedItem::ParseINetDateTime(text).has_value()) << text;
    // An offset counts only once a date is read.
    EXPECT_TRUE(IsAboutNow(TReceivedItem::ParseINetDateTime("no date +2400")));
}

class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) FOld = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        setenv("TZ", FOld.c_str(), 1);
        tzset();
    }

private:
    std::string FOld = "Asia/Tokyo";
};

TEST(ParseINetDateTime, NumericOffsetGivesLocalTimeWithDaylightSaving) {
    ZoneGuard zone("Europe/Berlin");
    EXPECT_EQ(Show(TReceivedItem::ParseINetDateTime("Mon, 5 Jul 2004 13:02:03 +0900")),
              "2004/07/05 06:02:03");
    EXPECT_EQ(Show(TReceivedItem::ParseINetDateTime("Mon, 5 Jan 2004 13:02:03 +0900")),
              "2004/01/05 05:02:03");
}

TEST(ReadMailDate, TokenRules) {
    struct Case {
        const char* In;
        const char* Out;
    } cases[] = {
        {"Sun, 5 Jul 2004 13:02:03", "2004/07/05 13:02:03"},
        {"Sun, 5 - Jul - 2004 13:02:03", "2004/07/05 13:02:03"},
        {"Sun, Jul 5 13:02:03 2004", "2004/07/05 13:02:03"},
        {"Sun, 5 Jul 2004 13 02 03", "2004/07/05 13:02:03"},
        {"Sun, 06-Nov 2004 13:02:03", "(rejected)"},
        {"Sun, 5D Jul 2004 13:02:03", "(rejected)"},
        {"Sun, 5 Jul 2004 25:02:03", "(rejected)"},
        {"Sun,", "(rejected)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Show(ReadMailDate(c.In)), c.Out) << c.In;
}

TEST(ReceivedItem, SplitsRouteAndDate) {
    struct Case {
        const char* Value;
        const char* Path;
        const char* ComputerName;
        const char* Host;
        const char* Address;
        std::uint32_t AddressValue;
        const char* By;
        const char* With;
    } cases[] = {
        {" from X (Y [10.0.0.1]) by Z with SMTP; Mon, 5 Jul 2004 13:02:03 +0900\r\n",
         "from X (Y [10.0.0.1]) by Z with SMTP", "X", "Y", "10.0.0.1", 0x0A000001, "Z", "SMTP"},
        {" from Y (HELO X) (10.0.0.1) by Z; Mon, 5 Jul 2004 13:02:03 +0900\r\n",
         "from Y (HELO X) (10.0.0.1) by Z", "Y", "X", "10.0.0.1", 0x0A000001, "Z", ""},
        {" from a.example (a.example [192.168.1.2])\r\n\tby mx.example (Postfix) with ESMTP id "
         "1;\r\n\tMon, 5 Jul 2004 13:02:03 +0900\r\n",
         "from a.example (a.example [192.168.1.2])\r\n\tby mx.example (Postfix) with ESMTP id 1",
         "a.example", "a.example", "192.168.1.2", 0xC0A80102, "mx.example (Postfix)", "ESMTP id 1"},
        {" from q (r [10.0.0.256]) by s; Mon, 5 Jul 2004 13:02:03 +0900",
         "from q (r [10.0.0.256]) by s", "q", "r", "10.0.0.256", 0xFFFFFFFF, "s", ""},
        {" by local.host; Mon, 5 Jul 2004 13:02:03 +0900", "by local.host", "by local.host",
         "by local.host", "", 0xFFFFFFFF, "", ""},
        {" Mon, 5 Jul 2004 13:02:03 +0900\r\n", "", "", "", "", 0xFFFFFFFF, "", ""},
        {" from host 1.2.3.4 by z; Mon, 5 Jul 2004 13:02:03 +0900", "from host 1.2.3.4 by z",
         "host 1.2.3.4", "host 1.2.3.4", "1.2.3.4", 0x01020304, "z", ""},
    };
    for (const Case& c : cases) {
        TReceivedItem hop(c.Value);
        EXPECT_TRUE(hop.Valid()) << c.Value;
        EXPECT_EQ(hop.ReceivedPath, c.Path) << c.Value;
        EXPECT_EQ(hop.ReceivedDate, "Mon, 5 Jul 2004 13:02:03 +0900") << c.Value;
        EXPECT_EQ(hop.ComputerName, c.ComputerName) << c.Value;
        EXPECT_EQ(hop.Host, c.Host) << c.Value;
        EXPECT_EQ(hop.Address, c.Address) << c.Value;
        EXPECT_EQ(hop.AddressValue, c.AddressValue) << c.Value;
        EXPECT_EQ(hop.By, c.By) << c.Value;
        EXPECT_EQ(hop.With, c.With) << c.Value;
        EXPECT_EQ(DateTimeToStr(hop.Date), "2004/07/05 13:02:03") << c.Value;
    }
}

TEST(ReceivedItem, ImpossibleDateMakesHopInvalid) {
    TReceivedItem hop(" from a by b; Mon, 5 Jul 2004 13:02:03 +2400");
    EXPECT_FALSE(hop.Valid());
    EXPECT_EQ(hop.Host, "a");
}

} // namespace
