#pragma once
// Executables with a version resource, made by MinGW-w64's windres and ld (no code at all),
// for tests that need an installer that says something about itself.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/TempFolder.h"

namespace kitrova::testing {

// Runs a shell command; a failure fails the test with the command's output.
inline std::string Shell(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  if (pclose(pipe) != 0) ADD_FAILURE() << command << " failed:\n" << output;
  return output;
}

// `strings` are the version resource's key/value pairs, in UTF-8.
inline void MakeExecutable(const std::filesystem::path& exe,
                           const std::vector<std::pair<std::string, std::string>>& strings) {
  std::string rc =
      "#pragma code_page(65001)\n1 VERSIONINFO\nFILEVERSION 1,0,0,0\nBEGIN\n BLOCK "
      "\"StringFileInfo\"\n BEGIN\n  BLOCK \"040904b0\"\n  BEGIN\n";
  for (const auto& [key, value] : strings) rc += "   VALUE \"" + key + "\", \"" + value + "\"\n";
  rc += "  END\n END\nEND\n";
  const std::filesystem::path source = exe.string() + ".rc", object = exe.string() + ".o";
  WriteFileBytes(source, rc);
  Shell("x86_64-w64-mingw32-windres -c 65001 '" + source.string() + "' -O coff -o '" +
        object.string() + "' 2>&1 && x86_64-w64-mingw32-ld --entry=0 '" + object.string() +
        "' -o '" + exe.string() + "' 2>&1");
  std::filesystem::remove(source);
  std::filesystem::remove(object);
}

}  // namespace kitrova::testing
