// UTF-16 between the portable seam (char16_t) and the wide Win32 calls
// (wchar_t, also 16 bits on Windows): the one pair of converters, and the
// text of a window read within the length the system reports.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quorvel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

[[nodiscard]] inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

[[nodiscard]] inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

// A window's text (GetWindowTextW); the empty text when it has none or it
// cannot be read.
[[nodiscard]] inline std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  return FromWide(std::wstring_view(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

}  // namespace quorvel
