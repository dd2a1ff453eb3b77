#pragma once
// The reader of the rewritten mail date: "[Date:] [Day,] d Mon yyyy hh:nn:ss"
// (also month first, and hyphens between day, month and year).
#include <optional>
#include <string_view>

#include "platform/datetime.h"

// The date and time read from the text, or nothing when a number is missing,
// no month name is found, or the date or time is invalid. Tokens after the
// seconds are ignored; two-digit years count from 1900.
std::optional<TDateTime> ReadMailDate(std::string_view text);
