#include "tests/e2e/desktop_tools.h"

#include <cstdio>
#include <cwctype>

namespace quorvel::tools {

std::wstring WindowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  std::wstring out = L"Z:" + path;
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  return out;
}

bool ReadUtf8File(const std::wstring& path, std::wstring& text) {
  FILE* file = _wfopen(WindowsPath(path).c_str(), L"rb");
  if (!file) return false;
  std::string bytes;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  std::fclose(file);
  text.clear();
  if (bytes.empty()) return true;
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  text.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return true;
}

bool WriteTextFile(const std::wstring& path, const std::string& bytes) {
  FILE* out = path.empty() ? stdout : _wfopen(WindowsPath(path).c_str(), L"wb");
  if (!out) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out != stdout) return std::fclose(out) == 0 && written;
  return written;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

HWND FindDescendant(HWND parent, const std::wstring& prefix) {
  const std::wstring wanted = Lower(prefix);
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (Lower(ClassOf(child)).rfind(wanted, 0) == 0) return child;
    if (HWND inner = FindDescendant(child, prefix)) return inner;
  }
  return nullptr;
}

HWND QuorvelWindow() { return FindWindowW(kQuorvelClass, kQuorvelTitle); }

HWND QuorvelList() {
  HWND window = QuorvelWindow();
  return window ? FindDescendant(window, L"ListBox") : nullptr;
}

HWND QuorvelEditor() {
  HWND window = QuorvelWindow();
  return window ? FindDescendant(window, L"RichEdit") : nullptr;
}

long long Ask(HWND window, UINT message, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, timeoutMs, &result)) return -1;
  return static_cast<long long>(static_cast<LRESULT>(result));
}

std::wstring TextOf(HWND window, DWORD timeoutMs) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, timeoutMs, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

int64_t Ticks() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

int64_t TicksPerSecond() {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

long long Micros(int64_t ticks) {
  return static_cast<long long>(ticks * 1000000 / TicksPerSecond());
}

WORD VirtualKey(const std::wstring& name) {
  struct Named {
    const wchar_t* name;
    WORD vk;
  };
  static const Named kNames[] = {
      {L"return", VK_RETURN}, {L"enter", VK_RETURN},    {L"escape", VK_ESCAPE},
      {L"esc", VK_ESCAPE},    {L"delete", VK_DELETE},   {L"tab", VK_TAB},
      {L"space", VK_SPACE},   {L"backspace", VK_BACK},  {L"grave", VK_OEM_3},
      {L"up", VK_UP},         {L"down", VK_DOWN},       {L"left", VK_LEFT},
      {L"right", VK_RIGHT},   {L"home", VK_HOME},       {L"end", VK_END},
      {L"prior", VK_PRIOR},   {L"next", VK_NEXT},       {L"alt", VK_MENU},
      {L"ctrl", VK_CONTROL},  {L"control", VK_CONTROL}, {L"shift", VK_SHIFT},
  };
  const std::wstring key = Lower(name);
  for (const Named& n : kNames) {
    if (key == n.name) return n.vk;
  }
  if (key.size() == 1 && std::iswalnum(key[0])) return static_cast<WORD>(std::towupper(key[0]));
  if (key.size() >= 2 && key[0] == L'f') {
    const int number = _wtoi(key.c_str() + 1);
    if (number >= 1 && number <= 24) return static_cast<WORD>(VK_F1 + number - 1);
  }
  return 0;
}

namespace {

INPUT KeyInput(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  const bool extended = vk == VK_DELETE || vk == VK_HOME || vk == VK_END || vk == VK_PRIOR ||
                        vk == VK_NEXT || (vk >= VK_LEFT && vk <= VK_DOWN);
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

}  // namespace

bool SendKeys(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) inputs.push_back(KeyInput(vk, false));
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool SendChord(const std::wstring& chord) {
  std::vector<WORD> keys;
  size_t start = 0;
  for (;;) {
    const size_t plus = chord.find(L'+', start);
    const WORD vk =
        VirtualKey(chord.substr(start, plus == std::wstring::npos ? plus : plus - start));
    if (!vk) return false;
    keys.push_back(vk);
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
  return SendKeys(keys);
}

std::wstring_view FillerChars(const std::wstring& name) {
  if (name == L"digits") return L"0123456789";
  if (name == L"base64") return L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  return L"abcdefghijklmnopqrstuvwxyz 0123456789 ";
}

std::wstring FillerText(size_t chars, const std::wstring& tag, size_t lineChars,
                        std::wstring_view filler) {
  std::wstring text = tag;
  text.reserve(chars > tag.size() ? chars : tag.size());
  size_t column = text.size();
  while (text.size() < chars) {
    if (lineChars >= 2 && column + 2 >= lineChars && text.size() + 2 <= chars) {
      text += L"\r\n";
      column = 0;
    } else {
      text += filler[text.size() % filler.size()];
      ++column;
    }
  }
  return text;
}

}  // namespace quorvel::tools
