// The application on the portable platform, driven by a short scripted
// session: a way to watch the loop, the capture and the commands work on a
// machine without a Windows desktop. Prints the list after each step.
#include <cstdio>
#include <string>

#include "app/application.h"
#include "runtime/date.h"
#include "runtime/utf8.h"
#include "ui/null_platform.h"

namespace {

using quorvel::Application;
using quorvel::NullPlatform;

void Show(const char* what, const NullPlatform& platform) {
  std::printf("%s\n", what);
  const auto items = platform.ListItems();
  for (size_t i = 0; i < items.size(); ++i) {
    const bool selected = static_cast<int64_t>(i) == platform.ListSelection();
    std::printf("  %c %s\n", selected ? '>' : ' ', quorvel::ToUtf8(items[i]).c_str());
  }
  std::printf("  window %s, %s; clipboard: %s\n", platform.WindowVisible() ? "shown" : "hidden",
              platform.GadgetVisible(1) ? "preview" : "list",
              quorvel::ToUtf8(platform.Clipboard().value_or(u"(no text)")).c_str());
}

// Runs turns until the platform has nothing more to deliver.
bool Settle(Application& app, NullPlatform& platform) {
  for (int i = 0; i < 8 || platform.PendingMessages() > 0 || platform.Events().Size() > 0; ++i) {
    if (!app.Turn()) return false;
    if (i > 64) break;
  }
  return true;
}

}  // namespace

int main() {
  NullPlatform platform;
  platform.CopyText(u"text that was on the clipboard at start");
  Application app(platform);
  if (!app.Start()) return app.Shutdown();

  Settle(app, platform);
  Show("started (hidden), captured the clipboard:", platform);

  platform.CopyText(u"hello");
  Settle(app, platform);
  platform.CopyText(u"Grüße, 日本");
  Settle(app, platform);
  platform.CopyText(u"hello");
  Settle(app, platform);
  Show("copied hello, Grüße, hello again (it moves, keeps its stamp):", platform);

  platform.PressHotKey();
  Settle(app, platform);
  Show("Alt+` shows the window:", platform);

  platform.PressKey(quorvel::ShortcutControl | 'F');
  platform.AnswerInput(u"GRÜ");
  Settle(app, platform);
  Show("Ctrl+F \"GRÜ\" selects the match:", platform);

  platform.PressKey(quorvel::ShortcutShift | 13);
  Settle(app, platform);
  Show("Shift+Return appends it to the clipboard text (a new entry):", platform);

  platform.PressKey(quorvel::ShortcutAlt | 13);
  Settle(app, platform);
  Show("Alt+Return previews the selected entry:", platform);
  std::printf("  editor: %s\n", quorvel::ToUtf8(platform.EditorText()).c_str());

  platform.PressKey(27);
  Settle(app, platform);
  Show("Escape hides the window:", platform);

  platform.RequestClose();
  platform.AnswerMessage(6);
  const bool running = Settle(app, platform);
  std::printf("close request answered Yes: %s\n", running ? "still running" : "exiting");
  return app.Shutdown();
}
