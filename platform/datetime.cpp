#include "platform/datetime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30); // 1899-12-30 relative to 1970

bool LeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && LeapYear(y) ? 29 : days[m - 1];
}

} // namespace

std::optional<TDateTime> EncodeDateTime(const TDateTimeFields& f) {
    if (f.Year < 1 || f.Year > 9999 || f.Month < 1 || f.Month > 12 || f.Day < 1 ||
        f.Day > DaysInMonth(f.Year, f.Month) || f.Hour < 0 || f.Hour > 23 || f.Minute < 0 ||
        f.Minute > 59 || f.Second < 0 || f.Second > 59 || f.Millisecond < 0 || f.Millisecond > 999)
        return std::nullopt;
    double days = static_cast<double>(
        DaysFromCivil(f.Year, static_cast<unsigned>(f.Month), static_cast<unsigned>(f.Day)) -
        kEpochOffset);
    double time = ((f.Hour * 60.0 + f.Minute) * 60.0 + f.Second) * 1000.0 + f.Millisecond;
    // Before the epoch the time of day still counts forwards from midnight,
    // so the fraction is subtracted from the negative day number.
    return days >= 0 ? days + time / kMsPerDay : days - time / kMsPerDay;
}

TDateTimeFields DecodeDateTime(TDateTime value) {
    TDateTimeFields f;
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return f;
    double days = std::trunc(value);
    long long ms = std::llround(std::fabs(value - days) * kMsPerDay);
    if (ms >= static_cast<long long>(kMsPerDay)) {
        ms -= static_cast<long long>(kMsPerDay);
        days += value >= 0 ? 1 : -1;
    }
    CivilFromDays(static_cast<long long>(days) + kEpochOffset, f.Year, f.Month, f.Day);
    f.Millisecond = static_cast<int>(ms % 1000);
    f.Second = static_cast<int>(ms / 1000 % 60);
    f.Minute = static_cast<int>(ms / 60000 % 60);
    f.Hour = static_cast<int>(ms / 3600000);
    return f;
}

TDateTime UnixToDateTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    TDateTimeFields f{tm.tm_year + 1900, tm.tm_mon + 1,           tm.tm_mday, tm.tm_hour,
                      tm.tm_min,         std::min(tm.tm_sec, 59), 0};
    return EncodeDateTime(f).value_or(0.0);
}

std::time_t DateTimeToUnix(TDateTime value) {
    TDateTimeFields f = DecodeDateTime(value);
    std::tm tm{};
    tm.tm_year = f.Year - 1900;
    tm.tm_mon = f.Month - 1;
    tm.tm_mday = f.Day;
    tm.tm_hour = f.Hour;
    tm.tm_min = f.Minute;
    tm.tm_sec = f.Second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

TDateTime Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    TDateTime base = UnixToDateTime(t);
    return base + static_cast<double>(ms < 0 ? 0 : ms) / kMsPerDay;
}

std::string DateTimeToStr(TDateTime value) {
    TDateTimeFields f = DecodeDateTime(value);
    char buf[40];
    bool wholeDay =
        value >= 1.0 && f.Hour == 0 && f.Minute == 0 && f.Second == 0 && f.Millisecond == 0;
    if (value < 1.0)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", f.Hour, f.Minute, f.Second);
    else if (wholeDay)
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", f.Year, f.Month, f.Day);
    else
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", f.Year, f.Month, f.Day,
                      f.Hour, f.Minute, f.Second);
    return buf;
}

namespace {

// Reads up to maxDigits decimal digits; false when there is none.
bool ReadNumber(std::string_view s, std::size_t& i, int maxDigits, int& out) {
    int n = 0, digits = 0;
    while (i < s.size() && digits < maxDigits && s[i] >= '0' && s[i] <= '9') {
        n = n * 10 + (s[i++] - '0');
        ++digits;
    }
    out = n;
    return digits > 0;
}

bool ReadSeparated(std::string_view s, std::size_t& i, char sep, int maxFirst, int (&out)[3],
                   bool thirdOptional) {
    if (!ReadNumber(s, i, maxFirst, out[0])) return false;
    for (int k = 1; k < 3; ++k) {
        if (i >= s.size() || s[i] != sep) return thirdOptional && k == 2;
        ++i;
        if (!ReadNumber(s, i, 2, out[k])) return false;
    }
    return true;
}

} // namespace

std::optional<TDateTime> StrToDateTime(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::size_t i = 0;
    TDateTimeFields f;
    bool hasDate = text.find('/') != std::string_view::npos;
    if (hasDate) {
        int d[3] = {0, 0, 0};
        if (!ReadSeparated(text, i, '/', 4, d, false)) return std::nullopt;
        f.Year = d[0];
        f.Month = d[1];
        f.Day = d[2];
        if (i < text.size() && text[i] != ' ') return std::nullopt;
        while (i < text.size() && text[i] == ' ')
            ++i;
    }
    if (i < text.size()) {
        int t[3] = {0, 0, 0};
        if (!ReadSeparated(text, i, ':', 2, t, true)) return std::nullopt;
        f.Hour = t[0];
        f.Minute = t[1];
        f.Second = t[2];
    } else if (!hasDate) {
        return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return EncodeDateTime(f);
}

long StandardTimeOffset() {
    tzset();
    return -timezone;
}

std::uint64_t LocalFileTime() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ticks = duration_cast<nanoseconds>(now.time_since_epoch()).count() / 100;
    constexpr std::int64_t kTicksTo1970 = 116444736000000000LL;
    return static_cast<std::uint64_t>(ticks + tm.tm_gmtoff * 10000000LL + kTicksTo1970);
}
