// Fuzzes date formatting with random masks and dates against a plain
// reference built on the C library's UTC breakdown, and the date fields and
// DateFromParts against the same breakdown.
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

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

void AppendField(std::u16string& out, int64_t value, size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  out.append(digits.begin(), digits.end());
}

// The formatting rule read straight: at each '%' try the tokens in order,
// letters compared ignoring ASCII case; a date outside the valid range gives
// '?' in the field's width.
std::u16string ReferenceFormat(std::u16string_view mask, int64_t date) {
  struct Token {
    std::u16string_view letters;
    int field;  // 0 year, 1 two-digit year, 2 month, 3 day, 4 hour, 5 minute, 6 second
  };
  static constexpr Token kTokens[] = {{u"yyyy", 0}, {u"yy", 1}, {u"mm", 2}, {u"dd", 3},
                                      {u"hh", 4},   {u"ii", 5}, {u"ss", 6}};
  std::u16string out;
  size_t pos = 0;
  while (pos < mask.size()) {
    if (mask[pos] != u'%') {
      out.push_back(mask[pos++]);
      continue;
    }
    const Token* match = nullptr;
    for (const Token& token : kTokens) {
      const std::u16string_view rest = mask.substr(pos + 1);
      if (rest.size() < token.letters.size()) continue;
      bool same = true;
      for (size_t i = 0; i < token.letters.size(); ++i) same = same && Lower(rest[i]) == token.letters[i];
      if (same) {
        match = &token;
        break;
      }
    }
    if (match == nullptr) {
      out.push_back(u'%');
      ++pos;
      continue;
    }
    pos += 1 + match->letters.size();
    const size_t width = match->field == 0 ? 4 : 2;
    if (!IsDate(date)) {
      out.append(width, u'?');
      continue;
    }
    const Fields f = Breakdown(date);
    const int64_t values[] = {f.year, f.year % 100, f.month, f.day, f.hour, f.minute, f.second};
    AppendField(out, values[match->field], width);
  }
  return out;
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

void CheckFormat(FuzzInput& in) {
  const std::u16string mask = in.Text(24);
  const int64_t date = PickDate(in);
  const std::u16string formatted = DateFormat(mask, date);
  FUZZ_CHECK(formatted == ReferenceFormat(mask, date),
             "mask " + Show(mask) + " date " + std::to_string(date) + " gave " + Show(formatted) +
                 " expected " + Show(ReferenceFormat(mask, date)));
  // Every token is one unit longer than its field, so the text never grows;
  // a mask without '%' is copied as it is.
  FUZZ_CHECK(formatted.size() <= mask.size(), "mask " + Show(mask));
  if (mask.find(u'%') == std::u16string::npos) FUZZ_CHECK(formatted == mask, "mask " + Show(mask));
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
}  // namespace quorvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::fuzz::FuzzInput in(data, size);
  while (!in.Empty()) {
    switch (in.Range(0, 3)) {
      case 0:
      case 1: quorvel::fuzz::CheckFormat(in); break;
      case 2: quorvel::fuzz::CheckFields(in); break;
      default: quorvel::fuzz::CheckFromParts(in); break;
    }
  }
  return 0;
}
