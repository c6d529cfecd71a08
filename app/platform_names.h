// The numbers that cross the platform seam, named once: event codes, the raw
// hot-key message, the flag words of windows and message boxes, hot-key and
// shortcut modifiers and the virtual keys the application names. Part of the
// platform interface (app/platform.h); the windowing layer includes this file
// alone where it needs the names without the interface.
#pragma once

#include <cstdint>

namespace quorvel {

// Codes of the events EventNext returns from the layer's queue.
inline constexpr int32_t EventGadgetNotify = 13100;
inline constexpr int32_t EventMenuCommand = 13101;
inline constexpr int32_t EventTrayIcon = 13102;
inline constexpr int32_t EventWindowActivated = 13104;
inline constexpr int32_t EventWindowMinimized = 13107;
inline constexpr int32_t EventWindowMaximized = 13108;
inline constexpr int32_t EventWindowRestored = 13109;
inline constexpr int32_t EventTimerTick = 13110;
inline constexpr int32_t EventRightButtonUp = 13111;
inline constexpr int32_t EventLeftButtonUp = 13112;
inline constexpr int32_t EventLeftDoubleClick = 13113;
inline constexpr int32_t EventWindowDeactivated = 13114;
inline constexpr int32_t EventWindowErase = 13115;
inline constexpr int32_t EventCloseRequest = 13116;
inline constexpr int32_t EventWindowMoved = 13117;
inline constexpr int32_t EventWindowResized = 13118;

// The raw message EventNext returns when a registered hot key was pressed
// (WM_HOTKEY); the window procedure leaves it to the system.
inline constexpr int32_t MessageHotKey = 786;

// Bits of WindowOpen's flag word. The layer's own bits; every other bit is a
// Win32 window style, passed through.
inline constexpr uint32_t WindowFlagScreenCentered = 0x1;
inline constexpr uint32_t WindowFlagOwnerCentered = 0x2;
inline constexpr uint32_t WindowFlagToolWindow = 0x4;
inline constexpr uint32_t WindowFlagNoGadgetParent = 0x8;
inline constexpr uint32_t WindowFlagNoActivate = 0x02000000;
inline constexpr uint32_t WindowFlagInvisible = 0x10000000;
// The style bit WS_MAXIMIZE: the window opens, and is shown again, maximised.
inline constexpr uint32_t WindowFlagMaximize = 0x01000000;

// MessageDialog's flags (MessageBoxW's) and the answers it returns.
inline constexpr int64_t MessageIconError = 0x10;     // MB_OK | MB_ICONERROR
inline constexpr int64_t MessageYesNoWarning = 0x34;  // MB_YESNO | MB_ICONWARNING
inline constexpr int64_t MessageAnswerOk = 1;         // IDOK
inline constexpr int64_t MessageAnswerYes = 6;        // IDYES
inline constexpr int64_t MessageAnswerNo = 7;         // IDNO

// RegisterHotKey's modifiers and MapVirtualKey's map type.
inline constexpr uint32_t HotKeyAlt = 0x0001;           // MOD_ALT
inline constexpr uint32_t HotKeyNoRepeat = 0x4000;      // MOD_NOREPEAT
inline constexpr uint32_t MapScanCodeToKey = 1;         // MAPVK_VSC_TO_VK

// Modifier bits of a shortcut value; the low 16 bits are the virtual key.
inline constexpr int32_t ShortcutShift = 0x10000;
inline constexpr int32_t ShortcutControl = 0x20000;
inline constexpr int32_t ShortcutAlt = 0x40000;

// Win32 virtual keys, as the low 16 bits of a shortcut value.
inline constexpr int32_t KeyTab = 0x09;
inline constexpr int32_t KeyReturn = 0x0D;
inline constexpr int32_t KeyEscape = 0x1B;
inline constexpr int32_t KeyDelete = 0x2E;
inline constexpr int32_t KeyF = 0x46;
inline constexpr int32_t KeyF3 = 0x72;
inline constexpr int32_t KeyOem3 = 0xC0;     // ` on US and UK layouts
// The two keys that the Japanese layouts' 半角/全角 key gives in turn.
inline constexpr int32_t KeyOemAuto = 0xF3;
inline constexpr int32_t KeyOemEnlw = 0xF4;

}  // namespace quorvel
