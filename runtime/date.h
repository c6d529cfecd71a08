// The date value, the local clock, date formatting and the stamp of a
// captured text.
//
// A date value counts whole seconds from 1970-01-01 00:00:00 to a local
// wall-clock date and time (proleptic Gregorian calendar, no time zone or
// daylight-saving rule in the value). Valid values: 0 (1970-01-01 00:00:00)
// to 2147483647 (2038-01-19 03:14:07). kNoDate (-1) means no valid date.
#pragma once

#include <cstddef>
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

// The readings of the clock that a stamp is written from: a date value from
// one reading, then the hour, minute and second of three more, each -1 where
// its reading was not a valid date. Small enough to keep with every entry.
struct StampTime {
  int32_t date = -1;  // kNoDate or 0 to kDateMax
  int8_t hour = -1;
  int8_t minute = -1;
  int8_t second = -1;
};

// The stamp time of four readings of the clock, taken in this order.
StampTime DateStampTime(int64_t dateReading, int64_t hourReading, int64_t minuteReading,
                        int64_t secondReading);

// The stamp of a captured text: a blank, U+00AB, the date as DateFormat
// writes "%yyyy-%mm-%dd " (a blank at its end), the time with seconds as
// DateWriteTimeOfDay writes it, and U+00BB, e.g. " «2024-05-01 01:45:00 PM»".
// Always this long; every digit of a field that is -1 is a '?'.
inline constexpr std::size_t kStampLength = 25;
void DateWriteStamp(StampTime time, char16_t (&out)[kStampLength]);
// Every unit that a stamp can hold.
inline constexpr std::u16string_view kStampUnits = u" \u00AB\u00BB0123456789-:?APM";

// "hh:mm:ss AM" (or "hh:mm AM" without seconds) on a 12-hour clock, from an
// hour 0 to 23: 0 is 12 AM, 12 is 12 PM. A negative field gives "??" (and so
// does the suffix when the hour is negative). Writes at most
// kTimeOfDayLength units to out and answers how many.
inline constexpr std::size_t kTimeOfDayLength = 11;
std::size_t DateWriteTimeOfDay(int64_t hour, int64_t minute, int64_t second, bool showSeconds,
                               char16_t* out);

}  // namespace quorvel
