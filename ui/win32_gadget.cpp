// The gadget layer on Win32: registration, the common procedure with its
// clean-up, handle look-ups, gadget events, generic operations, brushes, fonts.
#include "ui/win32_gadget.h"

#include <mutex>
#include <optional>
#include <vector>

#include "ui/dpi.h"
#include "ui/layer.h"
#include "ui/win32_failure.h"
#include "ui/win32_foreign.h"
#include "ui/win32_library.h"
#include "ui/win32_state.h"
#include "ui/win32_text.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

constexpr wchar_t kIdProperty[] = L"QV_ID";
// A private message that gadget kinds may take from their parent window.
constexpr UINT kGadgetPrivateMessage = 13120;

// NOTE: NONCLIENTMETRICSW is asked for without its last member
// (iPaddedBorderWidth): the 500-byte form is the one every Windows version
// accepts; the missing member is not used here.
constexpr UINT kNonClientMetricsSize = 500;
static_assert(sizeof(NONCLIENTMETRICSW) >= kNonClientMetricsSize);

GadgetsPart& Library() { return Layer().gadgets; }

void FallbackHide(GadgetEntry& entry, bool hidden) {
  ShowWindow(GadgetHandle(entry), hidden ? SW_HIDE : SW_SHOW);
}

void FallbackFocus(GadgetEntry* entry) {
  SetFocus(entry != nullptr ? GadgetHandle(*entry) : nullptr);
}

void FallbackSetText(GadgetEntry& entry, std::u16string_view text) {
  SetWindowTextW(GadgetHandle(entry), ToWide(text).c_str());
}

// The number of the gadget whose control this is, else -1. The control ID
// names it, but another program can change a control's ID (and its "QV_ID"):
// the registry, whose entries hold the handles, has the last word.
int64_t GadgetNumberOf(GadgetTable& table, HWND control) {
  if (control == nullptr) return -1;
  const int64_t id = GetWindowLongPtrW(control, GWLP_ID);
  if (const GadgetEntry* entry = id == -1 ? nullptr : table.Lookup(id);
      entry != nullptr && GadgetHandle(*entry) == control) {
    return id;
  }
  return table.Registry().RegistryFind([control](const void* record) {
    return GadgetHandle(*static_cast<const GadgetEntry*>(record)) == control;
  });
}

HFONT MakeDefaultFont(UniqueGdiObject& created) {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = kNonClientMetricsSize;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
    Win32Failure("SystemParametersInfoW");
    return font;
  }
  if (HFONT message = CreateFontIndirectW(&metrics.lfMessageFont); message != nullptr) {
    created.reset(message);
    font = message;
  } else {
    Win32Failure("CreateFontIndirectW");
  }
  return font;
}

}  // namespace

void GadgetLibraryInit() {
  GadgetsPart& library = Library();
  if (library.table) return;
  // A font made by an earlier start stays the default: controls may still use it.
  UniqueGdiObject& made = Layer().lasting.gadgetFont;
  library.defaultFont = made ? static_cast<HFONT>(made.get()) : MakeDefaultFont(made);
  library.table.emplace(LayerEvents(), GadgetFree,
                        GadgetFallbacks{FallbackHide, FallbackFocus, FallbackSetText});
  library.currentFont = library.defaultFont;
  CommonControlsInit(0xB48);
  SetGadgetMessageHook(GadgetOfferMessage);
}

void GadgetLibraryEnd() {
  // The gadgets go later, with their windows. Only a font scaled for a dense
  // screen is released here; otherwise the default font lives as long as the
  // process, for the controls that still use it.
  const PixelDensity& dpi = Dpi();
  if (dpi.aware && (dpi.scaleX != 1.0 || dpi.scaleY != 1.0)) Layer().lasting.gadgetFont.reset();
}

GadgetTable* Gadgets() {
  GadgetsPart& library = Library();
  return library.table ? &*library.table : nullptr;
}

HFONT GadgetCurrentFont() { return Library().currentFont; }

HFONT GadgetDefaultFont() { return Library().defaultFont; }

void GadgetFree(int64_t number) {
  GadgetTable* table = Gadgets();
  if (table == nullptr) return;
  if (number == -1) {
    table->Registry().RegistryReleaseAll();
    return;
  }
  if (GadgetEntry* entry = table->Lookup(number); entry != nullptr) {
    DestroyOwnWindow(GadgetHandle(*entry));
  }
}

int64_t GadgetRegister(int64_t number, GadgetEntry* entry, HWND control, const GadgetKind* kind) {
  entry->handle = control;
  entry->kind = kind;
  entry->previousProcedure = reinterpret_cast<void*>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GadgetProcedure)));
  const bool dynamic = number == ObjectAny;
  if (dynamic) number = GadgetTable::DynamicNumber(entry);
  SetWindowLongPtrW(control, GWLP_ID, static_cast<LONG_PTR>(number));
  SetPropW(control, kIdProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number)));
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GadgetCurrentFont()), TRUE);
  return dynamic ? number : static_cast<int64_t>(reinterpret_cast<intptr_t>(control));
}

LRESULT CALLBACK GadgetProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  // The outermost procedure of every gadget: what other programs may not do
  // to a control stops here, before the kind's and the system class's.
  if (ForeignSendRefused(message, lParam, ForeignTarget::Window)) return 0;
  GadgetTable* table = Gadgets();
  const int64_t number = table != nullptr ? GadgetNumberOf(*table, control) : -1;
  const GadgetEntry* entry = number == -1 ? nullptr : table->Lookup(number);
  // A control that is no longer a gadget has no procedure of ours to go to.
  if (entry == nullptr) return DefWindowProcW(control, message, wParam, lParam);
  const auto previous = reinterpret_cast<WNDPROC>(entry->previousProcedure);
  const LRESULT result = CallWindowProcW(previous, control, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    RemovePropW(control, kIdProperty);
    SetWindowLongPtrW(control, GWLP_ID, -1);
    table->Forget(number);
  }
  return result;
}

GadgetEntry* GadgetFromHandle(HWND handle) {
  GadgetTable* table = Gadgets();
  if (handle == nullptr || table == nullptr) return nullptr;
  const int64_t number = GadgetNumberOf(*table, handle);
  return number == -1 ? nullptr : table->Lookup(number);
}

HWND GadgetOwnerWindow(HWND control) {
  HWND window = control;
  for (HWND parent = GetParent(window); parent != nullptr; parent = GetParent(window)) {
    if (GetPropW(window, kWindowNumberProperty) != nullptr) return window;
    window = parent;
  }
  return window;
}

void GadgetEventRaise(HWND control, int64_t type) {
  const int64_t number = GetWindowLongPtrW(control, GWLP_ID);
  if (number == -1) return;
  const int64_t window = WindowNumberClaimed(GadgetOwnerWindow(control));
  LayerEvents().EventRaise(EventGadgetNotify, number, window, type, 0);
}

int64_t GadgetOfferMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = nullptr;
  if (message == WM_NOTIFY) {
    // Only a notification that a control of this thread sent gets here: the
    // window procedures drop one sent from another thread, and the queue
    // filter a posted one, so the header is ours to read.
    if (lParam != 0) control = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
  } else if (message == WM_COMMAND || message == WM_HSCROLL || message == WM_VSCROLL ||
             message == kGadgetPrivateMessage ||
             (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)) {
    control = reinterpret_cast<HWND>(lParam);
  } else {
    return NotHandled;
  }
  GadgetEntry* entry = GadgetFromHandle(control);
  if (entry == nullptr || entry->kind->Notify == nullptr) return NotHandled;
  return entry->kind->Notify(*entry, window, message, wParam, lParam);
}

void GadgetResize(GadgetEntry& entry, int32_t x, int32_t y, int32_t width, int32_t height) {
  HWND control = GadgetHandle(entry);
  const GadgetKind& kind = *entry.kind;
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  auto pick = [&entry](int32_t given, int32_t (*fromKind)(GadgetEntry&), int32_t fromRect,
                       int32_t (*scale)(int32_t)) {
    if (given != GadgetSizeUnchanged) return scale(given);
    return fromKind != nullptr ? fromKind(entry) : fromRect;
  };
  x = pick(x, kind.GetX, rect.left, DpiScaleX);
  y = pick(y, kind.GetY, rect.top, DpiScaleY);
  width = pick(width, kind.GetWidth, rect.right - rect.left, DpiScaleX);
  height = pick(height, kind.GetHeight, rect.bottom - rect.top, DpiScaleY);
  MoveWindow(control, x, y, width, height, TRUE);
  InvalidateRect(control, nullptr, FALSE);
  if (kind.number == 1)
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
}

HBRUSH BrushAcquire(COLORREF colour) {
  GadgetsPart& library = Library();
  std::lock_guard<std::mutex> locked(library.lock);
  for (SharedBrush& shared : library.brushes) {
    if (shared.colour == colour) {
      ++shared.count;
      return static_cast<HBRUSH>(shared.brush.get());
    }
  }
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush == nullptr) {
    Win32Failure("CreateSolidBrush");
    return nullptr;
  }
  library.brushes.push_back(SharedBrush{colour, UniqueGdiObject(brush), 1});
  return brush;
}

void BrushRelease(HBRUSH brush) {
  GadgetsPart& library = Library();
  std::lock_guard<std::mutex> locked(library.lock);
  for (auto shared = library.brushes.begin(); shared != library.brushes.end(); ++shared) {
    if (shared->brush.get() != brush) continue;
    if (--shared->count == 0) library.brushes.erase(shared);  // deletes the brush
    return;
  }
}

void GadgetSetHidden(int64_t number, int64_t hidden) {
  if (GadgetTable* table = Gadgets()) table->SetHidden(number, hidden);
}

void GadgetFocus(int64_t number) {
  if (GadgetTable* table = Gadgets()) table->Focus(number);
}

int64_t GadgetGetState(int64_t number) {
  GadgetTable* table = Gadgets();
  return table != nullptr ? table->GetState(number) : 0;
}

void GadgetSetState(int64_t number, int64_t state) {
  if (GadgetTable* table = Gadgets()) table->SetState(number, state);
}

int64_t GadgetItemCount(int64_t number) {
  GadgetTable* table = Gadgets();
  return table != nullptr ? table->ItemCount(number) : 0;
}

void GadgetClearItems(int64_t number) {
  if (GadgetTable* table = Gadgets()) table->ClearItems(number);
}

void GadgetRemoveItem(int64_t number, int64_t index) {
  if (GadgetTable* table = Gadgets()) table->RemoveItem(number, index);
}

void GadgetSetText(int64_t number, std::u16string_view text) {
  if (GadgetTable* table = Gadgets()) table->SetText(number, text);
}

int64_t GadgetAddItem(int64_t number, int64_t position, std::u16string_view text) {
  GadgetTable* table = Gadgets();
  return table != nullptr ? table->AddItem(number, position, text) : 0;
}

std::u16string GadgetItemText(int64_t number, int64_t index, int64_t column) {
  GadgetTable* table = Gadgets();
  return table != nullptr ? table->ItemText(number, index, column) : std::u16string();
}

}  // namespace quorvel
