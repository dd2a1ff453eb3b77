#pragma once
// Date-time values: days since 1899-12-30 with the time of day as the
// fraction, in local time.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

using TDateTime = double;

struct TDateTimeFields {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Calendar fields <-> value. EncodeDateTime returns nothing for fields out of range.
std::optional<TDateTime> EncodeDateTime(const TDateTimeFields& f);
TDateTimeFields DecodeDateTime(TDateTime value);

TDateTime Now();
// Local time of a POSIX instant, and back.
TDateTime UnixToDateTime(std::time_t t);
std::time_t DateTimeToUnix(TDateTime value);

// The fixed text form "yyyy/mm/dd hh:nn:ss": a whole day >= 1.0 is written as
// the date alone, a value below 1.0 as the time alone. The reader accepts all
// three forms and reads back what the writer writes, to the second.
std::string DateTimeToStr(TDateTime value);
std::optional<TDateTime> StrToDateTime(std::string_view text);

// Local standard-time offset east of UTC in seconds (no daylight saving).
long StandardTimeOffset();
// The current local time as a 64-bit count of 100-ns units since 1601-01-01.
std::uint64_t LocalFileTime();
