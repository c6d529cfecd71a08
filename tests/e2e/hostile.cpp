// A hostile program on the same desktop as quorvel.exe: it forges the posting
// message, sends and posts messages with pointer-like parameters to each of
// Quorvel's windows, and sets the window properties and window longs that
// Quorvel keeps on them. Nothing here checks the outcome: the end-to-end test
// looks at Quorvel afterwards.
//   hostile.exe attacks        prints the name of every attack
//   hostile.exe run NAME...    runs the named attacks; a name ending in ':'
//                              runs every attack whose name starts with it
// And what every program may do, as screen readers and automation tools do:
//   hostile.exe questions      asks Quorvel's list and editor the questions
//                              that only read, one "NAME value..." line each
//   hostile.exe answer box|prompt post-click|send-click|post-command|post-close ID
//                              answers the visible message box or find prompt
//                              through its button ID or with the command ID
// Each attack prints one line: its name, how many messages the system
// accepted ("sent 3/4 posted 2/4", and "set 2/2" for properties and window
// longs) and the numbers of those it refused to
// deliver ("refused send 0x4e*6 post 0x24*6"). Exit code 0 when every window the attacks
// need was found, 1 when one was missing, 2 for a bad command line.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/desktop_tools.h"

namespace {

constexpr UINT kSysTimer = 0x0118;          // WM_SYSTIMER
constexpr UINT kGadgetPrivate = 13120;      // the private message offered to gadgets
constexpr UINT kTrayCallback = 12501;       // the tray-icon callback message
constexpr WPARAM kItemDelete = 4;           // Shift+Delete's item
constexpr WPARAM kItemClear = 5;            // Alt+Delete's item
constexpr INT_PTR kMenuCommandId = -10000;  // a control with this ID sends menu commands

// Quorvel's windows, found by class and, where several programs may have one,
// by Quorvel's process.
struct Targets {
  HWND main = nullptr;
  HWND list = nullptr;
  HWND editor = nullptr;
  HWND post = nullptr;
  HWND watch = nullptr;
  HWND requester = nullptr;
  DWORD pid = 0;
  DWORD thread = 0;
  UINT postMessage = 0;
  LPARAM imageBase = 0;
};

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

HWND FindOfProcess(HWND parent, const wchar_t* className, DWORD pid) {
  HWND window = nullptr;
  while ((window = FindWindowExW(parent, window, className, nullptr)) != nullptr) {
    if (ProcessOf(window) == pid) return window;
  }
  return nullptr;
}

Targets FindTargets() {
  Targets t;
  t.main = quorvel::tools::QuorvelWindow();
  if (!t.main) return t;
  t.thread = GetWindowThreadProcessId(t.main, &t.pid);
  t.list = FindWindowExW(t.main, nullptr, L"ListBox", nullptr);
  t.editor = quorvel::tools::FindDescendant(t.main, L"RichEdit");
  t.post = FindOfProcess(nullptr, L"PostEventClass", t.pid);
  t.watch = FindOfProcess(HWND_MESSAGE, L"QV_ClipboardWatch", t.pid);
  t.requester = FindOfProcess(nullptr, L"InputRequester", t.pid);
  t.postMessage = RegisterWindowMessageW(L"QV_PostEventMessage");
  t.imageBase = GetWindowLongPtrW(t.main, GWLP_HINSTANCE);
  return t;
}

// Parameters that a careless procedure would take for pointers: a small
// number, a page every process has mapped, Quorvel's own code, a heap address
// of this process (Quorvel's heap lies in the same range), and addresses that
// are never mapped.
std::vector<LPARAM> WildValues(const Targets& t) {
  static void* heap = std::malloc(64);
  return {1,
          0x7FFE0000,
          t.imageBase + 0x1000,
          reinterpret_cast<LPARAM>(heap),
          static_cast<LPARAM>(0x4141414141414141),
          static_cast<LPARAM>(-16)};
}

// What the system accepted of one attack, and what it refused to deliver.
struct Tally {
  int sent = 0;
  int sendTried = 0;
  int posted = 0;
  int postTried = 0;
  int set = 0;  // window properties and window longs changed
  int setTried = 0;
  std::map<std::pair<bool, UINT>, int> refused;  // (posted, message) -> count

  void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++sendTried;
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 1000, &ignored)) {
      ++sent;
    } else {
      ++refused[{false, message}];
    }
  }
  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++postTried;
    if (PostMessageW(window, message, wParam, lParam)) {
      ++posted;
    } else {
      ++refused[{true, message}];
    }
  }
  [[nodiscard]] std::string Refused() const {
    std::string text;
    for (const auto& [key, count] : refused) {
      char item[48];
      std::snprintf(item, sizeof item, " %s 0x%x*%d", key.first ? "post" : "send", key.second,
                    count);
      text += item;
    }
    return text.empty() ? text : " refused" + text;
  }
  void Both(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Send(window, message, wParam, lParam);
    Post(window, message, wParam, lParam);
  }
};

// Valid structures in this process for the messages whose parameters the
// system copies into the receiver: a careful receiver sees a copy, never these
// addresses.
struct Marshalled {
  CREATESTRUCTW create{};
  MINMAXINFO minMax{};
  DRAWITEMSTRUCT draw{};
  MEASUREITEMSTRUCT measure{};
  WINDOWPOS position{};
  NCCALCSIZE_PARAMS calc{};
  wchar_t text[16] = L"hostile";
  Marshalled() {
    create.lpszName = text;
    create.lpszClass = text;
    calc.lppos = &position;
  }
};

// A window of this program whose child has the control ID that turns a
// WM_COMMAND into a menu command.
HWND MenuCommandControl() {
  static HWND control = [] {
    HWND parent = CreateWindowExW(0, L"STATIC", L"hostile", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, parent,
                           reinterpret_cast<HMENU>(kMenuCommandId), GetModuleHandleW(nullptr),
                           nullptr);
  }();
  return control;
}

void Lifecycle(HWND w, Tally& tally) {
  Marshalled m;
  tally.Send(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&m.create));
  tally.Send(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&m.create));
  tally.Post(w, WM_CREATE, 0, 0);
  tally.Both(w, WM_DESTROY, 0, 0);
  tally.Both(w, WM_NCDESTROY, 0, 0);
}

void Commands(HWND w, const Targets& t, Tally& tally) {
  for (WPARAM item : {kItemDelete, kItemClear}) {
    tally.Both(w, WM_COMMAND, item, 0);                 // as from a menu
    tally.Both(w, WM_COMMAND, MAKEWPARAM(item, 1), 0);  // as from an accelerator
    tally.Both(w, WM_COMMAND, item, reinterpret_cast<LPARAM>(MenuCommandControl()));
  }
  tally.Both(w, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(t.list));
  tally.Both(w, WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), reinterpret_cast<LPARAM>(t.editor));
  for (LPARAM wild : WildValues(t)) tally.Both(w, kGadgetPrivate, 0, wild);
  tally.Both(w, kTrayCallback, 1, WM_LBUTTONDOWN);
}

void Pointers(HWND w, const Targets& t, Tally& tally) {
  for (LPARAM wild : WildValues(t)) {
    tally.Both(w, WM_NOTIFY, 0, wild);
    tally.Both(w, WM_CTLCOLORLISTBOX, static_cast<WPARAM>(wild), reinterpret_cast<LPARAM>(t.list));
    tally.Both(w, WM_ERASEBKGND, static_cast<WPARAM>(wild), 0);
    tally.Post(w, WM_GETMINMAXINFO, 0, wild);
    tally.Post(w, WM_DRAWITEM, 0, wild);
    tally.Post(w, WM_NCCALCSIZE, 1, wild);
  }
  Marshalled m;
  m.draw.CtlType = ODT_LISTBOX;
  m.draw.hwndItem = t.list;
  tally.Send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&m.minMax));
  tally.Send(w, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&m.draw));
  tally.Send(w, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m.measure));
  tally.Send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&m.position));
  tally.Send(w, WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&m.calc));
}

void Timers(HWND w, const Targets& t, Tally& tally) {
  for (LPARAM wild : WildValues(t)) {
    tally.Both(w, WM_TIMER, 1, wild);  // a posted one names a callback for DispatchMessage
    tally.Post(w, kSysTimer, 1, wild);
  }
}

void State(HWND w, Tally& tally) {
  Marshalled m;
  tally.Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m.text));
  tally.Both(w, WM_SETREDRAW, FALSE, 0);
  tally.Both(w, WM_SETFONT, 0x1234, TRUE);
  tally.Both(w, WM_ENABLE, FALSE, 0);
  tally.Both(w, WM_ACTIVATE, WA_ACTIVE, 0);
  tally.Both(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(MenuCommandControl()), 0);
  tally.Both(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(5, 5));
  for (UINT edit : {WM_CLEAR, WM_CUT, WM_PASTE, WM_UNDO}) tally.Both(w, edit, 0, 0);
}

void ListItems(const Targets& t, Tally& tally) {
  HWND list = t.list;
  Marshalled m;
  tally.Send(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(m.text));
  for (LPARAM wild : WildValues(t)) tally.Both(list, LB_SETITEMDATA, 0, wild);
  tally.Both(list, LB_DELETESTRING, 0, 0);
  tally.Both(list, LB_SETCOUNT, 1, 0);
  tally.Both(list, LB_RESETCONTENT, 0, 0);
}

void RichEdit(const Targets& t, Tally& tally) {
  HWND editor = t.editor;
  for (LPARAM wild : WildValues(t)) {
    tally.Both(editor, EM_STREAMIN, SF_TEXT, wild);
    tally.Both(editor, EM_STREAMOUT, SF_TEXT, wild);
    tally.Both(editor, EM_SETOLECALLBACK, 0, wild);
    tally.Both(editor, EM_GETOLEINTERFACE, 0, wild);
    tally.Both(editor, EM_SETWORDBREAKPROC, 0, wild);
    tally.Both(editor, EM_SETWORDBREAKPROCEX, 0, wild);
    tally.Both(editor, EM_SETTEXTEX, static_cast<WPARAM>(wild), wild);
    tally.Both(editor, EM_GETTEXTRANGE, 0, wild);
    tally.Both(editor, EM_EXGETSEL, 0, wild);
    tally.Both(editor, EM_SETCHARFORMAT, SCF_ALL, wild);
    tally.Both(editor, EM_FORMATRANGE, TRUE, wild);
    tally.Both(editor, EM_POSFROMCHAR, static_cast<WPARAM>(wild), 0);
    tally.Both(editor, EM_CHARFROMPOS, 0, wild);
    tally.Both(editor, EM_GETSCROLLPOS, 0, wild);
  }
  Marshalled m;
  tally.Send(editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(m.text));
  tally.Both(editor, EM_SETREADONLY, TRUE, 0);
}

void PostingForged(const Targets& t, Tally& tally) {
  tally.Post(t.post, t.postMessage, 0, 0);
  for (LPARAM wild : WildValues(t)) tally.Post(t.post, t.postMessage, 0, wild);
  tally.Post(t.post, t.postMessage, 1, 1);
}

void PostingSent(const Targets& t, Tally& tally) {
  for (LPARAM wild : WildValues(t)) tally.Send(t.post, t.postMessage, 0, wild);
  ++tally.sendTried;
  if (SendNotifyMessageW(t.post, t.postMessage, 0, 1)) ++tally.sent;
}

void PostingBroadcast(const Targets& t, Tally& tally) {
  for (LPARAM wild : {LPARAM{1}, LPARAM{0x7FFE0000}, t.imageBase + 0x1000}) {
    tally.Post(HWND_BROADCAST, t.postMessage, 0, wild);
  }
  tally.Send(HWND_BROADCAST, t.postMessage, 0, 1);
}

void ThreadMessages(const Targets& t, Tally& tally) {
  for (LPARAM wild : WildValues(t)) {
    for (UINT message : {t.postMessage, UINT{WM_TIMER}, kSysTimer}) {
      ++tally.postTried;
      if (PostThreadMessageW(t.thread, message, 1, wild)) ++tally.posted;
    }
  }
}

// Properties whose values Quorvel reads back, and the messages that make it.
void Properties(const Targets& t, Tally& tally, bool pointers) {
  const LPARAM wild = static_cast<LPARAM>(0x4141414141414140);
  auto set = [&](HWND w, const std::wstring& name, LPARAM value) {
    ++tally.setTried;
    if (SetPropW(w, name.c_str(), reinterpret_cast<HANDLE>(value))) ++tally.set;
  };
  if (pointers) {
    set(t.main, L"QV_GadgetStack_" + std::to_wstring(t.imageBase), wild);
    set(t.editor, L"QV_ClientRect", wild);
  } else {
    set(t.main, L"QV_WindowID", 43);
    set(t.main, L"QV_Focus", reinterpret_cast<LPARAM>(MenuCommandControl()));
    set(t.list, L"QV_ID", 7);
    set(t.editor, L"QV_ID", 0);
    set(t.list, L"QV_MouseDown", wild);
    set(t.editor, L"QV_WordWrap", wild);
  }
  // Make Quorvel look at them: a message to the window, a frame change to the
  // editor, activation.
  tally.Both(t.main, WM_NULL, 0, 0);
  tally.Both(t.main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 400));
  tally.Both(t.main, WM_ACTIVATE, WA_ACTIVE, 0);
  tally.Both(t.list, WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
  SetWindowPos(t.editor, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Window longs that another process may change: the control IDs, through
// which a gadget finds its own record, and the user data.
void Longs(const Targets& t, Tally& tally) {
  auto set = [&](HWND w, int index, LONG_PTR value) {
    ++tally.setTried;
    SetLastError(0);
    if (SetWindowLongPtrW(w, index, value) != 0 || GetLastError() == 0) ++tally.set;
  };
  set(t.list, GWLP_ID, 1);
  set(t.editor, GWLP_ID, 0);
  for (HWND w : {t.main, t.list, t.editor, t.post}) set(w, GWLP_USERDATA, 0x41414140);
  tally.Both(t.list, WM_NULL, 0, 0);
  tally.Both(t.editor, WM_NULL, 0, 0);
}

// The find prompt keeps where its answer goes; make it look elsewhere, try to
// end it from outside, then confirm it.
void Requester(const Targets& t, Tally& tally) {
  HWND dialog = t.requester;
  ++tally.setTried;
  SetLastError(0);
  if (SetWindowLongPtrW(dialog, GWLP_USERDATA, 0x4141414141414140) || GetLastError() == 0) {
    ++tally.set;
  }
  tally.Both(dialog, WM_DESTROY, 0, 0);
  tally.Both(dialog, WM_NCDESTROY, 0, 0);
  tally.Post(dialog, WM_COMMAND, 1000, 0);
  tally.Send(dialog, WM_COMMAND, 1000, 0);
}

struct Attack {
  std::string name;
  // Which windows it needs; false when one is missing.
  std::function<bool(const Targets&, Tally&)> run;
};

template <typename Body>
Attack OnWindow(std::string name, HWND Targets::*window, Body body) {
  return {name, [window, body](const Targets& t, Tally& tally) {
            if (!(t.*window)) return false;
            body(t.*window, t, tally);
            return true;
          }};
}

std::vector<Attack> Attacks() {
  std::vector<Attack> attacks = {
      {"post:forged",
       [](const Targets& t, Tally& y) { return t.post && (PostingForged(t, y), true); }},
      {"post:sent", [](const Targets& t, Tally& y) { return t.post && (PostingSent(t, y), true); }},
      {"post:broadcast",
       [](const Targets& t, Tally& y) { return t.main && (PostingBroadcast(t, y), true); }},
      {"post:thread",
       [](const Targets& t, Tally& y) { return t.thread && (ThreadMessages(t, y), true); }},
  };
  struct Named {
    const char* prefix;
    HWND Targets::*window;
  };
  const Named windows[] = {{"main", &Targets::main},
                           {"list", &Targets::list},
                           {"editor", &Targets::editor},
                           {"posting", &Targets::post},
                           {"watch", &Targets::watch}};
  for (const Named& w : windows) {
    auto name = [&](const char* what) { return std::string(w.prefix) + ":" + what; };
    attacks.push_back(OnWindow(name("lifecycle"), w.window,
                               [](HWND h, const Targets&, Tally& y) { Lifecycle(h, y); }));
    attacks.push_back(OnWindow(name("commands"), w.window,
                               [](HWND h, const Targets& t, Tally& y) { Commands(h, t, y); }));
    attacks.push_back(OnWindow(name("pointers"), w.window,
                               [](HWND h, const Targets& t, Tally& y) { Pointers(h, t, y); }));
    attacks.push_back(OnWindow(name("timers"), w.window,
                               [](HWND h, const Targets& t, Tally& y) { Timers(h, t, y); }));
    attacks.push_back(
        OnWindow(name("state"), w.window, [](HWND h, const Targets&, Tally& y) { State(h, y); }));
  }
  attacks.push_back(
      {"list:items", [](const Targets& t, Tally& y) { return t.list && (ListItems(t, y), true); }});
  attacks.push_back({"editor:richedit", [](const Targets& t, Tally& y) {
                       return t.editor && (RichEdit(t, y), true);
                     }});
  attacks.push_back({"props:pointers", [](const Targets& t, Tally& y) {
                       return t.list && t.editor && (Properties(t, y, true), true);
                     }});
  attacks.push_back({"props:numbers", [](const Targets& t, Tally& y) {
                       return t.list && t.editor && (Properties(t, y, false), true);
                     }});
  attacks.push_back({"props:longs", [](const Targets& t, Tally& y) {
                       return t.list && t.editor && t.post && (Longs(t, y), true);
                     }});
  attacks.push_back({"requester:userdata", [](const Targets& t, Tally& y) {
                       return t.requester && (Requester(t, y), true);
                     }});
  return attacks;
}

bool Selected(const std::string& name, const std::vector<std::string>& wanted) {
  for (const std::string& w : wanted) {
    if (name == w || (!w.empty() && w.back() == ':' && name.rfind(w, 0) == 0)) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Questions and answers that every program may ask and give.

// Sends a question and prints its answer; -1 when the system refused it.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &answer)) {
    return -1;
  }
  return static_cast<LRESULT>(answer);
}

int AskQuestions(const Targets& t) {
  if (!t.list || !t.editor) {
    std::puts("MISSING WINDOW");
    return 1;
  }
  RECT client{};
  GetClientRect(t.list, &client);
  std::printf("list_client %ld %ld\n", client.right, client.bottom);
  std::printf("LB_GETCOUNT %lld\n", static_cast<long long>(Ask(t.list, LB_GETCOUNT)));
  std::printf("LB_GETCURSEL %lld\n", static_cast<long long>(Ask(t.list, LB_GETCURSEL)));
  std::printf("LB_GETSEL %lld\n", static_cast<long long>(Ask(t.list, LB_GETSEL, 0)));
  std::printf("LB_GETTEXTLEN %lld\n", static_cast<long long>(Ask(t.list, LB_GETTEXTLEN, 0)));
  std::printf("LB_GETTOPINDEX %lld\n", static_cast<long long>(Ask(t.list, LB_GETTOPINDEX)));
  std::printf("LB_GETITEMHEIGHT %lld\n",
              static_cast<long long>(Ask(t.list, LB_GETITEMHEIGHT, 0)));
  std::printf("LB_GETCARETINDEX %lld\n", static_cast<long long>(Ask(t.list, LB_GETCARETINDEX)));
  RECT item{};
  const LRESULT itemRect = Ask(t.list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  std::printf("LB_GETITEMRECT %lld %ld %ld %ld %ld\n", static_cast<long long>(itemRect), item.left,
              item.top, item.right, item.bottom);
  // The middle of the second line: its index in the low word.
  const LRESULT hit = Ask(t.list, LB_ITEMFROMPOINT, 0,
                          MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2));
  std::printf("LB_ITEMFROMPOINT %lld\n", static_cast<long long>(hit == -1 ? -1 : LOWORD(hit)));

  RECT editor{};
  GetClientRect(t.editor, &editor);
  std::printf("editor_client %ld %ld\n", editor.right, editor.bottom);
  std::printf("WM_GETTEXTLENGTH %lld\n", static_cast<long long>(Ask(t.editor, WM_GETTEXTLENGTH)));
  // Set apart from every answer: a refused question leaves them as they are.
  DWORD start = 0xFFFFFFFF, end = 0xFFFFFFFF;
  Ask(t.editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  std::printf("EM_GETSEL %ld %ld\n", static_cast<long>(start), static_cast<long>(end));
  RECT format{};
  Ask(t.editor, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  std::printf("EM_GETRECT %ld %ld %ld %ld\n", format.left, format.top, format.right, format.bottom);
  std::printf("EM_GETLINECOUNT %lld\n", static_cast<long long>(Ask(t.editor, EM_GETLINECOUNT)));
  std::printf("EM_LINEINDEX %lld\n", static_cast<long long>(Ask(t.editor, EM_LINEINDEX, 1)));
  std::printf("EM_LINELENGTH %lld\n", static_cast<long long>(Ask(t.editor, EM_LINELENGTH, 0)));
  std::printf("EM_LINEFROMCHAR %lld\n",
              static_cast<long long>(Ask(t.editor, EM_LINEFROMCHAR, 0)));
  std::printf("EM_GETFIRSTVISIBLELINE %lld\n",
              static_cast<long long>(Ask(t.editor, EM_GETFIRSTVISIBLELINE)));
  // A rich-edit range question with a pointer the system does not copy.
  CHARRANGE range{-7, -7};
  Ask(t.editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  std::printf("EM_EXGETSEL %ld %ld\n", range.cpMin, range.cpMax);
  return 0;
}

// The visible message box of Quorvel's process, or its find prompt.
HWND VisibleDialog(const Targets& t, const wchar_t* className) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
    if (ProcessOf(window) == t.pid && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

int Answer(const std::wstring& what, const std::wstring& how, int id) {
  HWND dialog = nullptr;
  if (what == L"prompt") {
    dialog = VisibleDialog(FindTargets(), L"InputRequester");
  } else {
    // A second instance asks its own question: the box of any process will do.
    HWND box = nullptr;
    while (!dialog && (box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
      if (IsWindowVisible(box)) dialog = box;
    }
  }
  if (!dialog) {
    std::puts("no dialog");
    return 1;
  }
  HWND button = GetDlgItem(dialog, id);
  BOOL done = FALSE;
  if (how == L"post-click") {
    done = button && PostMessageW(button, BM_CLICK, 0, 0);
  } else if (how == L"send-click") {
    DWORD_PTR ignored = 0;
    done = button && SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  } else if (how == L"post-command") {
    done = PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0);
  } else if (how == L"post-close") {
    done = PostMessageW(dialog, WM_CLOSE, 0, 0);
  }
  std::printf("%s\n", done ? "answered" : "not delivered");
  return done ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const std::vector<Attack> attacks = Attacks();
  if (command == L"attacks") {
    for (const Attack& a : attacks) std::printf("%s\n", a.name.c_str());
    return 0;
  }
  if (command == L"questions") return AskQuestions(FindTargets());
  if (command == L"answer" && argc == 5) return Answer(argv[2], argv[3], _wtoi(argv[4]));
  if (command != L"run" || argc < 3) {
    std::fputs("usage: hostile.exe attacks | run NAME... | questions | answer WHAT HOW ID\n", stderr);
    return 2;
  }
  std::vector<std::string> wanted;
  for (int i = 2; i < argc; ++i) wanted.emplace_back(argv[i], argv[i] + std::wcslen(argv[i]));
  const Targets targets = FindTargets();
  if (!targets.main) {
    std::puts("no quorvel window");
    return 1;
  }
  bool allFound = true;
  int ran = 0;
  for (const Attack& a : attacks) {
    if (!Selected(a.name, wanted)) continue;
    ++ran;
    Tally tally;
    const bool found = a.run(targets, tally);
    allFound = allFound && found;
    std::printf("%s: %s sent %d/%d posted %d/%d set %d/%d%s\n", a.name.c_str(),
                found ? "ran" : "MISSING WINDOW", tally.sent, tally.sendTried, tally.posted,
                tally.postTried, tally.set, tally.setTried, tally.Refused().c_str());
    std::fflush(stdout);
  }
  if (ran == 0) {
    std::fputs("no attack of that name\n", stderr);
    return 2;
  }
  return allFound ? 0 : 1;
}
