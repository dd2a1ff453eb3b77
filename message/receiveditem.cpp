#include "message/receiveditem.h"

#include <cmath>
#include <cstdio>

#include "foundation/regexpobj.h"
#include "message/datereader.h"
#include "message/headertext.h"
#include "message/limits.h"
#include "platform/text.h"

namespace {

// The trace patterns, compiled once per thread (a pattern keeps its last match).
struct TTracePatterns {
    TRegexpObj FromByWith{"^from\\s+(.+)\\s+by\\s+(.+)\\s+with\\s+(.+)", TRegexpObj::Caseless};
    TRegexpObj FromBy{"^from\\s+(.+)\\s+by\\s+(.+)", TRegexpObj::Caseless};
    TRegexpObj Helo{"^(.+)\\s+\\(HELO\\s+(.+)\\)\\s+\\((\\d+\\.\\d+\\.\\d+\\.\\d+)\\)",
                    TRegexpObj::Multiline};
    TRegexpObj Comment{"^(.+)\\s+\\(([^\\)]+)\\)", TRegexpObj::Multiline};
    TRegexpObj HostAddress{"^(.+)\\s+\\[(\\d+\\.\\d+\\.\\d+\\.\\d+)\\]", TRegexpObj::Multiline};
    TRegexpObj AnyAddress{"\\d+\\.\\d+\\.\\d+\\.\\d+"};
    TRegexpObj Address{"^\\d+\\.\\d+\\.\\d+\\.\\d+$"};

    TRegexpObj TwelveHour{"(\\d+:\\d+:\\d+)\\s(AM|PM)", TRegexpObj::Caseless};
    TRegexpObj Offset{"\\s+([-+])0*(\\d+)", TRegexpObj::Caseless};
    TRegexpObj ZoneName{"\\d\\s+(UTC|UT|GMT|Z|EST|EDT|CST|CDT|MST|MDT|PST|PDT|JST)\\b",
                        TRegexpObj::Caseless};
    TRegexpObj DayMonthYear{"([a-z]+),\\s+(\\d+)\\s+([a-z]+)\\s+(\\d+)", TRegexpObj::Caseless};
    TRegexpObj NameDayYear{"([a-z]+),\\s+(\\d+)\\s+(\\d+)", TRegexpObj::Caseless};
    TRegexpObj BareDate{"(\\d+)\\s+([a-z]+)\\s+(\\d+)", TRegexpObj::Caseless};

    TTracePatterns() {
        for (TRegexpObj* reg :
             {&FromByWith, &FromBy, &Helo, &Comment, &HostAddress, &AnyAddress, &Address,
              &TwelveHour, &Offset, &ZoneName, &DayMonthYear, &NameDayYear, &BareDate})
            reg->Study();
    }
};

TTracePatterns& Patterns() {
    thread_local TTracePatterns patterns;
    return patterns;
}

// Four decimal octets of at most 255 in host order, else 0xFFFFFFFF.
std::uint32_t DottedQuad(std::string_view text) {
    std::uint32_t value = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (text.empty() || text.front() != '.') return 0xFFFFFFFF;
            text.remove_prefix(1);
        }
        unsigned n = 0;
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            n = n * 10 + static_cast<unsigned>(text[digits] - '0');
            if (n > 255) return 0xFFFFFFFF;
            ++digits;
        }
        if (digits == 0) return 0xFFFFFFFF;
        text.remove_prefix(digits);
        value = value << 8 | n;
    }
    return text.empty() ? value : 0xFFFFFFFF;
}

// "h:m:s AM|PM" as "hh:nn:ss" in 24 hours; nothing for an impossible time.
std::optional<std::string> TwentyFourHour(std::string_view time, std::string_view half) {
    int parts[3] = {0, 0, 0};
    int k = 0;
    for (char c : time) {
        if (c == ':') {
            ++k;
            continue;
        }
        parts[k] = parts[k] * 10 + (c - '0');
        if (parts[k] > 99) return std::nullopt;
    }
    int hour = parts[0], minute = parts[1], second = parts[2];
    if (hour > 12 || minute > 59 || second > 59) return std::nullopt;
    bool pm = half[0] == 'P' || half[0] == 'p';
    if (hour == 12) hour = 0;
    if (pm) hour += 12;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hour, minute, second);
    return std::string(buf);
}

// Minutes east of UTC named by an RFC 5322 zone (with the military "Z"), and by
// UTC and JST, common in mail that servers and Japanese mailers write.
int ZoneMinutes(std::string_view zone) {
    struct TZone {
        std::string_view Name;
        int Minutes;
    };
    static constexpr TZone zones[] = {{"UTC", 0},    {"UT", 0},     {"GMT", 0},    {"Z", 0},
                                      {"EST", -300}, {"EDT", -240}, {"CST", -360}, {"CDT", -300},
                                      {"MST", -420}, {"MDT", -360}, {"PST", -480}, {"PDT", -420},
                                      {"JST", 540}};
    for (const TZone& z : zones)
        if (platform::SameText(zone, z.Name)) return z.Minutes;
    return 0;
}

// The text with the date put in the form the reader takes, or empty.
std::string NormalizeDateForm(const std::string& text, TTracePatterns& p) {
    if (p.DayMonthYear.Execute(text)) return text;
    if (p.NameDayYear.Execute(text)) {
        const auto& c = p.NameDayYear.Captures();
        return std::string(p.NameDayYear.PreMatch()) + "Sun, " + c[2] + " " + c[1] + " " + c[3] +
               std::string(p.NameDayYear.PostMatch());
    }
    if (p.BareDate.Execute(text)) {
        const auto& c = p.BareDate.Captures();
        return std::string(p.BareDate.PreMatch()) + "Sun, " + c[1] + " " + c[2] + " " + c[3] +
               std::string(p.BareDate.PostMatch());
    }
    return {};
}

} // namespace

TReceivedItem::TReceivedItem(std::string_view value) {
    value = headertext::TrimControl(value);
    std::size_t semicolon = value.find(';');
    if (semicolon == std::string_view::npos) {
        SetReceivedPath({});
        SetReceivedDate(value);
    } else {
        SetReceivedPath(headertext::TrimControl(value.substr(0, semicolon)));
        SetReceivedDate(headertext::TrimControl(value.substr(semicolon + 1)));
    }
}

void TReceivedItem::SetReceivedPath(std::string_view text) {
    ReceivedPath = text;
    TTracePatterns& p = Patterns();
    std::string_view route = text.substr(0, msglimits::MaxReceivedBytes);
    By.clear();
    With.clear();
    if (p.FromByWith.Execute(route)) {
        By = p.FromByWith.Capture(2);
        With = p.FromByWith.Capture(3);
        SetReceivedFrom(std::string(p.FromByWith.Capture(1)));
    } else if (p.FromBy.Execute(route)) {
        By = p.FromBy.Capture(2);
        SetReceivedFrom(std::string(p.FromBy.Capture(1)));
    } else {
        SetReceivedFrom(route);
    }
}

bool TReceivedItem::SetReceivedDate(std::string_view text) {
    ReceivedDate = text;
    std::optional<TDateTime> date = ParseINetDateTime(text);
    FValid = date.has_value();
    Date = date.value_or(0);
    return FValid;
}

void TReceivedItem::SetReceivedFrom(std::string_view text) {
    ReceivedFrom = text;
    TTracePatterns& p = Patterns();
    if (p.Helo.Execute(text)) {
        ComputerName = p.Helo.Capture(1);
        std::string address = p.Helo.Capture(3);
        SetHost(std::string(p.Helo.Capture(2)));
        SetAddress(address);
    } else if (p.Comment.Execute(text)) {
        ComputerName = p.Comment.Capture(1);
        SetHost(std::string(p.Comment.Capture(2)));
    } else {
        ComputerName = text;
        SetHost(text);
    }
}

void TReceivedItem::SetHost(std::string_view text) {
    TTracePatterns& p = Patterns();
    if (p.HostAddress.Execute(text)) {
        Host = p.HostAddress.Capture(1);
        SetAddress(std::string(p.HostAddress.Capture(2)));
    } else if (p.AnyAddress.Execute(text)) {
        Host = text;
        SetAddress(std::string(p.AnyAddress.Capture(0)));
    } else {
        Host = text;
        SetAddress({});
    }
}

void TReceivedItem::SetAddress(std::string_view text) {
    Address = text;
    AddressValue = Patterns().Address.Execute(text) ? DottedQuad(text) : 0xFFFFFFFF;
}

std::optional<TDateTime> TReceivedItem::ParseINetDateTime(std::string_view input) {
    TTracePatterns& p = Patterns();
    std::string text(input.substr(0, msglimits::MaxDateBytes));

    if (p.TwelveHour.Execute(text)) {
        std::optional<std::string> time =
            TwentyFourHour(p.TwelveHour.Capture(1), p.TwelveHour.Capture(2));
        if (!time) return std::nullopt;
        text = std::string(p.TwelveHour.PreMatch()) + *time + std::string(p.TwelveHour.PostMatch());
    }

    // A numeric offset, else a zone name; the offset is checked once a date is read.
    bool hasOffset = false, negative = false;
    int zoneMinutes = 0;
    std::string offsetDigits;
    if (p.Offset.Execute(text)) {
        hasOffset = true;
        negative = p.Offset.Capture(1) == "-";
        offsetDigits = p.Offset.Capture(2);
    } else if (p.ZoneName.Execute(text)) {
        hasOffset = true;
        zoneMinutes = ZoneMinutes(p.ZoneName.Capture(1));
    }

    text = NormalizeDateForm(text, p);
    if (text.empty()) return Now();
    std::optional<TDateTime> read = ReadMailDate(text);
    if (!read) return Now();
    if (!hasOffset) return read;
    if (!offsetDigits.empty()) {
        if (offsetDigits.size() > 4) return std::nullopt; // hours of 100 and more
        int n = std::stoi(offsetDigits);
        if (n / 100 >= 24 || n % 100 >= 60) return std::nullopt;
        zoneMinutes = (n / 100 * 60 + n % 100) * (negative ? -1 : 1);
    }
    // The read fields as a UTC instant, shifted by the zone, shown as the local
    // time of that instant (daylight saving included).
    // (Before 1899-12-30 the day count is negative and the time still counts forwards.)
    double days = std::trunc(*read);
    double seconds = (days - 25569.0) * 86400.0 + std::round(std::fabs(*read - days) * 86400.0);
    return UnixToDateTime(static_cast<std::time_t>(seconds) - zoneMinutes * 60L);
}
