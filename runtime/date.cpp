// Date arithmetic, formatting and stamps, every field written by one digit
// writer. Only DateNow touches the platform, through LocalClockRead (local.h).
#include "runtime/date.h"

#include <algorithm>
#include <cstddef>

#include "runtime/local.h"

namespace quorvel {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

bool IsLeapYear(int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int64_t DaysInMonth(int64_t year, int64_t month) {
  switch (month) {
    case 2:
      return IsLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

// Days from 1970-01-01 to year-month-day (proleptic Gregorian), after
// H. Hinnant's days_from_civil. Valid for any year that fits the arithmetic.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yoe = year - era * 400;                                 // [0, 399]
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;  // [0, 365]
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;            // [0, 146096]
  return era * 146097 + doe - 719468;
}

struct Civil {
  int64_t year, month, day;
};

// Inverse of DaysFromCivil for days >= 0.
Civil CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t doe = days - era * 146097;                                  // [0, 146096]
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);              // [0, 365]
  const int64_t mp = (5 * doy + 2) / 153;                                   // [0, 11]
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;                         // [1, 31]
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;                          // [1, 12]
  const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return Civil{year, month, day};
}

// A token of DateFormat: its letters (lower case) and its field.
enum class Field { kYear4, kYear2, kMonth, kDay, kHour, kMinute, kSecond };
struct Token {
  std::u16string_view letters;
  Field field;
};
// Tried in this order: "yyyy" before "yy".
constexpr Token kTokens[] = {
    {u"yyyy", Field::kYear4}, {u"yy", Field::kYear2},   {u"mm", Field::kMonth},
    {u"dd", Field::kDay},     {u"hh", Field::kHour},    {u"ii", Field::kMinute},
    {u"ss", Field::kSecond},
};

// Letter case is ignored for the ASCII letters of the tokens only.
char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// Whether mask[pos...] begins with the token's letters; never reads past the
// end of the mask (a token cut short does not match).
bool MatchesAt(std::u16string_view mask, std::size_t pos, std::u16string_view letters) {
  if (mask.size() - pos < letters.size()) return false;
  for (std::size_t i = 0; i < letters.size(); ++i) {
    if (AsciiLower(mask[pos + i]) != letters[i]) return false;
  }
  return true;
}

// Writes value in exactly width decimal digits (its lowest ones), or width
// '?' when it is negative: the one place where a field of a date or a time
// becomes text. Answers the end of what it wrote.
char16_t* WriteDigits(char16_t* out, int64_t value, int width) {
  if (value < 0) return std::fill_n(out, width, u'?');
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  }
  return out + width;
}

}  // namespace

int64_t DateNow() {
  const LocalTime t = LocalClockRead();
  return DateFromParts(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

int64_t DateFromParts(int32_t year, int32_t month, int32_t day, int32_t hour,
                      int32_t minute, int32_t second) {
  if (year < 1970 || year > 2038) return kNoDate;
  if (month < 1 || month > 12) return kNoDate;
  if (day < 1 || day > DaysInMonth(year, month)) return kNoDate;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return kNoDate;
  }
  const int64_t value = DaysFromCivil(year, month, day) * kSecondsPerDay +
                        int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
  // In 2038 this refuses everything after 2038-01-19 03:14:07.
  return value > kDateMax ? kNoDate : value;
}

int64_t DateYear(int64_t date) {
  return date < 0 ? -1 : CivilFromDays(date / kSecondsPerDay).year;
}

int64_t DateMonth(int64_t date) {
  return date < 0 ? -1 : CivilFromDays(date / kSecondsPerDay).month;
}

int64_t DateDay(int64_t date) {
  return date < 0 ? -1 : CivilFromDays(date / kSecondsPerDay).day;
}

int64_t DateHour(int64_t date) {
  return date < 0 ? -1 : date % kSecondsPerDay / 3600;
}

int64_t DateMinute(int64_t date) {
  return date < 0 ? -1 : date % 3600 / 60;
}

int64_t DateSecond(int64_t date) {
  return date < 0 ? -1 : date % 60;
}

// A date that is not valid (negative,
// -1 from DateNow after 2038-01-19 03:14:07 among them, or above 2147483647,
// which no 32-bit date argument can carry) formats every token
// as '?' characters of the field's width: "????" for %yyyy and "??" for the
// others, so the application's stamp reads "????-??-?? " and cannot be taken
// for a real date. Literal text and unmatched '%' are copied as usual.
std::u16string DateFormat(std::u16string_view mask, int64_t date) {
  std::u16string out;
  out.reserve(mask.size() + 8);
  const bool valid = date >= 0 && date <= kDateMax;
  Civil civil{0, 0, 0};
  if (valid) civil = CivilFromDays(date / kSecondsPerDay);

  std::size_t pos = 0;
  while (pos < mask.size()) {
    const char16_t c = mask[pos];
    if (c != u'%') {
      out.push_back(c);
      ++pos;
      continue;
    }
    const Token* match = nullptr;
    for (const Token& token : kTokens) {
      if (MatchesAt(mask, pos + 1, token.letters)) {
        match = &token;
        break;
      }
    }
    if (match == nullptr) {
      // A '%' that no token follows is copied; the next character is then
      // treated like any other (it may start a token itself).
      out.push_back(u'%');
      ++pos;
      continue;
    }
    pos += 1 + match->letters.size();
    int64_t value = -1;  // written as '?'
    if (valid) {
      switch (match->field) {
        case Field::kYear4: value = civil.year; break;
        case Field::kYear2: value = civil.year % 100; break;
        case Field::kMonth: value = civil.month; break;
        case Field::kDay: value = civil.day; break;
        case Field::kHour: value = DateHour(date); break;
        case Field::kMinute: value = DateMinute(date); break;
        case Field::kSecond: value = DateSecond(date); break;
      }
    }
    char16_t digits[4];
    const int width = match->field == Field::kYear4 ? 4 : 2;
    out.append(digits, WriteDigits(digits, value, width));
  }
  return out;
}

StampTime DateStampTime(int64_t dateReading, int64_t hourReading, int64_t minuteReading,
                        int64_t secondReading) {
  StampTime time;
  if (dateReading >= 0 && dateReading <= kDateMax) time.date = static_cast<int32_t>(dateReading);
  time.hour = static_cast<int8_t>(DateHour(hourReading));
  time.minute = static_cast<int8_t>(DateMinute(minuteReading));
  time.second = static_cast<int8_t>(DateSecond(secondReading));
  return time;
}

void DateWriteStamp(StampTime time, char16_t (&out)[kStampLength]) {
  Civil civil{-1, -1, -1};
  if (time.date >= 0) civil = CivilFromDays(time.date / kSecondsPerDay);
  char16_t* p = out;
  *p++ = u' ';
  *p++ = u'\u00AB';
  p = WriteDigits(p, civil.year, 4);
  *p++ = u'-';
  p = WriteDigits(p, civil.month, 2);
  *p++ = u'-';
  p = WriteDigits(p, civil.day, 2);
  *p++ = u' ';
  p += DateWriteTimeOfDay(time.hour, time.minute, time.second, true, p);
  *p = u'\u00BB';
}

std::size_t DateWriteTimeOfDay(int64_t hour, int64_t minute, int64_t second, bool showSeconds,
                               char16_t* out) {
  char16_t* const begin = out;
  // (hour + 11) mod 12 + 1 turns 0 into 12 and 13..23 into 1..11.
  out = WriteDigits(out, hour < 0 ? -1 : (hour + 11) % 12 + 1, 2);
  *out++ = u':';
  out = WriteDigits(out, minute, 2);
  if (showSeconds) {
    *out++ = u':';
    out = WriteDigits(out, second, 2);
  }
  *out++ = u' ';
  const char16_t* suffix = hour < 0 ? u"??" : hour >= 12 ? u"PM" : u"AM";
  *out++ = suffix[0];
  *out++ = suffix[1];
  return static_cast<std::size_t>(out - begin);
}

}  // namespace quorvel
