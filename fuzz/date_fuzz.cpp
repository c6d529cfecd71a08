// Fuzzes date formatting with masks built from tokens and dates against the
// C library's strftime, and the date fields and DateFromParts against the C
// library's UTC breakdown.
#include <time.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/date.h"

namespace quorvel::fuzz {
namespace {

struct Fields {
  int64_t year, month, day, hour, minute, second;
};

// The C library's breakdown of a count of seconds, as a UTC time.
Fields Breakdown(int64_t date) {
  const auto seconds = static_cast<time_t>(date);
  struct tm t {};
  gmtime_r(&seconds, &t);
  return {t.tm_year + 1900LL, t.tm_mon + 1LL, t.tm_mday + 0LL,
          t.tm_hour + 0LL,    t.tm_min + 0LL, t.tm_sec + 0LL};
}

bool IsDate(int64_t date) { return date >= 0 && date <= kDateMax; }

// A field as the C library writes it (strftime of the UTC breakdown), or '?'
// in the field's width for a date outside the range.
std::u16string LibraryField(const char* conversion, size_t width, int64_t date) {
  if (!IsDate(date)) return std::u16string(width, u'?');
  const auto seconds = static_cast<time_t>(date);
  struct tm t {};
  gmtime_r(&seconds, &t);
  char buffer[16];
  const size_t length = strftime(buffer, sizeof buffer, conversion, &t);
  return std::u16string(buffer, buffer + length);
}

int64_t PickDate(FuzzInput& in) {
  switch (in.Range(0, 9)) {
    case 0: return kNoDate;
    case 1: return kDateMax - in.Range(0, 2);
    case 2: return kDateMax + 1 + in.Range(0, 2);
    case 3: return in.Range(0, 2);
    case 4: return in.Int64();
    case 5: return in.Range(INT64_MIN, -1);
    default: return in.Range(0, kDateMax);
  }
}

// A mask built from pieces (tokens in any letter case, a lone '%', literal
// text that cannot run on into a token) with the text each piece must become,
// written by the C library: an oracle that shares nothing with the formatter.
void CheckFormat(FuzzInput& in) {
  struct Token {
    std::u16string_view letters;
    const char* conversion;
  };
  static constexpr Token kTokens[] = {{u"yyyy", "%Y"}, {u"yy", "%y"}, {u"mm", "%m"}, {u"dd", "%d"},
                                      {u"hh", "%H"},   {u"ii", "%M"}, {u"ss", "%S"}};
  static constexpr std::u16string_view kLiterals = u" -:/.,abcefgjklnopqrtuvwxz019\u00AB\u00E9";
  const int64_t date = PickDate(in);
  std::u16string mask, expected;
  for (int64_t pieces = in.Range(0, 8); pieces > 0; --pieces) {
    const int64_t kind = in.Range(0, 3);
    if (kind <= 1) {
      const Token& token = kTokens[in.Range(0, 6)];
      mask.push_back(u'%');
      for (char16_t letter : token.letters) {
        mask.push_back(in.Range(0, 1) == 0 ? letter : static_cast<char16_t>(letter - 32));
      }
      expected += LibraryField(token.conversion, token.letters.size() == 4 ? 4 : 2, date);
    } else if (kind == 2) {
      mask.push_back(u'%');
      expected.push_back(u'%');
    } else {
      const char16_t literal = kLiterals[in.Range(0, static_cast<int64_t>(kLiterals.size()) - 1)];
      mask.push_back(literal);
      expected.push_back(literal);
    }
  }
  const std::u16string formatted = DateFormat(mask, date);
  FUZZ_CHECK(formatted == expected, "mask " + Show(mask) + " date " + std::to_string(date) +
                                        " gave " + Show(formatted) + " expected " + Show(expected));

  // Any mask at all: every token is one unit longer than its field, so the
  // text never grows; a mask without '%' is copied as it is.
  const std::u16string any = in.Text(24);
  const std::u16string anyFormatted = DateFormat(any, PickDate(in));
  FUZZ_CHECK(anyFormatted.size() <= any.size(), "mask " + Show(any));
  if (any.find(u'%') == std::u16string::npos) FUZZ_CHECK(anyFormatted == any, "mask " + Show(any));
}

void CheckFields(FuzzInput& in) {
  const int64_t date = PickDate(in);
  const Fields got{DateYear(date), DateMonth(date),  DateDay(date),
                   DateHour(date), DateMinute(date), DateSecond(date)};
  const auto detail = [&] { return "date " + std::to_string(date); };
  if (date < 0) {
    FUZZ_CHECK(got.year == -1 && got.month == -1 && got.day == -1 && got.hour == -1 &&
                   got.minute == -1 && got.second == -1,
               detail());
    return;
  }
  if (!IsDate(date)) return;  // beyond the range nothing is promised but no fault
  const Fields want = Breakdown(date);
  FUZZ_CHECK(got.year == want.year && got.month == want.month && got.day == want.day &&
                 got.hour == want.hour && got.minute == want.minute && got.second == want.second,
             detail());
  // Back again through the calendar fields.
  FUZZ_CHECK(DateFromParts(static_cast<int32_t>(got.year), static_cast<int32_t>(got.month),
                           static_cast<int32_t>(got.day), static_cast<int32_t>(got.hour),
                           static_cast<int32_t>(got.minute),
                           static_cast<int32_t>(got.second)) == date,
             detail());
}

// Fields near their ranges, now and then any 32-bit value.
int32_t PickPart(FuzzInput& in, int32_t lo, int32_t hi) {
  return in.Range(0, 15) == 0 ? in.Int32() : static_cast<int32_t>(in.Range(lo - 2, hi + 2));
}

void CheckFromParts(FuzzInput& in) {
  const int32_t year = PickPart(in, 1969, 2039);
  const int32_t month = PickPart(in, 1, 12);
  const int32_t day = PickPart(in, 1, 31);
  const int32_t hour = PickPart(in, 0, 23);
  const int32_t minute = PickPart(in, 0, 59);
  const int32_t second = PickPart(in, 0, 59);
  const int64_t date = DateFromParts(year, month, day, hour, minute, second);

  // A valid date is one the C library gives back unchanged, inside the range.
  int64_t expected = kNoDate;
  const bool inFieldRanges = year >= 1970 && year <= 2038 && month >= 1 && month <= 12 &&
                             day >= 1 && day <= 31 && hour >= 0 && hour <= 23 && minute >= 0 &&
                             minute <= 59 && second >= 0 && second <= 59;
  if (inFieldRanges) {
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    const int64_t value = timegm(&t);
    if (t.tm_mday == day && t.tm_mon == month - 1 && IsDate(value)) expected = value;
  }
  FUZZ_CHECK(date == expected, std::to_string(year) + "-" + std::to_string(month) + "-" +
                                   std::to_string(day) + " " + std::to_string(hour) + ":" +
                                   std::to_string(minute) + ":" + std::to_string(second) +
                                   " gave " + std::to_string(date));
}

}  // namespace

QUORVEL_FUZZ_CHECKS(CheckFormat, CheckFields, CheckFromParts)

}  // namespace quorvel::fuzz
