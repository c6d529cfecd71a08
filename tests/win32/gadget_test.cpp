// The list view and the editor on real Win32 controls under Wine, beyond the
// platform contract: rich-looking and huge texts, pastes, editor lines, numbers
// reused and destroyed, focus and its events, notifications, drag detection,
// shared brushes, handle look-ups, and what other programs may not do to a gadget.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/editor_text.h"
#include "ui/layer.h"
#include "ui/win32_editor.h"
#include "ui/win32_gadget.h"
#include "ui/win32_layer.h"
#include "ui/win32_listview.h"
#include "ui/win32_text.h"
#include "ui/win32_window.h"
#include "win32/win32_bench.h"

namespace quorvel {
namespace {

constexpr wchar_t kParentClass[] = L"QuorvelGadgetTestParent";
constexpr int64_t kWindowNumber = 5;  // "QV_WindowID" of the test parent is 6

// A plain parent window that hands its controls' messages to the gadget
// layer, as a numbered window's procedure does.
LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) RemovePropW(window, L"QV_WindowID");
  const int64_t answer = GadgetOfferMessage(window, message, wParam, lParam);
  if (answer != NotHandled) return static_cast<LRESULT>(answer);
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeParent(bool numbered) {
  HWND parent =
      CreateWindowExW(0, kParentClass, L"gadget test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                      420, 320, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (numbered) SetPropW(parent, L"QV_WindowID", reinterpret_cast<HANDLE>(kWindowNumber + 1));
  return parent;
}

// The editor's text as EM_GETTEXTEX gives it: a line end as a lone CR.
std::u16string TextExOf(HWND editor) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(editor)) + 1, L'\0');
  GETTEXTEX how{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr,
                nullptr};
  const LRESULT copied = SendMessageW(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return FromWide(text);
}

// A key press that reaches the control while a modifier key is held down.
void KeyDownWith(HWND control, int modifier, WPARAM key) {
  BYTE state[256] = {};
  state[modifier] = 0x80;
  SetKeyboardState(state);
  SendMessageW(control, WM_KEYDOWN, key, 1);
  state[modifier] = 0;
  SetKeyboardState(state);
}

HWND Handle(int64_t created) { return reinterpret_cast<HWND>(static_cast<intptr_t>(created)); }

// The queued gadget events as (object, window, type) triples.
struct Notice {
  int64_t object;
  int64_t window;
  int64_t type;
  friend bool operator==(const Notice&, const Notice&) = default;
};
std::vector<Notice> GadgetNotices() {
  std::vector<Notice> notices;
  for (const Event& e : LayerEvents().Snapshot()) {
    if (e.code == EventGadgetNotify) notices.push_back({e.object, e.window, e.type});
  }
  return notices;
}
void ClearEvents() { LayerEvents().EventDiscard(-1, -1, -1, -1); }

std::vector<std::u16string> Items(int64_t gadget) {
  std::vector<std::u16string> items;
  for (int64_t i = 0; i < GadgetItemCount(gadget); ++i) items.push_back(GadgetItemText(gadget, i));
  return items;
}

class GadgetTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    GadgetLibraryInit();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ParentProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kParentClass;
    RegisterClassW(&windowClass);
  }

  void SetUp() override {
    parent_ = MakeParent(true);
    ASSERT_NE(parent_, nullptr);
    GadgetParentSet(parent_);
    ClearEvents();
  }

  void TearDown() override {
    DestroyWindow(parent_);
    EXPECT_EQ(LayerEvents().SuppressCount(), 0);
    ClearEvents();
  }

  HWND List(int64_t number = 0) { return Handle(ListViewCreate(number, 0, 0, 300, 200)); }
  HWND Editor(int64_t number = 1) { return Handle(EditorCreate(number, 0, 0, 300, 200)); }

  HWND parent_ = nullptr;
};

TEST_F(GadgetTest, SecondCreationReplacesTheFirst) {
  HWND first = List();
  ASSERT_NE(first, nullptr);
  GadgetAddItem(0, -1, u"old");
  HWND other = List(3);
  GadgetEventRaise(first, EventTypeLeftClick);
  GadgetEventRaise(other, EventTypeLeftClick);
  GadgetEventRaise(first, EventTypeRightClick);
  HWND second = List();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(IsWindow(second));
  EXPECT_EQ(GadgetItemCount(0), 0);
  EXPECT_EQ(GetPropW(second, L"QV_ID"), nullptr);  // number 0
  EXPECT_EQ(GetWindowLongPtrW(second, GWLP_ID), 0);
  EXPECT_EQ(GadgetNotices(), (std::vector<Notice>{{3, kWindowNumber, EventTypeLeftClick}}));

  // Destroying the control frees the number and drops its queued events.
  GadgetEventRaise(second, EventTypeRightClick);
  DestroyWindow(second);
  EXPECT_EQ(GadgetItemCount(0), 0);
  EXPECT_EQ(GadgetGetState(0), 0);
  EXPECT_EQ(GadgetNotices().size(), 1u);
  EXPECT_EQ(GadgetFromHandle(other), Gadgets()->Lookup(3));
}

TEST_F(GadgetTest, DynamicNumbers) {
  const int64_t number = ListViewCreate(ObjectAny, 0, 0, 100, 100);
  ASSERT_NE(number, 0);
  const GadgetEntry* entry = Gadgets()->Lookup(number);
  ASSERT_NE(entry, nullptr);
  HWND control = GadgetHandle(*entry);
  EXPECT_EQ(GetWindowLongPtrW(control, GWLP_ID), number);
  EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropW(control, L"QV_ID")), number);
  GadgetAddItem(number, -1, u"x");
  EXPECT_EQ(GadgetItemCount(number), 1);
  GadgetFree(number);
  EXPECT_FALSE(IsWindow(control));
  EXPECT_EQ(Gadgets()->Lookup(number), nullptr);
}

TEST_F(GadgetTest, HideShowAndFocus) {
  HWND list = List();
  HWND editor = Editor();
  ASSERT_NE(editor, nullptr);
  GadgetSetHidden(0, 2);
  EXPECT_FALSE(IsWindowVisible(list));
  GadgetSetHidden(0, 0);
  EXPECT_TRUE(IsWindowVisible(list));

  ClearEvents();
  GadgetFocus(1);
  EXPECT_EQ(GetFocus(), editor);
  GadgetFocus(0);
  EXPECT_EQ(GetFocus(), list);
  GadgetFocus(-1);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GadgetNotices(), (std::vector<Notice>{{1, kWindowNumber, EventTypeFocus},
                                                  {1, kWindowNumber, EventTypeLostFocus}}));
}

TEST_F(GadgetTest, EventsOfAWindowWithoutNumberGoToWindowMinusOne) {
  HWND plain = MakeParent(false);
  GadgetParentSet(plain);
  HWND list = List(2);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(GadgetOwnerWindow(list), plain);
  GadgetEventRaise(list, EventTypeRightClick);
  EXPECT_EQ(GadgetNotices(), (std::vector<Notice>{{2, -1, EventTypeRightClick}}));
  DestroyWindow(plain);
  EXPECT_EQ(GadgetNotices().size(), 0u);
}

TEST_F(GadgetTest, ListNotificationsBecomeEvents) {
  HWND list = List();
  ASSERT_NE(list, nullptr);
  const struct {
    WORD code;
    std::vector<Notice> expected;
  } cases[] = {
      {LBN_SELCHANGE, {{0, kWindowNumber, EventTypeLeftClick}}},
      {LBN_DBLCLK, {{0, kWindowNumber, EventTypeLeftDoubleClick}}},
      {LBN_SETFOCUS, {}},
  };
  for (const auto& c : cases) {
    ClearEvents();
    const LRESULT answer =
        SendMessageW(parent_, WM_COMMAND, MAKEWPARAM(0, c.code), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(GadgetNotices(), c.expected) << c.code;
  }
  // Changes made for the program raise nothing.
  ClearEvents();
  GadgetAddItem(0, -1, u"a");
  GadgetSetState(0, 0);
  EXPECT_TRUE(GadgetNotices().empty());
  // A message from a control that is no gadget is left to the window.
  EXPECT_EQ(GadgetOfferMessage(parent_, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), 0), NotHandled);
  EXPECT_EQ(GadgetOfferMessage(parent_, WM_SIZE, 0, reinterpret_cast<LPARAM>(list)), NotHandled);
}

TEST_F(GadgetTest, PressAndMoveBeyondTheThresholdStartsADrag) {
  HWND list = List();
  ASSERT_NE(list, nullptr);
  for (const char16_t* text : {u"a", u"b", u"c"}) GadgetAddItem(0, -1, text);
  const int dragX = GetSystemMetrics(SM_CXDRAG);
  const int dragY = GetSystemMetrics(SM_CYDRAG);
  auto pending = [list] { return GetPropW(list, L"QV_MouseDown") != nullptr; };
  auto drags = [] {
    int count = 0;
    for (const Notice& n : GadgetNotices()) count += n.type == EventTypeDragStart;
    return count;
  };

  // A press on the top-left pixel (the point packs to 0) counts too.
  for (const POINT press : {POINT{5, 5}, POINT{0, 0}}) {
    ClearEvents();
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    ASSERT_TRUE(pending());
    SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x + dragX, press.y + dragY));
    EXPECT_TRUE(pending());
    EXPECT_EQ(drags(), 0);
    SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x, press.y + dragY + 1));
    EXPECT_FALSE(pending());
    EXPECT_EQ(drags(), 1);
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(press.x, press.y + dragY + 1));
  }

  // A press with Shift or Ctrl starts nothing; a plain press and release clicks.
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, 5));
  EXPECT_FALSE(pending());
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(5, 5));
  EXPECT_FALSE(pending());
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ClearEvents();
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(pending());
  const std::vector<Notice> clicks = GadgetNotices();
  ASSERT_FALSE(clicks.empty());
  EXPECT_EQ(clicks.front(), (Notice{0, kWindowNumber, EventTypeLeftClick}));
  ClearEvents();
  SendMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GadgetNotices(), (std::vector<Notice>{{0, kWindowNumber, EventTypeRightClick}}));
  // Below the last item there is nothing to drag.
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 190));
  EXPECT_FALSE(pending());
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(5, 190));
}

TEST_F(GadgetTest, BrushesAreSharedAndCounted) {
  HBRUSH first = BrushAcquire(RGB(1, 2, 3));
  HBRUSH again = BrushAcquire(RGB(1, 2, 3));
  HBRUSH other = BrushAcquire(RGB(3, 2, 1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
  BrushRelease(first);
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
  BrushRelease(reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));  // not shared: ignored
  BrushRelease(first);
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(GetObjectType(other), static_cast<DWORD>(OBJ_BRUSH));
  BrushRelease(other);
}

TEST_F(GadgetTest, ListColoursUseASharedBrushUntilTheListGoes) {
  HWND list = List();
  GadgetEntry* entry = GadgetFromHandle(list);
  ASSERT_NE(entry, nullptr);
  HDC dc = GetDC(list);
  // Neither colour set: the system paints.
  EXPECT_EQ(GadgetOfferMessage(parent_, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(list)),
            NotHandled);
  entry->kind->SetColor(*entry, ColorBack, RGB(10, 20, 30));
  EXPECT_EQ(entry->kind->GetColor(*entry, ColorBack), RGB(10, 20, 30));
  const auto brush = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(SendMessageW(
      parent_, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(list))));
  EXPECT_EQ(GetBkColor(dc), RGB(10, 20, 30));
  LOGBRUSH shape{};
  ASSERT_EQ(GetObjectW(brush, sizeof shape, &shape), static_cast<int>(sizeof shape));
  EXPECT_EQ(shape.lbColor, RGB(10, 20, 30));
  EXPECT_EQ(BrushAcquire(RGB(10, 20, 30)), brush);
  BrushRelease(brush);
  ReleaseDC(list, dc);
  DestroyWindow(list);  // the list's Free releases its brush
  EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST_F(GadgetTest, FromHandleNeedsMatchingIdAndRegistration) {
  HWND list = List();
  ASSERT_NE(list, nullptr);
  EXPECT_NE(GadgetFromHandle(list), nullptr);
  HWND plain =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent_,
                      reinterpret_cast<HMENU>(intptr_t{4}), GetModuleHandleW(nullptr), nullptr);
  HWND zero = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent_, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(plain, nullptr);
  List(4);
  SetPropW(plain, L"QV_ID", reinterpret_cast<HANDLE>(3));
  EXPECT_EQ(GadgetFromHandle(plain), nullptr);  // "QV_ID" differs from the ID
  SetPropW(plain, L"QV_ID", reinterpret_cast<HANDLE>(4));
  EXPECT_EQ(GadgetFromHandle(plain), nullptr);  // gadget 4 is another control
  EXPECT_EQ(GetWindowLongPtrW(zero, GWLP_ID), 0);
  EXPECT_EQ(GadgetFromHandle(zero), nullptr);  // ID 0 without "QV_ID" is not gadget 0
  EXPECT_EQ(GadgetFromHandle(nullptr), nullptr);
  // Its notifications are not offered to gadget 0's kind.
  EXPECT_EQ(GadgetOfferMessage(parent_, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(zero)),
            NotHandled);
  RemovePropW(plain, L"QV_ID");
}

TEST_F(GadgetTest, AnotherThreadMayReadAListButNotChangeOrEndIt) {
  HWND list = List();
  HWND editor = Editor();
  ASSERT_NE(list, nullptr);
  ASSERT_NE(editor, nullptr);
  for (const char16_t* text : {u"a", u"b"}) GadgetAddItem(0, -1, text);
  // What another program can change: the ID and "QV_ID" through which a
  // control names its gadget, and the editor's border record.
  SetWindowLongPtrW(list, GWLP_ID, 1);
  SetPropW(list, L"QV_ID", reinterpret_cast<HANDLE>(intptr_t{1}));
  SetPropW(editor, L"QV_ClientRect", reinterpret_cast<HANDLE>(intptr_t{0x40}));
  DWORD_PTR count = 0;
  OnAnotherThread([&] {
    auto send = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(w, message, wParam, lParam, SMTO_NORMAL, 2000, &answer);
      return answer;
    };
    for (UINT message :
         {UINT{LB_RESETCONTENT}, UINT{LB_DELETESTRING}, UINT{WM_SETREDRAW}, UINT{WM_NCDESTROY}}) {
      send(list, message, 0, 0);
    }
    send(editor, EM_STREAMIN, SF_TEXT, 0x40);  // an EDITSTREAM pointer of its own choosing
    send(editor, WM_NCDESTROY, 0, 0);
    count = send(list, LB_GETCOUNT, 0, 0);
  });
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(Items(0), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_NE(GadgetFromHandle(list), nullptr);
  EXPECT_NE(GadgetFromHandle(list), GadgetFromHandle(editor));
  GadgetSetText(1, u"still an editor");
  EXPECT_EQ(WindowText(editor), u"still an editor");
  // The forged border record is neither read nor freed.
  DestroyWindow(editor);
  EXPECT_EQ(GadgetFromHandle(editor), nullptr);
}

TEST_F(GadgetTest, EditorIsARichEditGadget) {
  HWND editor = Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_NE(VisualStylesDetect(), 0);
  // NOTE: Wine's comctl32 answers DllGetVersion with 5.81 (with or without a
  // common-controls 6 manifest), so the themed border is never chosen here.
  EXPECT_EQ(lstrcmpiW(ClassOf(editor).c_str(), L"RICHEDIT50W"), 0) << ClassOf(editor);
  // NOTE: the rich-edit control drops WS_HSCROLL and WS_VSCROLL from its style
  // while no scroll bar is needed.
  constexpr LONG_PTR kFixedBits = 0x503111C4 & ~(WS_VISIBLE | WS_HSCROLL | WS_VSCROLL);
  EXPECT_EQ(GetWindowLongPtrW(editor, GWL_STYLE) & kFixedBits, kFixedBits);
  const LONG_PTR exStyle = GetWindowLongPtrW(editor, GWL_EXSTYLE);
  EXPECT_EQ((exStyle & WS_EX_CLIENTEDGE) != 0, !VisualStylesThemed());
  EXPECT_NE(GetPropW(editor, L"QV_ClientRect"), nullptr);
  EXPECT_EQ(GetPropW(editor, L"QV_WordWrap"), nullptr);
  EXPECT_EQ(SendMessageW(editor, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFF);
  EXPECT_NE(SendMessageW(editor, EM_GETEVENTMASK, 0, 0) & ENM_CHANGE, 0);
  EXPECT_EQ(GadgetItemCount(1), 0);
  // The creation's own notifications are not queued.
  EXPECT_TRUE(GadgetNotices().empty());
}

TEST_F(GadgetTest, EditorTextIsReplacedWhole) {
  HWND editor = Editor();
  ASSERT_NE(editor, nullptr);
  // The editor holds plain text: whatever looks like rich text is shown as
  // it is, read back either way.
  EXPECT_NE(SendMessageW(editor, EM_GETTEXTMODE, 0, 0) & TM_PLAINTEXT, 0);
  const std::u16string longRich = u"{\\rtf1 " + std::u16string(9000, u'r') + u"}";
  const std::u16string richLines =
      u"{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}\r\n\\b bold\\b0\\par\r\n}";
  for (const std::u16string& rich :
       {std::u16string(u"{\\rtf1 hello}"), std::u16string(u"{\\urtf1 x}"),
        std::u16string(u"{\\rtf"), longRich, richLines, std::u16string(u"\uFEFF{\\rtf1 y}")}) {
    GadgetSetText(1, rich);
    EXPECT_EQ(WindowText(editor), rich);
    // EM_GETTEXTEX gives a line end as a lone CR.
    std::u16string withCr;
    for (size_t i = 0; i < rich.size(); ++i) {
      if (rich[i] != u'\n' || i == 0 || rich[i - 1] != u'\r') withCr += rich[i];
    }
    EXPECT_EQ(TextExOf(editor), withCr);
  }
  // Setting a text on the program's behalf queues no change notification.
  GadgetSetText(1, u"quiet");
  EXPECT_TRUE(GadgetNotices().empty());
}

TEST_F(GadgetTest, EditorShowsTheBeginningOfAHugeTextAndSaysWhatIsLeftOut) {
  HWND editor = Editor();
  ASSERT_NE(editor, nullptr);
  // One line without breaks, its cut falling inside a surrogate pair or not.
  for (const size_t offset : {size_t{0}, size_t{1}}) {
    std::u16string text(offset, u'x');
    while (text.size() < 1000000) text += u"\U0001F600";
    const EditorShownText part = EditorTextShown(text);
    ASSERT_LT(part.shown.size(), text.size());
    GadgetSetText(1, text);
    EXPECT_EQ(WindowText(editor), std::u16string(part.shown) + EditorOmissionNote(part.notShown));
    // The view starts at the beginning.
    EXPECT_EQ(SendMessageW(editor, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    CHARRANGE selection{-1, -1};
    SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 0);
  }
}

TEST_F(GadgetTest, PastesIntoTheEditorArePlainText) {
  HWND editor = Editor();
  ASSERT_NE(editor, nullptr);
  const UINT rtf = RegisterClipboardFormatW(L"Rich Text Format");
  const std::u16string plain = u"plain {\\rtf1 not rich} Grüße 😀";
  ASSERT_TRUE(ClipboardPutElsewhere(
      {{rtf, "{\\rtf1\\ansi RICH\\par}"}, {CF_UNICODETEXT, TextBytes(plain)}}));
  SetFocus(editor);
  const struct {
    const char* how;
    void (*paste)(HWND);
  } ways[] = {
      {"WM_PASTE", [](HWND e) { SendMessageW(e, WM_PASTE, 0, 0); }},
      {"EM_PASTESPECIAL", [](HWND e) { SendMessageW(e, EM_PASTESPECIAL, 0, 0); }},
      {"EM_PASTESPECIAL rich", [](HWND e) {
         SendMessageW(e, EM_PASTESPECIAL, RegisterClipboardFormatW(L"Rich Text Format"), 0);
       }},
      {"Ctrl+V", [](HWND e) { KeyDownWith(e, VK_CONTROL, 'V'); }},
      {"Shift+Insert", [](HWND e) { KeyDownWith(e, VK_SHIFT, VK_INSERT); }},
  };
  for (const auto& way : ways) {
    GadgetSetText(1, u"<>");
    SendMessageW(editor, EM_SETSEL, 1, 1);
    way.paste(editor);
    EXPECT_EQ(WindowText(editor), u"<" + plain + u">") << way.how;
  }
  // A clipboard with rich text alone pastes nothing.
  ASSERT_TRUE(ClipboardPutElsewhere({{rtf, "{\\rtf1\\ansi RICH\\par}"}}));
  GadgetSetText(1, u"<>");
  SendMessageW(editor, WM_PASTE, 0, 0);
  EXPECT_EQ(WindowText(editor), u"<>");
}

TEST_F(GadgetTest, EditorLines) {
  HWND editor = Editor();
  ASSERT_NE(editor, nullptr);
  GadgetSetText(1, u"one\rtwo\rthree");
  GadgetRemoveItem(1, 1);
  GadgetAddItem(1, -1, u"four");
  GadgetAddItem(1, 0, u"zero");
  EXPECT_EQ(Items(1), (std::vector<std::u16string>{u"zero", u"one", u"three", u"four"}));
  GadgetRemoveItem(1, 3);
  EXPECT_EQ(Items(1), (std::vector<std::u16string>{u"zero", u"one", u"three"}));
  GadgetClearItems(1);
  EXPECT_EQ(GadgetItemCount(1), 0);
  GadgetAddItem(1, -1, u"");  // one empty line is a line
  EXPECT_EQ(GadgetItemCount(1), 1);
}

TEST_F(GadgetTest, DisablingALowEditorKeepsItsPlace) {
  HWND editor = Handle(EditorCreate(1, 7, 9, 120, 12));
  ASSERT_NE(editor, nullptr);
  EnableWindow(editor, FALSE);
  RECT rect{};
  GetWindowRect(editor, &rect);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 7);
  EXPECT_EQ(rect.top, 9);
  EXPECT_EQ(rect.right - rect.left, 120);
  EXPECT_EQ(rect.bottom - rect.top, 12);
  EXPECT_FALSE(IsWindowEnabled(editor));
}

// The gadgets inside a numbered window of the window layer, whose procedure
// offers its controls' messages through the hook that GadgetLibraryInit set.
TEST(GadgetInWindowTest, ControlMessagesReachTheirGadgets) {
  LayerStart();
  GadgetLibraryInit();
  HWND window = Handle(WindowOpen(3, 0, 0, 300, 200, u"gadgets", 0x10000000));
  ASSERT_NE(window, nullptr);
  HWND list = Handle(ListViewCreate(0, 0, 0, 300, 100));
  HWND editor = Handle(EditorCreate(1, 0, 100, 300, 100));
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(GetParent(list), window);
  EXPECT_EQ(GetParent(editor), window);
  ClearEvents();
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  // Typing changes the editor: its change notification reaches the queue.
  SendMessageW(editor, WM_CHAR, L'x', 1);
  EXPECT_EQ(GadgetNotices(),
            (std::vector<Notice>{{0, 3, EventTypeLeftDoubleClick}, {1, 3, EventTypeChange}}));
  EXPECT_EQ(WindowText(editor), u"x");

  WindowClose(3);  // the gadgets go with their window
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(Gadgets()->Lookup(0), nullptr);
  EXPECT_EQ(Gadgets()->Lookup(1), nullptr);
  EXPECT_TRUE(GadgetNotices().empty());
}

}  // namespace
}  // namespace quorvel
