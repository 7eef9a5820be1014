#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Terminal.h"

#ifdef _WIN32
// windows.h must come first.
#include <windows.h>
// shellapi.h needs it.
#include <shellapi.h>
// _setmode: bytes in and out as they are.
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
  // Standard output through a buffer that keeps the reason of a failed write.
  kitrova::cli::OutputBuffer buffer(1);
  std::ostream out(&buffer);
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(1, _O_BINARY);
  // The arguments as UTF-8, whatever the console's code page, and UTF-8 out.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; wide && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
    args.push_back(std::move(arg));
  }
  LocalFree(wide);
  std::vector<const char*> utf8;
  for (const std::string& arg : args) utf8.push_back(arg.c_str());
  SetConsoleOutputCP(CP_UTF8);
  if (!utf8.empty())
    return kitrova::cli::RunCli(static_cast<int>(utf8.size()), utf8.data(), out, std::cerr);
#endif
  return kitrova::cli::RunCli(argc, argv, out, std::cerr);
}
