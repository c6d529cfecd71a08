// Platform hooks of the Windows build: GetLocalTime for the clock (kernel32)
// and CharLowerBuffW over every unit for the case mapping (user32).
#include <windows.h>

#include <cstdint>

#include "runtime/local.h"
#include "runtime/text.h"

namespace quorvel {

LocalTime LocalClockRead() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay,
                   st.wHour, st.wMinute, st.wSecond};
}

void* TextBlockAllocate(std::size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }

void TextBlockFree(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void LowerCaseTableFill(char16_t* table) {
  for (uint32_t unit = 0; unit < 0x10000; ++unit) table[unit] = static_cast<char16_t>(unit);
  // One call over every unit: each is lowered on its own, exactly as the
  // one-character form of CharLowerW lowers it.
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");
  CharLowerBuffW(reinterpret_cast<LPWSTR>(table), 0x10000);
}

}  // namespace quorvel
