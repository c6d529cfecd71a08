// What the Windows-side helper programs of the tests and the benchmarks share:
// paths and files, finding Quorvel's windows, asking another process's window
// with a time limit, the clock, pressing keys, filler texts, and the JSON
// object they print (json_writer.h).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/json_writer.h"

namespace quorvel::tools {

inline constexpr wchar_t kQuorvelClass[] = L"WindowClass_0";
inline constexpr wchar_t kQuorvelTitle[] = L"quorvel";

// Files. A Unix path is taken as Wine programs see it (Z: is the Unix root).
std::wstring WindowsPath(const std::wstring& path);
bool ReadUtf8File(const std::wstring& path, std::wstring& text);
// Writes bytes to the file, or to the standard output when path is empty.
bool WriteTextFile(const std::wstring& path, const std::string& bytes);

// Windows.
std::wstring Lower(std::wstring text);
std::wstring ClassOf(HWND window);
// The first descendant (depth first) whose class begins with prefix, ignoring case.
HWND FindDescendant(HWND parent, const std::wstring& prefix);
HWND QuorvelWindow();
HWND QuorvelList();
HWND QuorvelEditor();

// A message without parameters to another process's window; -1 when it did
// not answer within timeoutMs.
long long Ask(HWND window, UINT message, DWORD timeoutMs = 60000);
// WM_GETTEXT across processes; empty when the window does not answer in time.
std::wstring TextOf(HWND window, DWORD timeoutMs = 2000);

// The performance counter, and microseconds of a span of it.
int64_t Ticks();
int64_t TicksPerSecond();
long long Micros(int64_t ticks);

// Calls ready() until it holds; the time it was seen, or 0 after timeoutMs.
template <typename Ready>
int64_t WaitUntil(Ready ready, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (ready()) return Ticks();
    if (GetTickCount64() >= end) return 0;
    Sleep(1);
  }
}

// Keys through SendInput, to the window with the keyboard focus: pressed in
// order, released in reverse. A chord names them with '+': "shift+F3",
// "alt+grave", "Return" (0 from VirtualKey for a name it does not know).
WORD VirtualKey(const std::wstring& name);
bool SendKeys(const std::vector<WORD>& keys);
bool SendChord(const std::wstring& chord);

// The characters a filler text repeats: "words", letters and digits with two
// blanks in every 38 characters; "digits" and "base64", runs without a blank
// that the editor cannot wrap at a space.
std::wstring_view FillerChars(const std::wstring& name);

// A text of chars characters starting with tag, in lines of lineChars
// characters with their CR LF (0: one line without breaks; 2: the tag, then
// line breaks only), of the filler's characters.
std::wstring FillerText(size_t chars, const std::wstring& tag, size_t lineChars = 64,
                        std::wstring_view filler = FillerChars(L"words"));

}  // namespace quorvel::tools
