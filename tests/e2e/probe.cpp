// Looks at another Wine process's windows and at the clipboard from outside,
// acts on them the way a user would, and prints one JSON object per run.
// Run `probe.exe help` for the command line; tests/e2e/harness.py wraps it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "tests/e2e/desktop_tools.h"

namespace {

using namespace quorvel::tools;

constexpr wchar_t kUsage[] =
    L"probe.exe [--out FILE] [--wait MS] COMMAND [ARGS]\n"
    L"  window selection: --title T and/or --class C (exact; hidden windows included)\n"
    L"  window                    state of a top-level window\n"
    L"  windows                   every matching top-level window: hwnds, pids, visible\n"
    L"  list [--child CLASS]      items of its first descendant list box (class ListBox)\n"
    L"  control --child CLASS     text and state of its first descendant of that class prefix\n"
    L"  editor                    same as control --child RichEdit\n"
    L"  focus                     the control with the keyboard focus in its thread\n"
    L"  activate | close          SetForegroundWindow | post WM_CLOSE\n"
    L"  msgbox                    the visible message box (#32770): title, text, buttons\n"
    L"  msgbox-press yes|no|ok|cancel\n"
    L"  requester                 the visible InputRequester: title, message, entry, selection\n"
    L"  requester-set (--text T | --file F)\n"
    L"  requester-press ok|return|escape|close\n"
    L"  clip-get | clip-set (--text T | --file F)   Unicode text of the clipboard\n"
    L"  keys CHORD...             SendInput, e.g. alt+grave Return shift+F3 ctrl+f\n"
    L"  now                       the local date and time (GetLocalTime)\n"
    L"  resources --file EXE      version information, manifest and icon 1 of a program file\n"
    L"FILE paths may be Unix paths (mapped to Z:). Texts in files are UTF-8.\n"
    L"Exit code 0: found / done; 1: not found / failed; 2: bad command line.\n";

// ---------------------------------------------------------------------------
// Finding windows.

struct Options {
  std::wstring out;
  int waitMs = 0;
  std::wstring title;
  std::wstring className;
  std::wstring child;
  std::wstring text;
  std::wstring file;
  bool hasText = false;
  std::vector<std::wstring> args;
};

HWND FindTopLevel(const std::wstring& className, const std::wstring& title, bool visibleOnly) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, className.empty() ? nullptr : className.c_str(),
                                 title.empty() ? nullptr : title.c_str())) != nullptr) {
    if (!visibleOnly || IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// Retries a lookup every 50 ms until it succeeds or --wait has passed.
template <typename Lookup>
HWND WaitFor(const Options& o, Lookup lookup) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(o.waitMs);
  for (;;) {
    if (HWND found = lookup()) return found;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(50);
  }
}

HWND SelectedWindow(const Options& o) {
  return WaitFor(o, [&] { return FindTopLevel(o.className, o.title, false); });
}

HWND MessageBoxWindow(const Options& o) {
  return WaitFor(o, [&] { return FindTopLevel(L"#32770", o.title, true); });
}

// The requester is visible before its children exist: wait for the last one.
HWND RequesterWindow(const Options& o) {
  return WaitFor(o, [&]() -> HWND {
    HWND dialog = FindTopLevel(L"InputRequester", o.title, true);
    return dialog && GetDlgItem(dialog, 1000) ? dialog : nullptr;
  });
}

void PutWindow(Json& json, HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT r{};
  GetWindowRect(window, &r);
  json.Int("hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
  json.Int("pid", pid);
  json.Text("title", TextOf(window));
  json.Text("class", ClassOf(window));
  json.Bool("visible", IsWindowVisible(window) != FALSE);
  json.Bool("enabled", IsWindowEnabled(window) != FALSE);
  json.Bool("zoomed", IsZoomed(window) != FALSE);
  json.Bool("iconic", IsIconic(window) != FALSE);
  json.Bool("foreground", GetForegroundWindow() == window);
  json.Ints("rect", {r.left, r.top, r.right, r.bottom});
}

// ---------------------------------------------------------------------------
// Commands. Each fills json and returns true when it found / did its thing.

bool CmdWindow(const Options& o, Json& json) {
  HWND window = SelectedWindow(o);
  json.Bool("found", window != nullptr);
  if (window) PutWindow(json, window);
  return window != nullptr;
}

bool CmdWindows(const Options& o, Json& json) {
  std::vector<long long> handles, pids, visible;
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window,
                                 o.className.empty() ? nullptr : o.className.c_str(),
                                 o.title.empty() ? nullptr : o.title.c_str())) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    handles.push_back(static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
    pids.push_back(pid);
    visible.push_back(IsWindowVisible(window) ? 1 : 0);
  }
  json.Int("count", static_cast<long long>(handles.size()));
  json.Ints("hwnds", handles);
  json.Ints("pids", pids);
  json.Ints("visible", visible);
  return !handles.empty();
}

bool CmdList(const Options& o, Json& json) {
  HWND window = SelectedWindow(o);
  HWND list = window ? FindDescendant(window, o.child.empty() ? L"ListBox" : o.child) : nullptr;
  json.Bool("found", list != nullptr);
  if (!list) return false;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  std::vector<std::wstring> items;
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring item(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(item.data()));
    item.resize(got > 0 ? static_cast<size_t>(got) : 0);
    items.push_back(item);
  }
  json.Int("count", count);
  json.Int("selected", SendMessageW(list, LB_GETCURSEL, 0, 0));
  json.Bool("visible", IsWindowVisible(list) != FALSE);
  json.Texts("items", items);
  return true;
}

bool CmdControl(const Options& o, Json& json, const std::wstring& prefix) {
  HWND window = SelectedWindow(o);
  HWND control = window && !prefix.empty() ? FindDescendant(window, prefix) : nullptr;
  json.Bool("found", control != nullptr);
  if (!control) return false;
  json.Int("hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(control)));
  json.Text("class", ClassOf(control));
  json.Int("id", GetDlgCtrlID(control));
  json.Text("text", TextOf(control));
  json.Bool("visible", IsWindowVisible(control) != FALSE);
  json.Bool("enabled", IsWindowEnabled(control) != FALSE);
  return true;
}

bool CmdFocus(const Options& o, Json& json) {
  HWND window = SelectedWindow(o);
  json.Bool("found", window != nullptr);
  if (!window) return false;
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const bool ok = GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) != FALSE;
  HWND focus = ok ? info.hwndFocus : nullptr;
  json.Int("focus_hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(focus)));
  json.Text("focus_class", focus ? ClassOf(focus) : L"");
  json.Int("focus_id", focus ? GetDlgCtrlID(focus) : 0);
  json.Int("active_hwnd",
           static_cast<long long>(reinterpret_cast<INT_PTR>(ok ? info.hwndActive : nullptr)));
  json.Bool("foreground", GetForegroundWindow() == window);
  return ok;
}

bool CmdActivate(const Options& o, Json& json) {
  HWND window = SelectedWindow(o);
  json.Bool("found", window != nullptr);
  if (!window) return false;
  SetForegroundWindow(window);
  const ULONGLONG end = GetTickCount64() + 2000;
  while (GetForegroundWindow() != window && GetTickCount64() < end) Sleep(20);
  json.Bool("foreground", GetForegroundWindow() == window);
  return GetForegroundWindow() == window;
}

bool CmdClose(const Options& o, Json& json) {
  HWND window = SelectedWindow(o);
  json.Bool("found", window != nullptr);
  return window && PostMessageW(window, WM_CLOSE, 0, 0);
}

bool CmdMsgBox(const Options& o, Json& json) {
  HWND box = MessageBoxWindow(o);
  json.Bool("found", box != nullptr);
  if (!box) return false;
  std::wstring text;
  std::vector<std::wstring> buttons;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring cls = Lower(ClassOf(child));
    const std::wstring childText = TextOf(child);
    if (cls == L"static" && childText.size() > text.size()) text = childText;
    if (cls == L"button") buttons.push_back(childText);
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  HWND owner = GetWindow(box, GW_OWNER);
  json.Int("pid", pid);
  json.Text("title", TextOf(box));
  json.Text("text", text);
  json.Texts("buttons", buttons);
  json.Int("owner_hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(owner)));
  return true;
}

bool PressButton(HWND dialog, int id, Json& json) {
  HWND button = GetDlgItem(dialog, id);
  json.Bool("pressed", button != nullptr);
  if (!button) return false;
  // NOTE: BM_CLICK from another process is handled inside the target's
  // GetMessage; both the dialog manager and our requester wake their modal
  // loops for it.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  return true;
}

bool CmdMsgBoxPress(const Options& o, Json& json) {
  if (o.args.empty()) return false;
  const std::wstring name = Lower(o.args[0]);
  const int id = name == L"yes"      ? IDYES
                 : name == L"no"     ? IDNO
                 : name == L"ok"     ? IDOK
                 : name == L"cancel" ? IDCANCEL
                                     : 0;
  HWND box = MessageBoxWindow(o);
  json.Bool("found", box != nullptr);
  return box && id && PressButton(box, id, json);
}

bool CmdRequester(const Options& o, Json& json) {
  HWND dialog = RequesterWindow(o);
  json.Bool("found", dialog != nullptr);
  if (!dialog) return false;
  HWND entry = GetDlgItem(dialog, 10);
  HWND message = FindDescendant(dialog, L"Static");
  DWORD start = 0, end = 0;
  SendMessageW(entry, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  PutWindow(json, dialog);
  json.Text("message", message ? TextOf(message) : L"");
  json.Text("text", TextOf(entry));
  json.Ints("sel", {static_cast<long long>(start), static_cast<long long>(end)});
  return true;
}

bool CmdRequesterSet(const Options& o, Json& json) {
  std::wstring text = o.text;
  if (!o.file.empty() && !ReadUtf8File(o.file, text)) return false;
  HWND dialog = RequesterWindow(o);
  json.Bool("found", dialog != nullptr);
  if (!dialog) return false;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(GetDlgItem(dialog, 10), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000,
                             &ignored) != 0;
}

bool CmdRequesterPress(const Options& o, Json& json) {
  if (o.args.empty()) return false;
  const std::wstring name = Lower(o.args[0]);
  HWND dialog = RequesterWindow(o);
  json.Bool("found", dialog != nullptr);
  if (!dialog) return false;
  HWND entry = GetDlgItem(dialog, 10);
  if (name == L"ok") return PressButton(dialog, 1000, json);
  if (name == L"return") return PostMessageW(entry, WM_KEYDOWN, VK_RETURN, 0x001C0001) != FALSE;
  if (name == L"escape") return PostMessageW(entry, WM_KEYDOWN, VK_ESCAPE, 0x00010001) != FALSE;
  if (name == L"close") return PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
  return false;
}

// Opens the clipboard as careful programs do: another program (or Wine's own
// clipboard bridge) may hold it for a moment, so busy is retried for up to
// five seconds. A wait is written down with who held the clipboard first.
bool OpenClipboardPatiently(Json& json) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (OpenClipboard(nullptr)) {
      if (attempt) json.Int("open_waited_ms", attempt * 5LL);
      return true;
    }
    if (attempt == 0) {
      json.Int("open_error", static_cast<long long>(GetLastError()));
      if (HWND holder = GetOpenClipboardWindow()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(holder, &pid);
        wchar_t name[256] = {};
        GetClassNameW(holder, name, 256);
        json.Int("holder_pid", static_cast<long long>(pid));
        json.Text("holder_class", name);
      }
    }
    Sleep(5);
  }
  return false;
}

bool CmdClipGet(Json& json) {
  json.Bool("available", IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE);
  if (!OpenClipboardPatiently(json)) return false;
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const size_t units = GlobalSize(data) / sizeof(wchar_t);
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(chars, wcsnlen(chars, units));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  json.Text("text", text);
  return true;
}

bool CmdClipSet(const Options& o, Json& json) {
  std::wstring text = o.text;
  if (!o.file.empty() && !ReadUtf8File(o.file, text)) return false;
  if (!OpenClipboardPatiently(json)) return false;
  if (!EmptyClipboard()) json.Int("empty_error", static_cast<long long>(GetLastError()));
  bool ok = false;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(block)) {
      std::memcpy(p, text.c_str(), bytes);
      GlobalUnlock(block);
      ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
      if (!ok) json.Int("set_error", static_cast<long long>(GetLastError()));
    }
    if (!ok) GlobalFree(block);
  }
  CloseClipboard();
  json.Int("length", static_cast<long long>(text.size()));
  return ok;
}

// ---------------------------------------------------------------------------
// Keys.

bool CmdKeys(const Options& o, Json& json) {
  bool ok = !o.args.empty();
  for (const std::wstring& chord : o.args) {
    ok = SendChord(chord) && ok;
    Sleep(30);
  }
  json.Int("chords", static_cast<long long>(o.args.size()));
  return ok;
}

// The clock as the programs of this prefix read it, for checking time stamps.
bool CmdNow(Json& json) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  wchar_t text[32];
  std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond);
  json.Text("local", text);
  return true;
}

// ---------------------------------------------------------------------------
// Resources and icons.

std::string ResourceBytes(HMODULE module, WORD id, WORD type) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
  if (!found) return {};
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

// The images of icon group 1 (RT_GROUP_ICON 14, its entries 14 bytes each):
// side in pixels (0 stands for 256), bits per pixel, and whether the image
// (RT_ICON 3) is a PNG rather than a bitmap.
void PutIconGroup(Json& json, HMODULE module) {
  const std::string group = ResourceBytes(module, 1, 14);
  std::vector<long long> sides, bits, pngs;
  if (group.size() >= 6) {
    WORD count = 0;
    std::memcpy(&count, group.data() + 4, 2);
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
      const char* entry = group.data() + 6 + 14 * i;
      WORD bitCount = 0, id = 0;
      std::memcpy(&bitCount, entry + 6, 2);
      std::memcpy(&id, entry + 12, 2);
      const auto side = static_cast<unsigned char>(entry[0]);
      sides.push_back(side == 0 ? 256 : side);
      bits.push_back(bitCount);
      pngs.push_back(ResourceBytes(module, id, 3).rfind("\x89PNG", 0) == 0 ? 1 : 0);
    }
  }
  json.Ints("icon_sides", sides);
  json.Ints("icon_bits", bits);
  json.Ints("icon_png", pngs);
}

// The size of an icon's image in pixels, or {0, 0}.
std::vector<long long> IconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {0, 0};
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  // A monochrome icon keeps its AND and XOR masks in one bitmap of twice the height.
  const long long height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return {mask.bmWidth, height};
}

// The version information, the manifest and the icon a program file carries.
bool CmdResources(const Options& o, Json& json) {
  const std::wstring path = WindowsPath(o.file);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<unsigned char> info(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    json.Ints("file_version", {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                               HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)});
    json.Ints("product_version",
              {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
               HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)});
  }
  for (const wchar_t* name : {L"FileDescription", L"FileVersion", L"ProductName", L"ProductVersion",
                              L"InternalName"}) {
    wchar_t* value = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) &&
        value) {
      const std::string key(name, name + std::wcslen(name));
      json.Text(key.c_str(), value);
    }
  }
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return false;
  if (const std::string manifest = ResourceBytes(module, 1, 24); !manifest.empty()) {
    json.Text("manifest", std::wstring(manifest.begin(), manifest.end()));
  }
  PutIconGroup(json, module);
  HICON icon = LoadIconW(module, MAKEINTRESOURCEW(1));
  json.Ints("icon_loaded", icon ? IconSize(icon) : std::vector<long long>{});
  if (icon) DestroyIcon(icon);
  FreeLibrary(module);
  return true;
}

// ---------------------------------------------------------------------------

bool ParseOptions(int argc, wchar_t** argv, std::wstring& command, Options& o) {
  struct TextOption {
    const wchar_t* flag;
    std::wstring Options::*field;
  };
  static const TextOption kTextOptions[] = {
      {L"--out", &Options::out},         {L"--title", &Options::title},
      {L"--class", &Options::className}, {L"--child", &Options::child},
      {L"--text", &Options::text},       {L"--file", &Options::file},
  };
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool isOption = arg.rfind(L"--", 0) == 0;
    if (isOption && i + 1 >= argc) return false;
    if (arg == L"--wait") {
      o.waitMs = _wtoi(argv[++i]);
      continue;
    }
    bool matched = false;
    for (const TextOption& option : kTextOptions) {
      if (arg == option.flag) {
        o.*option.field = argv[++i];
        matched = true;
        break;
      }
    }
    if (matched) {
      o.hasText = o.hasText || arg == L"--text";
    } else if (isOption) {
      return false;
    } else if (command.empty()) {
      command = arg;
    } else {
      o.args.push_back(arg);
    }
  }
  return !command.empty();
}

bool NeedsWindow(const std::wstring& c) {
  return c == L"window" || c == L"windows" || c == L"list" || c == L"control" ||
         c == L"editor" || c == L"focus" || c == L"activate" || c == L"close";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command;
  Options o;
  if (!ParseOptions(argc, argv, command, o) || command == L"help" ||
      (NeedsWindow(command) && o.title.empty() && o.className.empty()) ||
      ((command == L"clip-set" || command == L"requester-set") && !o.hasText && o.file.empty())) {
    std::fputws(kUsage, stderr);
    return 2;
  }
  using Command = bool (*)(const Options&, Json&);
  struct Named {
    const wchar_t* name;
    Command run;
  };
  static const Named kCommands[] = {
      {L"window", CmdWindow},
      {L"windows", CmdWindows},
      {L"list", CmdList},
      {L"control", [](const Options& op, Json& j) { return CmdControl(op, j, op.child); }},
      {L"editor",
       [](const Options& op, Json& j) {
         return CmdControl(op, j, op.child.empty() ? L"RichEdit" : op.child);
       }},
      {L"focus", CmdFocus},
      {L"activate", CmdActivate},
      {L"close", CmdClose},
      {L"msgbox", CmdMsgBox},
      {L"msgbox-press", CmdMsgBoxPress},
      {L"requester", CmdRequester},
      {L"requester-set", CmdRequesterSet},
      {L"requester-press", CmdRequesterPress},
      {L"clip-get", [](const Options&, Json& j) { return CmdClipGet(j); }},
      {L"clip-set", CmdClipSet},
      {L"keys", CmdKeys},
      {L"now", [](const Options&, Json& j) { return CmdNow(j); }},
      {L"resources", CmdResources},
  };
  Command run = nullptr;
  for (const Named& c : kCommands) {
    if (command == c.name) run = c.run;
  }
  if (!run) {
    std::fputws(kUsage, stderr);
    return 2;
  }
  Json json;
  const bool ok = run(o, json);
  json.Bool("ok", ok);
  if (!WriteTextFile(o.out, json.Finish())) return 1;
  return ok ? 0 : 1;
}
