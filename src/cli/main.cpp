#include <iostream>

#include "cli_app.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

// Windows hands a program its arguments as wide-character text; the command
// and the engine take paths as UTF-8, so every argument is converted, and
// what the command prints (file and folder names among it) is UTF-8 too.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (length > 0) ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back();  // the terminating NUL
    arguments.push_back(std::move(utf8));
  }
  std::vector<const char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  // The console shows UTF-8 while the command runs and its own code page again afterwards.
  const UINT consoleCodePage = ::GetConsoleOutputCP();
  ::SetConsoleOutputCP(CP_UTF8);
  const int code = kestrune::RunCli(argc, pointers.data(), std::cout, std::cerr);
  std::cout.flush();
  if (consoleCodePage != 0) ::SetConsoleOutputCP(consoleCodePage);
  return code;
}
#else
int main(int argc, char** argv) { return kestrune::RunCli(argc, argv, std::cout, std::cerr); }
#endif
