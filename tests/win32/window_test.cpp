// Numbered windows under Wine: how WindowOpen creates them, hiding and
// showing, reopening and closing a number, dynamic ids, sizes, centring and
// the gadget parent.
#include "ui/win32_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/layer.h"
#include "ui/registry.h"
#include "ui/win32_events.h"
#include "ui/win32_layer.h"
#include "ui/win32_post.h"
#include "win32/win32_bench.h"

namespace quorvel {
namespace {

// The style and extended style that CreateWindowExW was called with, per
// class name, as a computer-based-training hook sees them before the system
// adds styles of its own.
struct CreatedWindow {
  std::wstring className;
  LONG style = 0;
  DWORD exStyle = 0;
};
std::vector<CreatedWindow>* gCreated = nullptr;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && gCreated != nullptr) {
    const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    wchar_t name[64] = {};
    GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64);
    gCreated->push_back({name, cs->style, cs->dwExStyle});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class WindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { LayerStart(); }

  void SetUp() override {
    gCreated = &created_;
    hook_ = SetWindowsHookExW(WH_CBT, RecordCreation, nullptr, GetCurrentThreadId());
  }

  void TearDown() override {
    UnhookWindowsHookEx(hook_);
    gCreated = nullptr;
    WindowClose(-1);
    while (EventNext(0) != 0) {
    }
  }

  const CreatedWindow* Created(const std::wstring& className) const {
    for (const CreatedWindow& c : created_) {
      if (c.className == className) return &c;
    }
    return nullptr;
  }

  static intptr_t WindowIdProperty(HWND window) {
    return reinterpret_cast<intptr_t>(GetPropW(window, L"QV_WindowID"));
  }

  std::vector<CreatedWindow> created_;
  HHOOK hook_ = nullptr;
};

TEST_F(WindowTest, TheApplicationsWindowOpensInvisibleMaximisedAndNumbered) {
  const int64_t result = WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001);
  HWND window = WindowHandle(0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(result, reinterpret_cast<intptr_t>(window));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(IsZoomed(window));
  EXPECT_EQ(WindowIdProperty(window), 1);
  EXPECT_EQ(ClassOf(window), L"WindowClass_0");
  const CreatedWindow* created = Created(L"WindowClass_0");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(static_cast<DWORD>(created->style), 0x01000000u);
  EXPECT_EQ(created->exStyle, 0u);
  EXPECT_EQ(WindowText(window), u"quorvel");
  // NOTE: the system gives an overlapped window WS_CAPTION and WS_CLIPSIBLINGS
  // of its own (observed under Wine: style 0x05C00000, extended style
  // WS_EX_WINDOWEDGE), so the style read back is not the one passed; the hook
  // above sees what CreateWindowExW was given.
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_MAXIMIZE, WS_MAXIMIZE);
}

TEST_F(WindowTest, ToolWindowFlagGivesTheToolWindowExtendedStyle) {
  WindowOpen(2, 10, 10, 200, 100, u"tool", 0x11000004);
  ASSERT_NE(Created(L"WindowClass_2"), nullptr);
  EXPECT_EQ(static_cast<DWORD>(Created(L"WindowClass_2")->style), 0x00C00000u);
  // NOTE: Wine adds WS_EX_WINDOWEDGE (0x100) to a captioned window's extended
  // style before the hook sees it (observed: 0x180 for WS_EX_TOOLWINDOW).
  EXPECT_EQ(Created(L"WindowClass_2")->exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE),
            static_cast<DWORD>(WS_EX_TOOLWINDOW));
  EXPECT_FALSE(IsZoomed(WindowHandle(2)));
}

// NOTE: under Wine with openbox the shown window reports IsZoomed but keeps
// its requested size (observed: outer 406 x 425, client 400 x 400, centred);
// Windows fills the work area. Only the zoomed state is asserted.
TEST_F(WindowTest, HidingAndShowingAgainRestoresTheWindowMaximised) {
  WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001);
  HWND window = WindowHandle(0);
  WindowSetHidden(0, 0);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsZoomed(window));
  WindowSetHidden(0, 1);
  EXPECT_FALSE(IsWindowVisible(window));
  WindowSetHidden(0, 0);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsZoomed(window));
  WindowSetHidden(0, 2);  // any non-zero value hides
  EXPECT_FALSE(IsWindowVisible(window));
  WindowSetHidden(7, 0);  // a number that is not open: nothing happens
}

TEST_F(WindowTest, ActiveWindowNumberNamesOnlyNumberedWindowsOfThisProcess) {
  WindowOpen(3, 50, 50, 200, 100, u"three", 0);
  HWND window = WindowHandle(3);
  SetForegroundWindow(window);
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_EQ(ActiveWindowNumber(), 3);

  // A window of this process that carries no number.
  HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                               200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(plain, nullptr);
  SetForegroundWindow(plain);
  EXPECT_EQ(GetForegroundWindow(), plain);
  EXPECT_EQ(ActiveWindowNumber(), -1);
  DestroyWindow(plain);
}

TEST_F(WindowTest, OpeningANumberAgainClosesTheFirstWindow) {
  WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001);
  HWND first = WindowHandle(0);
  const int64_t second = WindowOpen(0, 0, 0, 400, 400, u"again", 0x11000001);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_NE(second, 0);
  EXPECT_EQ(reinterpret_cast<intptr_t>(WindowHandle(0)), second);
  EXPECT_EQ(ClassOf(WindowHandle(0)), L"WindowClass_0");
}

TEST_F(WindowTest, ClosingAWindowLeavesNoHandleAndNoEventOfIt) {
  WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001);
  WindowOpen(1, 0, 0, 200, 200, u"other", 0x10000000);
  LayerEvents().EventRaise(EventCloseRequest, 0, 0, 0, 0);
  LayerEvents().EventRaise(EventCloseRequest, 1, 1, 0, 0);
  LayerEvents().EventRaise(EventMenuCommand, 4, 0, 0, 0);
  HWND window = WindowHandle(0);
  WindowClose(0);
  EXPECT_EQ(WindowHandle(0), nullptr);
  EXPECT_FALSE(IsWindow(window));
  const std::vector<Event> left = LayerEvents().Snapshot();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].window, 1);
  EXPECT_EQ(WindowClientWidth(0), 0);
  EXPECT_EQ(ShortcutAdd(0, 27, 2), nullptr);
  WindowClose(0);  // closing again does nothing
}

TEST_F(WindowTest, DynamicIdsNameTheirWindowsUntilClosed) {
  const int64_t a = WindowOpen(ObjectAny, 10, 10, 200, 100, u"a", 0x10000000);
  const int64_t b = WindowOpen(ObjectAny, 10, 10, 200, 100, u"b", 0x10000000);
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  HWND windowA = WindowHandle(a);
  ASSERT_NE(windowA, nullptr);
  EXPECT_NE(reinterpret_cast<intptr_t>(windowA), a);
  EXPECT_EQ(WindowIdProperty(windowA), a + 1);
  EXPECT_EQ(ClassOf(windowA), L"WindowClass_" + std::to_wstring(a));
  EXPECT_EQ(WindowNumberOf(windowA), a);
  WindowClose(a);
  EXPECT_EQ(WindowHandle(a), nullptr);
  EXPECT_NE(WindowHandle(b), nullptr);
}

TEST_F(WindowTest, TheClientAreaHasTheRequestedSize) {
  WindowOpen(2, 20, 30, 320, 240, u"sized", 0x10CF0000);  // caption, frame, boxes
  EXPECT_EQ(WindowClientWidth(2), 320);
  EXPECT_EQ(WindowClientHeight(2), 240);
  RECT outer{};
  GetWindowRect(WindowHandle(2), &outer);
  EXPECT_EQ(WindowClientWidth(2, 0), outer.right - outer.left);
  EXPECT_EQ(WindowClientHeight(2, 0), outer.bottom - outer.top);
  EXPECT_EQ(WindowClientWidth(9), 0);
  EXPECT_EQ(WindowClientHeight(9), 0);
}

TEST_F(WindowTest, ScreenCentringPlacesTheOuterRectangleInTheMiddle) {
  WindowOpen(2, 0, 0, 400, 300, u"centred", 0x10000001);
  RECT r{};
  GetWindowRect(WindowHandle(2), &r);
  const int sw = GetSystemMetrics(SM_CXSCREEN);
  const int sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(r.left, (sw - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (sh - (r.bottom - r.top)) / 2);

  // Owner centring without an owner does nothing.
  WindowCenter(WindowHandle(2), 0x2, nullptr);
  RECT same{};
  GetWindowRect(WindowHandle(2), &same);
  EXPECT_EQ(same.left, r.left);
}

TEST_F(WindowTest, OpeningAVisibleWindowRaisesNoMoveOrSizeEvent) {
  while (EventNext(0) != 0) {
  }
  WindowOpen(2, 40, 40, 300, 200, u"visible", 0);
  EXPECT_TRUE(IsWindowVisible(WindowHandle(2)));
  for (const Event& e : LayerEvents().Snapshot()) {
    EXPECT_NE(e.code, EventWindowMoved);
    EXPECT_NE(e.code, EventWindowResized);
  }
}

TEST_F(WindowTest, EachNewWindowBecomesTheGadgetParentUnlessAskedNot) {
  WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001);
  HWND first = WindowHandle(0);
  EXPECT_EQ(GadgetParentWindow(), first);
  const std::wstring property =
      L"QV_GadgetStack_" + std::to_wstring(reinterpret_cast<intptr_t>(GetModuleHandleW(nullptr)));
  EXPECT_NE(GetPropW(first, property.c_str()), nullptr);

  WindowOpen(1, 0, 0, 200, 200, u"no parent", 0x10000008);
  EXPECT_EQ(GadgetParentWindow(), first);
  WindowOpen(2, 0, 0, 200, 200, u"parent", 0x10000000);
  HWND second = WindowHandle(2);
  EXPECT_EQ(GadgetParentWindow(), second);

  EXPECT_EQ(GadgetParentSet(first), second);
  EXPECT_EQ(GadgetParentWindow(), first);
  // The subclassed window still reaches the window procedure.
  PostMessageW(first, WM_CLOSE, 0, 0);
  int64_t code = 0;
  for (int i = 0; i < 10 && code != EventCloseRequest; ++i) code = EventNext(1);
  EXPECT_EQ(code, EventCloseRequest);

  WindowClose(0);
  EXPECT_EQ(GadgetParentWindow(), nullptr);
}

TEST_F(WindowTest, TheLayerEndsWithEverythingItMadeAndStartsAgainClean) {
  ASSERT_NE(WindowOpen(4, 0, 0, 200, 200, u"before", 0x10000000), 0);
  HWND before = WindowHandle(4);
  ASSERT_NE(ShortcutAdd(4, 'K' | ShortcutControl, 9), nullptr);
  ASSERT_EQ(EventPost(EventMenuCommand, 0, 1, 0), 1);
  LayerEnd();
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(WindowLookup(4), nullptr);
  EXPECT_EQ(PostEventWindow(), nullptr);
  EXPECT_EQ(EventPost(EventMenuCommand, 0, 2, 0), 0);

  LayerStart();
  EXPECT_EQ(WindowLookup(4), nullptr);
  ASSERT_NE(PostEventWindow(), nullptr);
  ASSERT_NE(WindowOpen(4, 0, 0, 200, 200, u"after", 0x10000000), 0);
  // The reopened window's table holds the two Tab rows alone again.
  const WindowRecord* record = WindowLookup(4);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(record->accelerator.get(), nullptr, 0), 2);
}

}  // namespace
}  // namespace quorvel
