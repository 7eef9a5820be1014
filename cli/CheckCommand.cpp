// check: structure faults, empty names, exact duplicates and (asked) missing installers.
#include <CLI/CLI.hpp>

#include <array>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace {

namespace fs = std::filesystem;
using core::RecordField;

struct CheckOptions {
  std::string catalog;
  bool installers = false;
};

[[maybe_unused]] bool IsWindowsPath(std::string_view path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || path.starts_with("\\\\");
}

int RunCheck(const CheckOptions& o, std::ostream& out, std::ostream& err) {
  const fs::path path = PathFromUtf8(o.catalog);
  // Read as raw bytes: a file the program could not load is exactly what this reports on.
  std::string image;
  try {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw CliError(o.catalog + " is a folder, not a catalog");
    image = ReadTextFile(path);
  } catch (const CliError& error) {
    err << "error: " << error.what() << '\n';
    return 2;
  }
  int findings = 0;
  auto report = [&](const std::string& line) {
    out << line << '\n';
    ++findings;
  };
  const std::size_t count = image.size() / core::kRecordSize;
  if (const std::size_t piece = image.size() % core::kRecordSize; piece != 0) {
    report("structure: the file ends in a piece of " + std::to_string(piece) +
           " bytes that is not a whole record (size " + std::to_string(image.size()) +
           " is not a multiple of 1536); the program ignores it and its next save drops it");
  }
  if (count > static_cast<std::size_t>(core::kCatalogCapacity)) {
    report("structure: " + std::to_string(count) +
           " records, more than the 10000 a catalog can hold; the program cannot open it");
  }
  // The six texts of a record, as views into the image; the first record of each is kept.
  using Key = std::array<std::string_view, core::kFieldCount>;
  struct KeyHash {
    std::size_t operator()(const Key& key) const noexcept {
      std::size_t hash = 0;
      for (std::string_view text : key) {
        hash = hash * 1000003u ^ std::hash<std::string_view>{}(text);
      }
      return hash;
    }
  };
  std::unordered_map<Key, std::size_t, KeyHash> seen;
  seen.reserve(count);
  core::DistroRecord record{};
  for (std::size_t i = 0; i < count; ++i) {
    const char* bytes = image.data() + i * core::kRecordSize;
    std::memcpy(static_cast<void*>(&record), bytes, core::kRecordSize);
    const std::string where = "record " + std::to_string(i + 1);
    if (record.Name.length == 0) report(where + ": empty name");
    Key key;
    for (int f = 0; f < core::kFieldCount; ++f) {
      const std::size_t offset = static_cast<std::size_t>(f) * core::kFieldSize;
      key[f] = std::string_view(bytes + offset + 1, static_cast<unsigned char>(bytes[offset]));
    }
    if (auto [it, inserted] = seen.emplace(key, i + 1); !inserted) {
      report(where + ": exact duplicate of record " + std::to_string(it->second) + " (\"" +
             platform::Cp1251ToUtf8(key[0]) + "\")");
    }
    if (!o.installers) continue;
    const std::string installer = platform::Cp1251ToUtf8(record.Path.view());
    if (installer.empty()) {
      report(where + ": no installer path");
      continue;
    }
#ifndef _WIN32
    if (IsWindowsPath(installer) || installer.find('\\') != std::string::npos) {
      out << where << ": " << installer << ": not checkable here\n";
      continue;
    }
#endif
    std::error_code ec;
    if (!fs::is_regular_file(PathFromUtf8(installer), ec)) {
      report(where + ": installer missing: " + installer);
    }
  }
  if (findings == 0) out << count << " records, nothing found\n";
  return findings == 0 ? 0 : 1;
}

}  // namespace

Command AddCheckCommand(CLI::App& app) {
  auto o = std::make_shared<CheckOptions>();
  CLI::App* cmd =
      app.add_subcommand("check", "Report structure faults, empty names and exact duplicates");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv)")->required();
  cmd->add_flag("--installers", o->installers,
                "Also report records whose Path names no existing file");
  return {cmd, [o](std::ostream& out, std::ostream& err) { return RunCheck(*o, out, err); }};
}

}  // namespace kitrova::cli
