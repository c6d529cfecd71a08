// The date value, the local clock and date formatting.
//
// A date value counts whole seconds from 1970-01-01 00:00:00 to a local
// wall-clock date and time (proleptic Gregorian calendar, no time zone or
// daylight-saving rule in the value). Valid values: 0 (1970-01-01 00:00:00)
// to 2147483647 (2038-01-19 03:14:07). kNoDate (-1) means no valid date.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

inline constexpr int64_t kNoDate = -1;
inline constexpr int64_t kDateMax = 2147483647;

// The current local date and time; kNoDate once the clock is past
// 2038-01-19 03:14:07 (or if the platform cannot read it).
int64_t DateNow();

// The date value of a calendar date and time of day, or kNoDate when the
// fields are not a valid date and time inside the valid range.
int64_t DateFromParts(int32_t year, int32_t month, int32_t day, int32_t hour,
                      int32_t minute, int32_t second);

// Single fields of a date value (UTC-style breakdown of the count); -1 for
// any negative value.
int64_t DateYear(int64_t date);
int64_t DateMonth(int64_t date);
int64_t DateDay(int64_t date);
int64_t DateHour(int64_t date);
int64_t DateMinute(int64_t date);
int64_t DateSecond(int64_t date);

// The mask with its %-tokens (%yyyy %yy %mm %dd %hh %ii %ss, any letter case)
// replaced by the fields of the date. For a date that is not valid (negative,
// kNoDate among them, or above kDateMax) each token becomes as many '?' as
// the field's width ("????" for %yyyy, "??" for the others).
std::u16string DateFormat(std::u16string_view mask, int64_t date);

}  // namespace quorvel
