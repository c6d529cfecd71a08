// The editor on a rich-edit control: library and class choice, creation, the
// kind operations, and the procedure with focus events, plain-text pastes, the
// automatic text colour and, under visual styles, a themed border drawn in the
// frame.
#include "ui/win32_editor.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "ui/dpi.h"
#include "ui/editor_text.h"
#include "ui/layer.h"
#include "ui/win32_clipboard.h"
#include "ui/win32_failure.h"
#include "ui/win32_gadget.h"
#include "ui/win32_handle.h"
#include "ui/win32_library.h"
#include "ui/win32_state.h"
#include "ui/win32_text.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

constexpr DWORD kEditorStyle = 0x503111C4;  // child, visible, scroll bars, tab stop, multi-line
constexpr WPARAM kLargestTextLimit = 0x7FFFFFFF;
constexpr wchar_t kClientRectProperty[] = L"QV_ClientRect";
constexpr wchar_t kWordWrapProperty[] = L"QV_WordWrap";

// Fields of the entry's kind words.
constexpr int kLineState = 0;
constexpr int kBackColour = 1;
constexpr int kFrontColour = 2;
constexpr int kFont = 3;

// Themed border: the edit part and its states.
constexpr int kPartEditText = 1;
constexpr int kStateNormal = 1;
constexpr int kStateDisabled = 4;
constexpr int kStateReadOnly = 6;

static_assert(sizeof(BorderWidths) == 16);

struct DllVersionInfo {
  DWORD cbSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformID;
};
static_assert(sizeof(DllVersionInfo) == 20);

EditorPart& Shared() { return Layer().editor; }

// The rich-edit and theme libraries are never freed: controls of their
// classes may live until the process ends.
LastingPart& Libraries() { return Layer().lasting; }

HMODULE LoadSystemLibrary(const wchar_t* name) {
  return static_cast<HMODULE>(SystemLibraryLoad(name));
}

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function) {
  const FARPROC address = GetProcAddress(module, name);
  static_assert(sizeof function == sizeof address);
  std::memcpy(&function, &address, sizeof function);
}

// Replaces the selection, or inserts at the caret, without an undo step.
void ReplaceRange(const GadgetEntry& entry, LRESULT start, LRESULT end, std::u16string_view text) {
  const std::wstring wide = ToWide(text);
  GadgetSend(entry, EM_SETSEL, static_cast<WPARAM>(start), end);
  GadgetSend(entry, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

// --- kind operations ---

int64_t Notify(GadgetEntry& entry, void*, uint32_t message, uint64_t, int64_t lParam) {
  if (message == WM_NOTIFY && lParam != 0 &&
      reinterpret_cast<const NMHDR*>(lParam)->code == EN_CHANGE) {
    GadgetEventRaise(GadgetHandle(entry), EventTypeChange);
    return 0;
  }
  return NotHandled;
}

std::u16string GetText(GadgetEntry& entry) { return WindowText(GadgetHandle(entry)); }

// Text handed to the control as UTF-16 in whole units, piece after piece,
// straight from where it lies: nothing is converted or copied beforehand.
struct PlainSource {
  std::u16string_view pieces[2];
  size_t piece = 0;
  size_t offset = 0;  // units of pieces[piece] already handed over
};

DWORD CALLBACK ReadPlain(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<PlainSource*>(cookie);
  size_t room = size > 0 ? static_cast<size_t>(size) / sizeof(char16_t) : 0;
  size_t copied = 0;
  while (room > 0 && source->piece < std::size(source->pieces)) {
    const std::u16string_view rest = source->pieces[source->piece].substr(source->offset);
    const size_t units = std::min(room, rest.size());
    if (units > 0) {
      std::memcpy(buffer + copied * sizeof(char16_t), rest.data(), units * sizeof(char16_t));
    }
    copied += units;
    room -= units;
    source->offset += units;
    if (source->offset == source->pieces[source->piece].size()) {
      ++source->piece;
      source->offset = 0;
    }
  }
  *read = static_cast<LONG>(copied * sizeof(char16_t));
  return 0;
}

// Only the part that EditorTextShown allows goes in, streamed from the text
// itself: a text of 100 MB is neither converted nor copied.
// NOTE: a rich-edit control reads a text that opens with a rich-text header
// as rich text when it comes through EM_SETTEXTEX (under Wine also in
// plain-text mode), so "{\rtf1 x}" would show as "x"; a stream of plain
// Unicode text (SF_TEXT | SF_UNICODE) is never read as rich text.
void SetText(GadgetEntry& entry, std::u16string_view text) {
  HWND control = GadgetHandle(entry);
  if (text.empty()) {
    SetWindowTextW(control, L"");
    entry.word[kLineState] = 0;
    return;
  }
  SetScrollPos(control, SB_HORZ, 0, TRUE);
  const EditorShownText part = EditorTextShown(text);
  const std::u16string note = EditorOmissionNote(part.notShown);
  PlainSource source{{part.shown, note}};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadPlain};
  SendMessageW(control, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
}

// A paste takes the clipboard's Unicode text alone, whatever richer formats
// another program put beside it, and as much of it as the editor shows of any
// text. EM_REPLACESEL takes its text as plain text.
// NOTE: under Wine a stream in plain-text mode replaces the whole content
// even when it is asked to replace the selection (SFF_SELECTION).
void PastePlain(HWND control) {
  if ((SendMessageW(control, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0) return;
  const std::u16string text = ClipboardGetText();
  if (text.empty()) return;
  const EditorShownText part = EditorTextShown(text);
  const std::wstring pasted =
      ToWide(part.shown) + ToWide(EditorOmissionNote(part.notShown));
  SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
}

// The keys with which the rich-edit control pastes by itself: Ctrl+V (not
// with Alt: Ctrl+Alt is AltGr) and Shift+Insert.
bool IsPasteKey(WPARAM key) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (alt) return false;
  return (key == 'V' && ctrl) || (key == VK_INSERT && shift && !ctrl);
}

void ClearItems(GadgetEntry& entry) {
  SetWindowTextW(GadgetHandle(entry), L"");
  entry.word[kLineState] = 0;
}

int32_t CountItems(GadgetEntry& entry) {
  if (entry.word[kLineState] == 0 && GetWindowTextLengthW(GadgetHandle(entry)) == 0) return 0;
  return static_cast<int32_t>(GadgetSend(entry, EM_GETLINECOUNT));
}

std::u16string GetItemText(GadgetEntry& entry, int32_t index, int32_t) {
  const LRESULT start = GadgetSend(entry, EM_LINEINDEX, GadgetIndex(index));
  if (index < 0 || start < 0) return {};
  const LRESULT length = GadgetSend(entry, EM_LINELENGTH, static_cast<WPARAM>(start));
  if (length <= 0) return {};
  // NOTE: EM_GETLINE takes its buffer size in a 16-bit word, so it cannot
  // return a line longer than 65535 characters; a text range can.
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  TEXTRANGEW range{{static_cast<LONG>(start), static_cast<LONG>(start + length)}, buffer.data()};
  const LRESULT copied = GadgetSend(entry, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  buffer.resize(static_cast<size_t>(copied > 0 && copied <= length ? copied : 0));
  if (!buffer.empty() && buffer.back() == L'\r') buffer.pop_back();
  return FromWide(buffer);
}

// Inserts a line before line `position`; -1 or the line count appends.
int64_t AddItem(GadgetEntry& entry, int32_t position, std::u16string_view text, int64_t) {
  const int32_t lines = CountItems(entry);
  if (position == -1) position = lines;
  if (position < 0 || position > lines) return 0;
  if (lines == 0) {
    ReplaceRange(entry, 0, -1, text);
  } else if (position < lines) {
    const LRESULT start = GadgetSend(entry, EM_LINEINDEX, GadgetIndex(position));
    ReplaceRange(entry, start, start, std::u16string(text) + u"\r");
  } else {
    const LRESULT last = GadgetSend(entry, EM_LINEINDEX, GadgetIndex(lines - 1));
    const LRESULT end = last + GadgetSend(entry, EM_LINELENGTH, static_cast<WPARAM>(last));
    ReplaceRange(entry, end, end, u"\r" + std::u16string(text));
  }
  entry.word[kLineState] = 1;
  return 0;
}

void RemoveItem(GadgetEntry& entry, int32_t index) {
  const LRESULT start = GadgetSend(entry, EM_LINEINDEX, GadgetIndex(index));
  if (index < 0 || start < 0 || index >= CountItems(entry)) return;
  const LRESULT next = GadgetSend(entry, EM_LINEINDEX, GadgetIndex(index + 1));
  if (next >= 0) {
    ReplaceRange(entry, start, next, u"");
  } else if (index == 0) {
    ClearItems(entry);
  } else {
    // The last line goes together with the line break before it.
    const LRESULT end = start + GadgetSend(entry, EM_LINELENGTH, static_cast<WPARAM>(start));
    ReplaceRange(entry, start - 1, end, u"");
  }
}

void SetItemText(GadgetEntry& entry, int32_t index, std::u16string_view text, int32_t) {
  const LRESULT start = GadgetSend(entry, EM_LINEINDEX, GadgetIndex(index));
  if (index < 0 || start < 0) return;
  const LRESULT length = GadgetSend(entry, EM_LINELENGTH, static_cast<WPARAM>(start));
  ReplaceRange(entry, start, start + length, text);
}

void ApplyFrontColour(const GadgetEntry& entry) {
  const int64_t colour = entry.word[kFrontColour];
  CHARFORMATW format{};
  static_assert(sizeof format == 92);
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.dwEffects = colour == -1 ? CFE_AUTOCOLOR : 0;
  format.crTextColor = static_cast<COLORREF>(colour);
  GadgetSend(entry, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  GadgetSend(entry, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

void SetColor(GadgetEntry& entry, int32_t which, int64_t colour) {
  colour = static_cast<int32_t>(colour);
  if (which == ColorBack) {
    if (colour == -1) {
      GadgetSend(entry, EM_SETBKGNDCOLOR, 1, 0);
    } else {
      GadgetSend(entry, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour));
    }
    entry.word[kBackColour] = colour;
  } else if (which == ColorFront) {
    entry.word[kFrontColour] = colour;
    ApplyFrontColour(entry);
  }
}

int64_t GetColor(GadgetEntry& entry, int32_t which) {
  if (which == ColorFront) return entry.word[kFrontColour];
  if (which == ColorBack) return entry.word[kBackColour];
  return -1;
}

void SetAttribute(GadgetEntry& entry, int32_t attribute, int64_t value) {
  HWND control = GadgetHandle(entry);
  if (attribute == EditorWordWrap) {
    GadgetSend(entry, EM_SETTARGETDEVICE, 0, value == 0 ? 1 : 0);
    SetPropW(control, kWordWrapProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)));
  } else if (attribute == EditorReadOnly) {
    GadgetSend(entry, EM_SETREADONLY, value != 0 ? TRUE : FALSE);
  }
}

int64_t GetAttribute(GadgetEntry& entry, int32_t attribute) {
  if (attribute == EditorWordWrap) {
    return static_cast<int32_t>(
        reinterpret_cast<intptr_t>(GetPropW(GadgetHandle(entry), kWordWrapProperty)));
  }
  if (attribute == EditorReadOnly) {
    return (GadgetSend(entry, EM_GETOPTIONS) & ECO_READONLY) != 0 ? 1 : 0;
  }
  return 0;
}

uintptr_t GetFont(GadgetEntry& entry) { return static_cast<uintptr_t>(entry.word[kFont]); }

void SetFont(GadgetEntry& entry, uintptr_t font) {
  if (font == static_cast<uintptr_t>(-1)) font = reinterpret_cast<uintptr_t>(GadgetDefaultFont());
  entry.word[kFont] = static_cast<int64_t>(font);
  GadgetSend(entry, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
}

void FillKind(GadgetKind& kind) {
  kind.number = KindEditor;
  kind.recordSize = GadgetKindRecordSize;
  kind.Notify = Notify;
  kind.GetText = GetText;
  kind.SetText = SetText;
  kind.AddItem = AddItem;
  kind.RemoveItem = RemoveItem;
  kind.ClearItems = ClearItems;
  kind.CountItems = CountItems;
  kind.GetItemText = GetItemText;
  kind.SetItemText = SetItemText;
  kind.GetAttribute = GetAttribute;
  kind.SetAttribute = SetAttribute;
  kind.SetColor = SetColor;
  kind.GetColor = GetColor;
  kind.GetFont = GetFont;
  kind.SetFont = SetFont;
}

// --- themed border ---

// Made at creation, dropped at WM_NCDESTROY. The property's value is the
// record's address but is never read back.
void AttachBorderWidths(HWND control) {
  BorderWidths& widths = Shared().borders[control];
  widths = {};
  SetPropW(control, kClientRectProperty, &widths);
}

void DetachBorderWidths(HWND control) {
  RemovePropW(control, kClientRectProperty);
  Shared().borders.erase(control);
}

BorderWidths* BorderWidthsOf(HWND control) {
  auto& borders = Shared().borders;
  const auto found = borders.find(control);
  return found != borders.end() ? &found->second : nullptr;
}

// The edit theme for the control while the editor is themed, else null.
// Closed by the caller (CloseThemeData) when it is not null.
ThemeHandle OpenEditTheme(HWND control) {
  const EditorPart& shared = Shared();
  if (!shared.themed || shared.theme.OpenThemeData == nullptr) return nullptr;
  return shared.theme.OpenThemeData(control, L"edit");
}

// After the class has computed the client rectangle: move it in by the
// theme's border and remember the widths. True when applied.
bool ThemedClientArea(HWND control, NCCALCSIZE_PARAMS* params) {
  const ThemeHandle theme = OpenEditTheme(control);
  if (theme == nullptr) return false;
  const ThemeFunctions& fn = Shared().theme;
  const ScopeGuard closeTheme([&fn, theme] { fn.CloseThemeData(theme); });
  HWND parent = GetParent(control);
  HDC dc = GetDC(parent);
  RECT& client = params->rgrc[0];
  RECT content{};
  bool applied = false;
  if (fn.GetThemeBackgroundContentRect(theme, dc, kPartEditText, kStateNormal, &client,
                                       &content) >= 0) {
    InflateRect(&content, -1, -1);
    if (BorderWidths* widths = BorderWidthsOf(control)) {
      *widths = {content.left - client.left, content.top - client.top, client.right - content.right,
                 client.bottom - content.bottom};
    }
    client = content;
    applied = true;
  }
  ReleaseDC(parent, dc);
  return applied;
}

// After the class has painted its frame: paint the themed band over it.
void ThemedFrame(HWND control) {
  const ThemeHandle theme = OpenEditTheme(control);
  if (theme == nullptr) return;
  const ThemeFunctions& fn = Shared().theme;
  const ScopeGuard closeTheme([&fn, theme] { fn.CloseThemeData(theme); });
  HDC dc = GetWindowDC(control);
  RECT window{};
  GetWindowRect(control, &window);
  const RECT whole{0, 0, window.right - window.left, window.bottom - window.top};
  BorderWidths widths;
  if (const BorderWidths* stored = BorderWidthsOf(control)) widths = *stored;
  ExcludeClipRect(dc, whole.left + widths.left, whole.top + widths.top, whole.right - widths.right,
                  whole.bottom - widths.bottom);
  if (fn.IsThemeBackgroundPartiallyTransparent(theme, kPartEditText, kStateNormal)) {
    fn.DrawThemeParentBackground(control, dc, &whole);
  }
  int state = kStateNormal;
  if (!IsWindowEnabled(control)) {
    state = kStateDisabled;
  } else if ((SendMessageW(control, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0) {
    state = kStateReadOnly;
  }
  fn.DrawThemeBackground(theme, dc, kPartEditText, state, &whole, nullptr);
  ReleaseDC(control, dc);
}

void LoadLibrariesOnce(EditorPart& shared) {
  FillKind(shared.kind);
  LastingPart& libraries = Libraries();
  if (!libraries.editorLibrariesLoaded) {
    libraries.editorLibrariesLoaded = true;
    libraries.msftedit = LoadSystemLibrary(L"MSFTEDIT.DLL");
    libraries.riched20 = LoadSystemLibrary(L"RICHED20.DLL");
    if (libraries.riched20 == nullptr) LoadSystemLibrary(L"RICHED32.DLL");
  }
  if (const HMODULE uxtheme = libraries.uxtheme; uxtheme != nullptr) {
    ThemeFunctions& fn = shared.theme;
    Resolve(uxtheme, "OpenThemeData", fn.OpenThemeData);
    Resolve(uxtheme, "CloseThemeData", fn.CloseThemeData);
    Resolve(uxtheme, "GetThemeBackgroundContentRect", fn.GetThemeBackgroundContentRect);
    Resolve(uxtheme, "IsThemeBackgroundPartiallyTransparent",
            fn.IsThemeBackgroundPartiallyTransparent);
    Resolve(uxtheme, "DrawThemeParentBackground", fn.DrawThemeParentBackground);
    Resolve(uxtheme, "DrawThemeBackground", fn.DrawThemeBackground);
    // Drawing needs every one of them; without them the border stays the class's.
    if (!fn.OpenThemeData || !fn.CloseThemeData || !fn.GetThemeBackgroundContentRect ||
        !fn.IsThemeBackgroundPartiallyTransparent || !fn.DrawThemeParentBackground ||
        !fn.DrawThemeBackground) {
      fn.OpenThemeData = nullptr;
    }
  }
}

}  // namespace

int32_t VisualStylesDetect() {
  EditorPart& shared = Shared();
  if (shared.version != 0) return shared.version;
  if (const UniqueModule comctl(LoadSystemLibrary(L"COMCTL32.DLL")); comctl) {
    HRESULT(CALLBACK * getVersion)(DllVersionInfo*) = nullptr;
    Resolve(comctl.get(), "DllGetVersion", getVersion);
    if (getVersion == nullptr) {
      shared.version = 1;
    } else {
      DllVersionInfo info{};
      info.cbSize = sizeof info;
      if (getVersion(&info) >= 0) {
        shared.version =
            static_cast<int32_t>(info.dwMajorVersion << 16 | (info.dwMinorVersion & 0xFFFF));
      }
    }
  }
  HMODULE& uxtheme = Libraries().uxtheme;
  if (uxtheme == nullptr) uxtheme = LoadSystemLibrary(L"uxtheme.dll");
  if (uxtheme != nullptr) {
    BOOL(WINAPI * isAppThemed)() = nullptr;
    Resolve(uxtheme, "IsAppThemed", isAppThemed);
    if (isAppThemed != nullptr) shared.themed = isAppThemed() != 0 && shared.version >= 0x60000;
  }
  return shared.version;
}

bool VisualStylesThemed() { return Shared().themed; }

int64_t EditorCreate(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     int32_t flags) {
  GadgetTable* table = Gadgets();
  if (table == nullptr || number < ObjectAny) return 0;
  // The control's own notifications during creation are not the user's.
  EventSuppressScope suppress(LayerEvents());
  VisualStylesDetect();
  EditorPart& shared = Shared();
  if (shared.kind.number == 0) LoadLibrariesOnce(shared);
  const LastingPart& libraries = Libraries();
  const DWORD exStyle = shared.themed ? 0 : WS_EX_CLIENTEDGE;
  const wchar_t* className = libraries.msftedit != nullptr   ? L"RICHEDIT50W"
                             : libraries.riched20 != nullptr ? L"RichEdit20W"
                                                             : L"RichEdit";
  DpiScaleRect(x, y, width, height);
  HWND control =
      CreateWindowExW(exStyle, className, nullptr, static_cast<DWORD>(flags) | kEditorStyle, x, y,
                      width, height, GadgetParentWindow(), reinterpret_cast<HMENU>(intptr_t{-1}),
                      GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) {
    Win32Failure("CreateWindowExW");
    return 0;
  }
  // The editor shows texts exactly, never as rich text; the mode can only be
  // set while the control is empty.
  SendMessageW(control, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  GadgetEntry* entry = table->Allocate(number);  // a number in use loses its old gadget here
  entry->word[kBackColour] = -1;
  entry->word[kFrontColour] = -1;
  entry->word[kFont] = static_cast<int64_t>(reinterpret_cast<intptr_t>(GadgetCurrentFont()));
  AttachBorderWidths(control);  // until EditorProcedure's WM_NCDESTROY
  // NOTE: the largest limit is asked for as 0x7FFFFFFF, the largest character
  // position, not as -1 (all bits set): Wine keeps -1 as a negative limit and
  // then refuses every typed character.
  SendMessageW(control, EM_LIMITTEXT, kLargestTextLimit, 0);
  shared.classProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditorProcedure)));
  SetWindowPos(control, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RedrawWindow(control, nullptr, nullptr,
               RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  const LRESULT mask = SendMessageW(control, EM_GETEVENTMASK, 0, 0);
  SendMessageW(control, EM_SETEVENTMASK, 0, mask | ENM_CHANGE);
  if (libraries.msftedit != nullptr)
    SendMessageW(control, EM_SETEDITSTYLEEX, SES_EX_NOTABLE, SES_EX_NOTABLE);
  const int64_t result = GadgetRegister(number, entry, control, &shared.kind);
  if ((flags & EditorWordWrap) != 0) SetAttribute(*entry, EditorWordWrap, 1);
  return result;
}

LRESULT CALLBACK EditorProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC next = Shared().classProcedure;
  switch (message) {
    case WM_SETFOCUS:
      GadgetEventRaise(control, EventTypeFocus);
      break;
    case WM_KILLFOCUS:
      GadgetEventRaise(control, EventTypeLostFocus);
      break;
    case WM_ENABLE: {
      GadgetEntry* entry = wParam == 0 ? GadgetFromHandle(control) : nullptr;
      RECT rect{};
      GetWindowRect(control, &rect);
      const int32_t height = rect.bottom - rect.top;
      if (entry == nullptr || height >= 20) break;
      // A control lower than 20 pixels takes its disabled state at a workable
      // height and is then put back to its own.
      GadgetResize(*entry, GadgetSizeUnchanged, GadgetSizeUnchanged, GadgetSizeUnchanged, 20);
      CallWindowProcW(next, control, message, 0, lParam);
      GadgetResize(*entry, GadgetSizeUnchanged, GadgetSizeUnchanged, GadgetSizeUnchanged,
                   DpiUnscaleY(height));
      return 0;
    }
    case WM_PASTE:
    case EM_PASTESPECIAL:
      PastePlain(control);
      return 0;
    case WM_KEYDOWN:
      // NOTE: the rich-edit control pastes these keys itself, without
      // WM_PASTE, and under Wine takes rich formats even in plain-text mode.
      if (IsPasteKey(wParam)) {
        PastePlain(control);
        return 0;
      }
      break;
    case WM_SETFONT: {
      CallWindowProcW(next, control, message, wParam, lParam);
      if (const GadgetEntry* entry = GadgetFromHandle(control)) ApplyFrontColour(*entry);
      return 0;
    }
    case WM_NCDESTROY:
      DetachBorderWidths(control);
      RemovePropW(control, kWordWrapProperty);
      break;
    case WM_NCCALCSIZE:
      if (wParam != 0) {
        const LRESULT result = CallWindowProcW(next, control, message, wParam, lParam);
        return ThemedClientArea(control, reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)) ? WVR_REDRAW
                                                                                       : result;
      }
      break;
    case WM_NCPAINT:
      CallWindowProcW(next, control, message, wParam, lParam);
      ThemedFrame(control);
      return 0;
    default:
      break;
  }
  return CallWindowProcW(next, control, message, wParam, lParam);
}

}  // namespace quorvel
