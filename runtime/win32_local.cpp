// Platform hooks of the Windows build: GetLocalTime for the clock (kernel32)
// and CharLowerW in its one-character form for the case mapping (user32).
#include <windows.h>

#include <cstdint>

#include "runtime/local.h"

namespace quorvel {

LocalTime LocalClockRead() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay,
                   st.wHour, st.wMinute, st.wSecond};
}

char16_t LowerCaseUnit(char16_t unit) {
  // With a high word of zero, CharLowerW treats its argument as one character
  // and returns its lower-case form in the low word (not a string pointer).
  LPWSTR result = CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(unit)));
  return static_cast<char16_t>(reinterpret_cast<ULONG_PTR>(result) & 0xFFFF);
}

}  // namespace quorvel
