// The list view on a "ListBox" control: each kind operation is one list box
// message; notifications and mouse actions become gadget events.
#include "ui/win32_listview.h"

#include <string>

#include "ui/dpi.h"
#include "ui/layer.h"
#include "ui/win32_failure.h"
#include "ui/win32_gadget.h"
#include "ui/win32_state.h"
#include "ui/win32_text.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

constexpr DWORD kListViewStyle = 0x50330141;  // child, visible, scroll bars, tab stop, notify
constexpr wchar_t kMouseDownProperty[] = L"QV_MouseDown";

// Fields of the entry's kind words.
constexpr int kBackColour = 0;
constexpr int kFrontColour = 1;
constexpr int kBackBrush = 2;

ListViewPart& Shared() { return Layer().listView; }


HBRUSH BackBrush(const GadgetEntry& entry) {
  return reinterpret_cast<HBRUSH>(static_cast<intptr_t>(entry.word[kBackBrush]));
}

// NOTE: a window property reads 0 when it is missing, and the point (0, 0)
// packs to 0. The stored value carries a marker bit above the packed point so
// that a press on the control's top-left pixel still counts.
constexpr uintptr_t kMouseDownMarker = uintptr_t{1} << 32;
static_assert(sizeof(uintptr_t) == 8, "the marker needs a 64-bit property value");

int64_t Notify(GadgetEntry& entry, void*, uint32_t message, uint64_t wParam, int64_t) {
  if (message == WM_COMMAND) {
    const WORD code = HIWORD(wParam);
    if (code == LBN_DBLCLK) GadgetEventRaise(GadgetHandle(entry), EventTypeLeftDoubleClick);
    if (code == LBN_SELCHANGE) GadgetEventRaise(GadgetHandle(entry), EventTypeLeftClick);
    return 0;
  }
  if (message != WM_CTLCOLORLISTBOX) return NotHandled;
  const int64_t back = entry.word[kBackColour];
  const int64_t front = entry.word[kFrontColour];
  if (back == -1 && front == -1) return NotHandled;
  HDC dc = reinterpret_cast<HDC>(wParam);
  if (front != -1) {
    SetTextColor(dc, static_cast<COLORREF>(front));
    if (back == -1) {
      SetBkColor(dc, GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<intptr_t>(GetSysColorBrush(COLOR_WINDOW));
    }
  }
  SetBkColor(dc, static_cast<COLORREF>(back));
  return reinterpret_cast<intptr_t>(BackBrush(entry));
}

void Free(GadgetEntry& entry) {
  if (HBRUSH brush = BackBrush(entry); brush != nullptr) BrushRelease(brush);
  entry.word[kBackBrush] = 0;
}

int64_t GetState(GadgetEntry& entry) {
  return static_cast<int32_t>(GadgetSend(entry, LB_GETCURSEL));
}

void SetState(GadgetEntry& entry, int32_t state) {
  GadgetSend(entry, LB_SETCURSEL, GadgetIndex(state));
}

std::u16string GetItemText(GadgetEntry& entry, int32_t index, int32_t) {
  const auto length = static_cast<int32_t>(GadgetSend(entry, LB_GETTEXTLEN, GadgetIndex(index)));
  if (length == LB_ERR || length < 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const auto copied = static_cast<int32_t>(
      GadgetSend(entry, LB_GETTEXT, GadgetIndex(index), reinterpret_cast<LPARAM>(buffer.data())));
  // Trust only what was delivered: up to the reported count and the first NUL.
  if (copied >= 0 && copied < length) buffer.resize(static_cast<size_t>(copied));
  const std::wstring_view delivered(buffer);
  return FromWide(delivered.substr(0, delivered.find(L'\0')));
}

std::u16string GetText(GadgetEntry& entry) {
  const auto selected = static_cast<int32_t>(GadgetSend(entry, LB_GETCURSEL));
  return selected < 0 ? std::u16string() : GetItemText(entry, selected, 0);
}

void SetText(GadgetEntry& entry, std::u16string_view text) {
  // NOTE: LB_FINDSTRINGEXACT compares without regard to letter case.
  const std::wstring wide = ToWide(text);
  const LRESULT found = GadgetSend(entry, LB_FINDSTRINGEXACT, GadgetIndex(-1),
                                  reinterpret_cast<LPARAM>(wide.c_str()));
  GadgetSend(entry, LB_SETCURSEL, GadgetIndex(static_cast<int32_t>(found)));
}

int64_t AddItem(GadgetEntry& entry, int32_t position, std::u16string_view text, int64_t) {
  const std::wstring wide = ToWide(text);
  GadgetSend(entry, LB_INSERTSTRING, GadgetIndex(position), reinterpret_cast<LPARAM>(wide.c_str()));
  return 0;
}

void RemoveItem(GadgetEntry& entry, int32_t index) {
  GadgetSend(entry, LB_DELETESTRING, GadgetIndex(index));
}

void ClearItems(GadgetEntry& entry) { GadgetSend(entry, LB_RESETCONTENT); }

int32_t CountItems(GadgetEntry& entry) {
  return static_cast<int32_t>(GadgetSend(entry, LB_GETCOUNT));
}

int64_t GetItemState(GadgetEntry& entry, int32_t index) {
  return GadgetSend(entry, LB_GETSEL, GadgetIndex(index)) > 0 ? 1 : 0;
}

void SetItemState(GadgetEntry& entry, int32_t index, int64_t state) {
  GadgetSend(entry, LB_SETSEL, state != 0 ? TRUE : FALSE, static_cast<LPARAM>(index));
}

void SetItemText(GadgetEntry& entry, int32_t index, std::u16string_view text, int32_t) {
  if (static_cast<int32_t>(GadgetSend(entry, LB_GETTEXTLEN, GadgetIndex(index))) == LB_ERR) return;
  const LRESULT data = GadgetSend(entry, LB_GETITEMDATA, GadgetIndex(index));
  const bool selected = static_cast<int32_t>(GadgetSend(entry, LB_GETCURSEL)) == index;
  const std::wstring wide = ToWide(text);
  GadgetSend(entry, LB_DELETESTRING, GadgetIndex(index));
  GadgetSend(entry, LB_INSERTSTRING, GadgetIndex(index), reinterpret_cast<LPARAM>(wide.c_str()));
  GadgetSend(entry, LB_SETITEMDATA, GadgetIndex(index), data);
  if (selected) GadgetSend(entry, LB_SETCURSEL, GadgetIndex(index));
}

void SetColor(GadgetEntry& entry, int32_t which, int64_t colour) {
  colour = static_cast<int32_t>(colour);  // a 32-bit colour, kept sign-extended
  if (which == ColorFront) {
    entry.word[kFrontColour] = colour;
  } else if (which == ColorBack) {
    Free(entry);
    entry.word[kBackColour] = colour;
    if (colour != -1) {
      entry.word[kBackBrush] =
          reinterpret_cast<intptr_t>(BrushAcquire(static_cast<COLORREF>(colour)));
    }
  } else {
    return;
  }
  InvalidateRect(GadgetHandle(entry), nullptr, TRUE);
}

int64_t GetColor(GadgetEntry& entry, int32_t which) {
  if (which == ColorFront) return entry.word[kFrontColour];
  if (which == ColorBack) return entry.word[kBackColour];
  return -1;
}

void SetItemData(GadgetEntry& entry, int32_t index, int64_t data) {
  GadgetSend(entry, LB_SETITEMDATA, GadgetIndex(index), static_cast<LPARAM>(data));
}

int64_t GetItemData(GadgetEntry& entry, int32_t index) {
  return GadgetSend(entry, LB_GETITEMDATA, GadgetIndex(index));
}

void FillKind(GadgetKind& kind) {
  kind.number = KindListView;
  kind.recordSize = GadgetKindRecordSize;
  kind.Notify = Notify;
  kind.Free = Free;
  kind.GetState = GetState;
  kind.SetState = SetState;
  kind.GetText = GetText;
  kind.SetText = SetText;
  kind.AddItem = AddItem;
  kind.RemoveItem = RemoveItem;
  kind.ClearItems = ClearItems;
  kind.CountItems = CountItems;
  kind.GetItemState = GetItemState;
  kind.SetItemState = SetItemState;
  kind.GetItemText = GetItemText;
  kind.SetItemText = SetItemText;
  kind.SetColor = SetColor;
  kind.GetColor = GetColor;
  kind.SetItemData = SetItemData;
  kind.GetItemData = GetItemData;
}

bool PressPending(HWND control, LPARAM* point) {
  const auto stored = reinterpret_cast<uintptr_t>(GetPropW(control, kMouseDownProperty));
  if ((stored & kMouseDownMarker) == 0) return false;
  *point = static_cast<LPARAM>(stored & 0xFFFFFFFF);
  return true;
}

void EndPress(HWND control) {
  ReleaseCapture();
  RemovePropW(control, kMouseDownProperty);
}

}  // namespace

int64_t ListViewCreate(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t flags) {
  GadgetTable* table = Gadgets();
  if (table == nullptr || number < ObjectAny) return 0;
  ListViewPart& shared = Shared();
  if (shared.kind.number == 0) {
    FillKind(shared.kind);
    shared.dragX = GetSystemMetrics(SM_CXDRAG);
    shared.dragY = GetSystemMetrics(SM_CYDRAG);
  }
  DpiScaleRect(x, y, width, height);
  HWND control = CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", nullptr,
                                 static_cast<DWORD>(flags) | kListViewStyle, x, y, width, height,
                                 GadgetParentWindow(), reinterpret_cast<HMENU>(intptr_t{-1}),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) {
    Win32Failure("CreateWindowExW");
    return 0;
  }
  GadgetEntry* entry = table->Allocate(number);  // a number in use loses its old gadget here
  entry->word[kBackColour] = -1;
  entry->word[kFrontColour] = -1;
  shared.classProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListBoxProcedure)));
  return GadgetRegister(number, entry, control, &shared.kind);
}

LRESULT CALLBACK ListBoxProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const ListViewPart& shared = Shared();
  LPARAM pressed = 0;
  switch (message) {
    case WM_LBUTTONDOWN: {
      if ((wParam & (MK_SHIFT | MK_CONTROL)) != 0) break;
      const LRESULT hit = SendMessageW(control, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) != 0) break;  // outside the items
      const bool extended = (GetWindowLongPtrW(control, GWL_STYLE) & LBS_EXTENDEDSEL) != 0;
      if (extended && SendMessageW(control, LB_GETSEL, LOWORD(hit), 0) <= 0) break;
      const auto point = static_cast<uintptr_t>(lParam) & 0xFFFFFFFF;
      SetPropW(control, kMouseDownProperty, reinterpret_cast<HANDLE>(point | kMouseDownMarker));
      SetCapture(control);
      if (extended) return 0;
      break;
    }
    case WM_MOUSEMOVE:
      if (PressPending(control, &pressed)) {
        const int dx = static_cast<int16_t>(LOWORD(lParam)) - static_cast<int16_t>(LOWORD(pressed));
        const int dy = static_cast<int16_t>(HIWORD(lParam)) - static_cast<int16_t>(HIWORD(pressed));
        if (dx > shared.dragX || dx < -shared.dragX || dy > shared.dragY || dy < -shared.dragY) {
          EndPress(control);
          GadgetEventRaise(control, EventTypeDragStart);
        }
      }
      break;
    case WM_LBUTTONUP:
      if (PressPending(control, &pressed)) {
        EndPress(control);
        GadgetEventRaise(control, EventTypeLeftClick);
      }
      break;
    case WM_RBUTTONUP:
      GadgetEventRaise(control, EventTypeRightClick);
      break;
    case WM_NCDESTROY:
      RemovePropW(control, kMouseDownProperty);
      break;
    default:
      break;
  }
  return CallWindowProcW(shared.classProcedure, control, message, wParam, lParam);
}

}  // namespace quorvel
