// Date values, DateFromParts, field operations, DateFormat, stamps.
#include "runtime/date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "runtime/local.h"

namespace quorvel {
namespace {

constexpr int64_t kWorked = 1796692915;  // 2026-12-08 01:21:55
constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kI64Min = std::numeric_limits<int64_t>::min();
constexpr int64_t kI64Max = std::numeric_limits<int64_t>::max();

TEST(DateFromParts, RangeBoundsAndWorkedValues) {
  const struct {
    int32_t parts[6];
    int64_t expected;
  } cases[] = {
      {{1970, 1, 1, 0, 0, 0}, 0},          {{1970, 1, 1, 0, 0, 1}, 1},
      {{1970, 1, 1, 23, 59, 59}, 86399},   {{1970, 1, 2, 0, 0, 0}, 86400},
      {{2038, 1, 19, 3, 14, 7}, 2147483647}, {{2038, 1, 19, 0, 0, 0}, 2147472000},
      {{2038, 1, 18, 23, 59, 59}, 2147471999}, {{2000, 2, 29, 23, 59, 59}, 951868799},
      {{2024, 3, 5, 14, 7, 9}, 1709647629}, {{2026, 12, 8, 1, 21, 55}, kWorked},
      {{2024, 5, 1, 13, 45, 0}, 1714571100},
  };
  for (const auto& c : cases) {
    const int32_t* p = c.parts;
    EXPECT_EQ(DateFromParts(p[0], p[1], p[2], p[3], p[4], p[5]), c.expected) << c.expected;
  }
}

// Past either end of the range, days past the month's length (leap years
// included) and fields out of range: no date. The walk below checks that
// every day in the range is a date.
TEST(DateFromParts, OutOfRangeIsNoDate) {
  const int32_t cases[][6] = {
      {2038, 1, 19, 3, 14, 8}, {2038, 1, 19, 3, 15, 0}, {2038, 1, 19, 4, 0, 0},
      {2038, 1, 20, 0, 0, 0}, {2038, 1, 31, 0, 0, 0}, {2038, 2, 1, 0, 0, 0},
      {2038, 12, 31, 23, 59, 59}, {2039, 1, 1, 0, 0, 0}, {1969, 12, 31, 23, 59, 59},
      {1900, 1, 1, 0, 0, 0}, {0, 1, 1, 0, 0, 0}, {-1, 1, 1, 0, 0, 0}, {kI32Min, 1, 1, 0, 0, 0},
      {kI32Max, 1, 1, 0, 0, 0}, {2023, 2, 29, 0, 0, 0}, {1970, 2, 29, 0, 0, 0},
      {2001, 2, 29, 0, 0, 0}, {2000, 2, 30, 0, 0, 0}, {2024, 2, 30, 0, 0, 0},
      {2025, 4, 31, 0, 0, 0}, {2025, 6, 31, 0, 0, 0}, {2025, 9, 31, 0, 0, 0},
      {2025, 11, 31, 0, 0, 0}, {2025, 1, 32, 0, 0, 0}, {2025, 3, 32, 0, 0, 0},
      {2025, 5, 32, 0, 0, 0}, {2025, 7, 32, 0, 0, 0}, {2025, 8, 32, 0, 0, 0},
      {2025, 10, 32, 0, 0, 0}, {2025, 12, 32, 0, 0, 0}, {2025, 0, 1, 0, 0, 0},
      {2025, 13, 1, 0, 0, 0}, {2025, -1, 1, 0, 0, 0}, {2025, 1, 0, 0, 0, 0},
      {2025, 1, -5, 0, 0, 0}, {2025, 1, 1, 24, 0, 0}, {2025, 1, 1, -1, 0, 0},
      {2025, 1, 1, 0, 60, 0}, {2025, 1, 1, 0, -1, 0},
      {2025, 1, 1, 0, 0, 60},  // no leap second
      {2025, 1, 1, 0, 0, -1}, {2025, 1, 1, kI32Max, kI32Max, kI32Max},
      {2025, 1, 1, kI32Min, 0, 0}, {2025, kI32Max, kI32Max, 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateFromParts(c[0], c[1], c[2], c[3], c[4], c[5]), -1)
        << c[0] << "-" << c[1] << "-" << c[2] << " " << c[3] << ":" << c[4] << ":" << c[5];
  }
  EXPECT_NE(DateFromParts(2025, 12, 31, 23, 59, 59), -1);
}

// Walks every day from 1970-01-01 to 2038-01-19 with an independent
// calendar counter and checks DateFromParts and the field operations.
TEST(DateFromParts, EveryDayAgainstCounter) {
  int32_t year = 1970, month = 1, day = 1;
  const int32_t lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int64_t days = 0;
  while (!(year == 2038 && month == 1 && day == 20)) {
    const int64_t early = DateFromParts(year, month, day, 1, 23, 45);
    ASSERT_EQ(early, days * 86400 + 1 * 3600 + 23 * 60 + 45)
        << year << "-" << month << "-" << day;
    ASSERT_EQ(DateYear(early), year);
    ASSERT_EQ(DateMonth(early), month);
    ASSERT_EQ(DateDay(early), day);
    ASSERT_EQ(DateHour(early), 1);
    ASSERT_EQ(DateMinute(early), 23);
    ASSERT_EQ(DateSecond(early), 45);
    const int64_t midnight = DateFromParts(year, month, day, 0, 0, 0);
    ASSERT_EQ(DateDay(midnight), day);
    ASSERT_EQ(DateHour(midnight), 0);
    if (days > 0) {  // the second before midnight belongs to the day before
      ASSERT_EQ(DateDay(midnight - 1), DateDay(early - 86400));
      ASSERT_EQ(DateHour(midnight - 1), 23);
      ASSERT_EQ(DateSecond(midnight - 1), 59);
    }
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int32_t length = lengths[month - 1] + (month == 2 && leap ? 1 : 0);
    ++days;
    if (++day > length) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  EXPECT_EQ(days, 24856);  // 1970-01-01 (day 0) .. 2038-01-19 (day 24855)
  EXPECT_EQ(DateFromParts(year, month, day, 0, 0, 0), -1);
}

TEST(DateFields, BreakDown) {
  struct Case {
    int64_t date, year, month, day, hour, minute, second;
  };
  const Case cases[] = {
      {0, 1970, 1, 1, 0, 0, 0},
      {2147483647, 2038, 1, 19, 3, 14, 7},  // the last valid second
      {kWorked, 2026, 12, 8, 1, 21, 55},
      {951868799, 2000, 2, 29, 23, 59, 59},  // a leap day
      // Any negative value gives -1 in every field.
      {-1, -1, -1, -1, -1, -1, -1},
      {-2, -1, -1, -1, -1, -1, -1},
      {-86400, -1, -1, -1, -1, -1, -1},
      {kI64Min, -1, -1, -1, -1, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(DateYear(c.date), c.year);
    EXPECT_EQ(DateMonth(c.date), c.month);
    EXPECT_EQ(DateDay(c.date), c.day);
    EXPECT_EQ(DateHour(c.date), c.hour);
    EXPECT_EQ(DateMinute(c.date), c.minute);
    EXPECT_EQ(DateSecond(c.date), c.second);
  }
}

TEST(DateFields, BeyondValidRangeStillBreaksDown) {
  // No operation produces these, but the breakdown must stay sane.
  EXPECT_EQ(DateYear(2147483648), 2038);
  EXPECT_EQ(DateSecond(2147483648), 8);
  EXPECT_GT(DateYear(kI64Max), 2038);
  EXPECT_GE(DateMonth(kI64Max), 1);
  EXPECT_LE(DateMonth(kI64Max), 12);
  EXPECT_GE(DateDay(kI64Max), 1);
  EXPECT_LE(DateDay(kI64Max), 31);
}

TEST(DateNow, MatchesTheLocalClock) {
  const LocalTime before = LocalClockRead();
  const int64_t now = DateNow();
  const LocalTime after = LocalClockRead();
  const int64_t lo = DateFromParts(before.year, before.month, before.day, before.hour,
                                   before.minute, before.second);
  const int64_t hi = DateFromParts(after.year, after.month, after.day, after.hour,
                                   after.minute, after.second);
  ASSERT_NE(lo, -1) << "the machine's clock is outside 1970..2038";
  ASSERT_NE(hi, -1);
  EXPECT_GE(now, lo);
  EXPECT_LE(now, hi);
  EXPECT_GE(DateYear(now), 2024);
  EXPECT_GE(DateHour(now), 0);
  EXPECT_LE(DateHour(now), 23);
}

// Tokens in any case, tokens cut short or unmatched, and other characters.
TEST(DateFormat, WorkedExamples) {
  const struct {
    const char16_t* format;
    const char16_t* expected;
  } cases[] = {
      {u"%yyyy-%mm-%dd ", u"2026-12-08 "}, {u"%hh:%ii:%ss", u"01:21:55"}, {u"", u""},
      {u"%YY/%Mm/%dD", u"26/12/08"}, {u"%yyy", u"26y"}, {u"100%", u"100%"},
      {u"%x%%dd", u"%x%08"}, {u"%YYYY %yYyY %Yyyy", u"2026 2026 2026"},
      {u"%yy %yY %Yy %YY", u"26 26 26 26"}, {u"%MM %mM %DD %Dd", u"12 12 08 08"},
      {u"%HH:%II:%SS", u"01:21:55"}, {u"%hH:%iI:%Ss", u"01:21:55"}, {u"%", u"%"},
      {u"%%", u"%%"}, {u"%y", u"%y"}, {u"%m", u"%m"}, {u"%d", u"%d"}, {u"%h", u"%h"},
      {u"%i", u"%i"}, {u"%s", u"%s"}, {u"a%Y", u"a%Y"}, {u"%yyyyy", u"2026y"},
      {u"%yyyyyy", u"2026yy"}, {u"%md", u"%md"}, {u"%%%yyyy", u"%%2026"}, {u"%%mm%", u"%12%"},
      {u"%mmm", u"12m"}, {u"%ddd%", u"08d%"}, {u"%zz %aa %", u"%zz %aa %"},
      {u"%yyyy%mm%dd%hh%ii%ss", u"20261208012155"}, {u"hello world", u"hello world"},
      {u"yyyy-mm-dd", u"yyyy-mm-dd"},
      {u"\u00AB%dd\u00BB \U0001F600", u"\u00AB08\u00BB \U0001F600"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateFormat(c.format, kWorked), c.expected)
        << testing::PrintToString(std::u16string(c.format));
  }
  EXPECT_EQ(DateFormat(std::u16string_view(), kWorked), u"");
  const std::u16string with_nul(u"a\0%mm", 5);
  EXPECT_EQ(DateFormat(with_nul, kWorked), std::u16string(u"a\0" u"12", 4));
}

TEST(DateFormat, CutShortTokenReadsNothingPastTheEnd) {
  // Views that end inside "%yyyy": what lies after the view's end must not
  // be read (the sanitizer build checks this with a heap copy of the view).
  const std::u16string backing = u"%yyyy";
  const char16_t* const expected[] = {u"", u"%", u"%y", u"26", u"26y", u"2026"};
  for (std::size_t n = 0; n <= backing.size(); ++n) {
    const std::u16string copy = backing.substr(0, n);
    auto* heap = new char16_t[n == 0 ? 1 : n];
    for (std::size_t i = 0; i < n; ++i) heap[i] = copy[i];
    EXPECT_EQ(DateFormat(std::u16string_view(heap, n), kWorked), expected[n]) << n;
    EXPECT_EQ(DateFormat(std::u16string_view(backing.data(), n), kWorked), expected[n]) << n;
    delete[] heap;
  }
}

TEST(DateFormat, TwoDigitFields) {
  EXPECT_EQ(DateFormat(u"%dd.%mm.%yy %hh:%ii:%ss", 0), u"01.01.70 00:00:00");
  EXPECT_EQ(DateFormat(u"%yyyy-%mm-%dd %hh:%ii:%ss", 2147483647), u"2038-01-19 03:14:07");
  EXPECT_EQ(DateFormat(u"%yy", DateFromParts(2000, 10, 10, 10, 10, 10)), u"00");
  EXPECT_EQ(DateFormat(u"%yy", DateFromParts(2005, 1, 1, 0, 0, 0)), u"05");
  EXPECT_EQ(DateFormat(u"%mm/%dd %hh:%ii:%ss", DateFromParts(2005, 10, 31, 23, 59, 59)),
            u"10/31 23:59:59");
  EXPECT_EQ(DateFormat(u"%mm/%dd %hh:%ii:%ss", DateFromParts(2005, 9, 9, 9, 9, 9)),
            u"09/09 09:09:09");
}

// Writes the expected placeholder texts with '#' for '?' (so that no "??x"
// trigraph sequence appears in the source).
std::u16string Marks(std::u16string_view pattern) {
  std::u16string out(pattern);
  for (char16_t& c : out) {
    if (c == u'#') c = u'?';
  }
  return out;
}

// A date that is not valid formats each token as
// '?' characters of its width.
TEST(DateFormat, InvalidDateIsQuestionMarks) {
  for (int64_t bad : {int64_t{-1}, int64_t{-2}, kI64Min, int64_t{2147483648}, kI64Max}) {
    EXPECT_EQ(DateFormat(u"%yyyy-%mm-%dd ", bad), Marks(u"####-##-## ")) << bad;
    EXPECT_EQ(DateFormat(u"%hh:%ii:%ss", bad), Marks(u"##:##:##")) << bad;
    EXPECT_EQ(DateFormat(u"%YY/%Mm/%dD", bad), Marks(u"##/##/##")) << bad;
    EXPECT_EQ(DateFormat(u"%yyy", bad), Marks(u"##y")) << bad;
    EXPECT_EQ(DateFormat(u"%x%%dd", bad), Marks(u"%x%##")) << bad;
    EXPECT_EQ(DateFormat(u"100%", bad), u"100%") << bad;
    EXPECT_EQ(DateFormat(u"plain", bad), u"plain") << bad;
    EXPECT_EQ(DateFormat(u"", bad), u"") << bad;
  }
}

// At any time of day of its reading, the date reads as DateFormat writes it.
TEST(DateWriteStamp, TheDateOfEveryDayReadsAsDateFormatWritesIt) {
  char16_t stamp[kStampLength];
  for (int64_t day = -1; day <= kDateMax / 86400; ++day) {
    const int64_t date = day < 0 ? kNoDate : day * 86400 + day % 11000;
    DateWriteStamp(DateStampTime(date, 13 * 3600, 5 * 60, 9), stamp);
    ASSERT_EQ(std::u16string(stamp + 2, 11), DateFormat(u"%yyyy-%mm-%dd ", date)) << "day " << day;
  }
  EXPECT_EQ(std::u16string(stamp, kStampLength), u" \u00AB2038-01-19 01:05:09 PM\u00BB");
}

}  // namespace
}  // namespace quorvel
