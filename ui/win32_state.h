// All process-wide state of the Win32 windowing layer, in one object: one part
// per file of the layer, declared in the order of the layer's start-up. The
// posting, filter, windows and gadgets parts are made by LayerStart and cleared
// in reverse order by LayerEnd (which also ends the clipboard's part, made on
// first use). What any control still alive may need stays: the list view's and
// the editor's class data, and the lasting part (libraries and fonts). The
// requesters' part is set up and cleared by each requester.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "runtime/digest.h"
#include "ui/gadget_kind.h"
#include "ui/registry.h"
#include "ui/win32_handle.h"

namespace quorvel {

// win32_post.cpp: the posting window and the records posted and not yet
// delivered. EventPost runs on any thread: the window and message are atomic
// and the set has a lock, never held while an event is raised.
struct PostingPart {
  std::atomic<HWND> window{nullptr};
  std::atomic<UINT> message{0};
  std::mutex lock;
  std::unordered_set<LPARAM> records;
};

// win32_window.cpp.
inline constexpr int32_t kGadgetParentStackCapacity = 10;

// The current gadget parent and its stack; a window that stops being current
// keeps its stack in its GadgetParentRecord.
struct GadgetParentState {
  HWND parent = nullptr;
  HWND stack[kGadgetParentStackCapacity] = {};
  int32_t count = 0;
};

struct GadgetParentRecord {
  HWND stack[kGadgetParentStackCapacity] = {};
  int32_t count = 0;
  WNDPROC previous = nullptr;
};

struct WindowsPart {
  std::unique_ptr<ObjectRegistry> registry;
  UniqueIcon icon;
  HCURSOR cursor = nullptr;
  int64_t (*gadgetHook)(HWND, UINT, WPARAM, LPARAM) = nullptr;
  // One record per window that has been a gadget parent, found by handle:
  // another program can set the window's "QV_GadgetStack_" property to any
  // value, so the property only marks the window.
  std::unordered_map<HWND, GadgetParentRecord> gadgetParents;
  GadgetParentState gadgetParent;
  std::wstring gadgetStackProperty;      // carries the module instance in decimal
  std::optional<bool> composition;       // the desktop composition probe, asked once
};

// win32_gadget.cpp.
struct SharedBrush {
  COLORREF colour = 0;
  UniqueGdiObject brush;
  int32_t count = 0;
};

struct GadgetsPart {
  std::mutex lock;  // guards the shared brushes only
  std::vector<SharedBrush> brushes;
  HFONT defaultFont = nullptr;
  HFONT currentFont = nullptr;
  std::optional<GadgetTable> table;
};

// win32_listview.cpp.
struct ListViewPart {
  GadgetKind kind{};
  WNDPROC classProcedure = nullptr;
  int32_t dragX = 0;
  int32_t dragY = 0;
};

// win32_editor.cpp.
// Border widths that the themed frame takes from the client area, one record
// per editor, marked on the control as "QV_ClientRect".
struct BorderWidths {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

using ThemeHandle = HANDLE;
struct ThemeFunctions {
  ThemeHandle(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
  HRESULT(WINAPI* CloseThemeData)(ThemeHandle) = nullptr;
  HRESULT(WINAPI* GetThemeBackgroundContentRect)
  (ThemeHandle, HDC, int, int, const RECT*, RECT*) = nullptr;
  BOOL(WINAPI* IsThemeBackgroundPartiallyTransparent)(ThemeHandle, int, int) = nullptr;
  HRESULT(WINAPI* DrawThemeParentBackground)(HWND, HDC, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeBackground)
  (ThemeHandle, HDC, int, int, const RECT*, const RECT*) = nullptr;
};

struct EditorPart {
  GadgetKind kind{};
  // The border records, found by the control's handle: another program can
  // set "QV_ClientRect" to any value, so the property only marks the control.
  std::unordered_map<HWND, BorderWidths> borders;
  WNDPROC classProcedure = nullptr;
  int32_t version = 0;
  bool themed = false;
  ThemeFunctions theme;
};

// win32_clipboard.cpp: one read of the clipboard, made by the reader thread
// for the loop's thread. Asking for data that another program renders on
// demand waits for that program; the wait happens on the reader thread, so the
// loop waits only as long as it chooses. Shared by the two threads (each holds
// a reference), so that a reader still waiting for another program when the
// layer ends keeps what it writes to. The events order the rest: the reader
// writes the result before it sets done, and the loop's thread reads it only
// after seeing done and before it asks again.
struct ClipboardReadJob {
  UniqueKernel ask;       // auto-reset: read once (or end, when end is set)
  UniqueKernel rendered;  // manual-reset: every call that waits for another program returned
  UniqueKernel done;      // manual-reset: the result is complete
  std::atomic<bool> end{false};
  bool opened = false;    // false: another program held the clipboard open
  uint32_t sequence = 0;  // taken once the clipboard was open
  std::u16string text;
  // The privacy markers' format numbers, registered at the first read (0
  // until then): the same for the whole session, so not asked on every read.
  UINT markers[3] = {};
  // The digest of the text last read beside a marker that could not be read.
  TextDigest withheld;
  bool hasWithheld = false;
};

// win32_clipboard.cpp: the program's message-only clipboard window and what
// it knows of clipboard changes. The window owns what the program writes to
// the clipboard and hears the system's change notification. One thread has
// windows: no locking.
struct ClipboardPart {
  UniqueWindow window;
  bool started = false;
  bool listening = false;  // the change notification reaches the window
  bool changed = true;
  uint32_t sequence = 0;
  ULONGLONG askedAt = 0;
  ULONGLONG pausedAt = 0;  // the notification was given up for a while (0: it was not)
  // The reader thread, made at the first read, and whether a read was asked
  // of it whose result the loop has not taken yet.
  std::shared_ptr<ClipboardReadJob> reader;
  UniqueKernel readerThread;
  bool reading = false;
};

// win32_requester.cpp.
struct SuspendedWindow {
  DWORD thread = 0;
  HWND window = nullptr;
  bool wasTopmost = false;
  bool disabledHere = false;
};

struct RequesterPart {
  // Suspended windows: one list, each thread touching only its own records.
  // The lock guards the list alone; it is never held across a call that
  // sends messages.
  std::mutex suspendedLock;
  std::vector<SuspendedWindow> suspended;
  // The input requester: one at a time per process.
  std::atomic<bool> busy{false};
  UniqueWindow dialog;
  HWND entry = nullptr;
  // Where the confirmed text goes, while InputDialog runs. Kept here rather
  // than in the window's user data, which another program can overwrite.
  std::u16string* result = nullptr;
  HWND owner = nullptr;
  bool ownerDisabled = false;
  bool closing = false;  // the close steps have run
  bool closed = false;   // the dialog received WM_DESTROY
};

// Libraries and objects that live as long as the process: controls of the
// libraries' classes, and controls using the fonts, may outlive the layer.
struct LastingPart {
  HMODULE comctl = nullptr;  // the classes it registers belong to it
  bool comctlLoaded = false;
  HMODULE msftedit = nullptr;
  HMODULE riched20 = nullptr;
  HMODULE uxtheme = nullptr;
  bool editorLibrariesLoaded = false;
  UniqueGdiObject gadgetFont;  // the gadgets' default font when it was made here
  UniqueGdiObject dialogFont;  // the input requester's, made on its first use
  bool dialogFontMade = false;
};

struct Win32Layer {
  bool started = false;
  void (*gadgetInit)() = nullptr;
  void (*gadgetEnd)() = nullptr;
  LastingPart lasting;
  PostingPart posting;
  UniqueHook filter;  // the queue filter of other programs' messages
  WindowsPart windows;
  GadgetsPart gadgets;
  ListViewPart listView;
  EditorPart editor;
  ClipboardPart clipboard;
  RequesterPart requester;
};

// The one layer object. Made on first use and never destroyed: controls can
// outlive every static destructor, and posts may come from other threads
// while the process exits.
[[nodiscard]] Win32Layer& Layer();

}  // namespace quorvel
