// kt90ctl for Windows. The arguments are taken as UTF-16 from the system and passed on as
// UTF-8, whether or not the manifest's UTF-8 code page is honoured (older Windows, wine);
// the console shows UTF-8.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/base/WideText.h"

int main() {
  SetConsoleOutputCP(CP_UTF8);
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(kt90::wideToUtf8(wide[i]));
  LocalFree(wide);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return kt90::runKt90ctl(argc, argv.data());
}
