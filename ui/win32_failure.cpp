// Failed system calls, with the system's message, to the debugger output.
#include "ui/win32_failure.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

namespace quorvel {

void Win32Failure(const char* call) noexcept {
  const DWORD error = GetLastError();
#ifndef NDEBUG
  wchar_t message[512] = L"";
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     message, static_cast<DWORD>(std::size(message)), nullptr);
  if (length == 0) message[0] = L'\0';
  wchar_t line[768];
  std::swprintf(line, std::size(line), L"quorvel: %hs failed, error %lu: %ls%ls", call,
                static_cast<unsigned long>(error), message,
                length > 0 && message[length - 1] == L'\n' ? L"" : L"\n");
  OutputDebugStringW(line);
#else
  (void)call;
#endif
  SetLastError(error);
}

}  // namespace quorvel
