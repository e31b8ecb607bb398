// Kestrune's program entry on Windows: its one window and the event loop,
// until the window is closed. The manifest makes the program aware of each
// screen's dots per inch and gives it the common controls of version 6.
#include "main_form.h"

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // The first argument names an information file or a folder.
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring argument = arguments != nullptr && count > 1 ? arguments[1] : L"";
  LocalFree(arguments);

  kestrune::win32gui::TMainForm MainForm(argument);
  MainForm.Show(showCommand);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (MainForm.PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
