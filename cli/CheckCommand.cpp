// check: structure faults, empty names, exact duplicates and (asked) missing installers.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <string_view>

#include "cli/Commands.h"
#include "cli/Csv.h"
#include "cli/DuplicateInstallers.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/Sort.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace {

namespace fs = std::filesystem;
using core::RecordField;

struct CheckOptions {
  std::string catalog;
  bool installers = false;
  std::string format = "table";
  bool duplicates = false;
};

struct Finding {
  std::int32_t position = 0;  // 0: the file as a whole
  std::string kind, message;
  bool counts = true;  // a note ("not checkable here") is no finding
};

[[maybe_unused]] bool IsWindowsPath(std::string_view path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || path.starts_with("\\\\");
}

// The first record (in the order given) with each set of six texts: records are hashed
// and compared where they lie, in an open-addressing table of their numbers, so no key is
// copied and nothing is allocated per record.
class FirstOfEach {
 public:
  explicit FirstOfEach(std::size_t count) : slots_(std::bit_ceil(2 * count + 2), kEmpty) {}

  // The number of an earlier record with the texts of `record`, or `number` itself when
  // it is the first; `recordOf` gives the record of an earlier number.
  template <typename RecordOf>
  std::int32_t insert(const core::DistroRecord& record, std::int32_t number,
                      const RecordOf& recordOf) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = Hash(record) & mask;; slot = (slot + 1) & mask) {
      if (slots_[slot] == kEmpty) {
        slots_[slot] = number;
        return number;
      }
      if (SameTexts(recordOf(slots_[slot]), record)) return slots_[slot];
    }
  }

 private:
  static constexpr std::int32_t kEmpty = 0;
  static constexpr std::array<core::DistroField core::DistroRecord::*, core::kFieldCount> kFields =
      {&core::DistroRecord::Name, &core::DistroRecord::Type,    &core::DistroRecord::License,
       &core::DistroRecord::Year, &core::DistroRecord::Comment, &core::DistroRecord::Path};

  static bool SameTexts(const core::DistroRecord& a, const core::DistroRecord& b) {
    for (auto field : kFields) {
      if ((a.*field).view() != (b.*field).view()) return false;
    }
    return true;
  }

  // Eight bytes a step; never reads past a text's length.
  static std::size_t Hash(const core::DistroRecord& record) {
    std::uint64_t hash = 0;
    const auto mix = [&](std::uint64_t word) {
      hash = (hash ^ word) * 0x9E3779B97F4A7C15u;
      hash ^= hash >> 29;
    };
    for (auto field : kFields) {
      const std::string_view text = (record.*field).view();
      std::size_t k = 0;
      for (; k + 8 <= text.size(); k += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + k, 8);
        mix(word);
      }
      std::uint64_t tail = text.size();
      for (; k < text.size(); ++k) tail = tail << 8 | static_cast<unsigned char>(text[k]);
      mix(tail);
    }
    return static_cast<std::size_t>(hash);
  }

  std::vector<std::int32_t> slots_;
};

// The records of a catalog as check sees them: `count` whole records out of a file of
// `size` bytes, in the state's table when there are no more than 10000.
struct CheckedCatalog {
  core::CatalogState state{"."};
  std::size_t count = 0;
  std::size_t size = 0;
};

// A regular file of at most 10000 records is mapped as list maps it; anything else (standard
// input, more records, a file the loader cannot open) is read as raw bytes, which also gives
// the messages for what cannot be read.
void ReadChecked(const std::string& name, CheckedCatalog& catalog) {
  if (name != "-") {
    std::error_code ec;
    const fs::path path = PathFromUtf8(name);
    const std::uintmax_t size = fs::is_regular_file(path, ec) ? fs::file_size(path, ec) : 0;
    if (!ec && size / core::kRecordSize <= static_cast<std::uintmax_t>(core::kCatalogCapacity)) {
      try {
        core::LoadCatalog(catalog.state, path, core::LoadFor::Reading);
        catalog.count = static_cast<std::size_t>(catalog.state.DistroTable.count());
        catalog.size = static_cast<std::size_t>(size);
        if (catalog.count == catalog.size / core::kRecordSize) return;
      } catch (const core::CatalogError&) {
        // Read below, where a failure gets its message.
      }
    }
  }
  constexpr std::size_t kMostBytes = 2 * core::kCatalogCapacity * core::kRecordSize;
  const std::string image = ReadInput(name, kMostBytes, "a catalog");
  catalog.size = image.size();
  catalog.count = image.size() / core::kRecordSize;
  core::CatalogTable& table = catalog.state.DistroTable;
  table.clear();
  if (catalog.count > static_cast<std::size_t>(core::kCatalogCapacity)) return;
  for (std::size_t k = 0; k < catalog.count; ++k) {
    core::DistroRecord record;
    std::memcpy(static_cast<void*>(&record), image.data() + k * core::kRecordSize,
                core::kRecordSize);
    table.append(record);
  }
}

std::vector<Finding> Examine(const CheckedCatalog& catalog, const CheckOptions& o) {
  std::vector<Finding> findings;
  const std::size_t count = catalog.count;
  if (const std::size_t piece = catalog.size % core::kRecordSize; piece != 0) {
    findings.push_back({0, "structure",
                        "the file ends in a piece of " + std::to_string(piece) +
                            " bytes that is not a whole record (size " +
                            std::to_string(catalog.size) +
                            " is not a multiple of 1536); the program ignores it and its next "
                            "save drops it"});
  }
  if (count > static_cast<std::size_t>(core::kCatalogCapacity)) {
    findings.push_back({0, "structure",
                        std::to_string(count) +
                            " records, more than the 10000 a catalog can hold; the program "
                            "cannot open it"});
    return findings;  // no order the program would show
  }
  // Numbered as list and the program's grid number them: after the sort by name.
  const core::CatalogTable& table = catalog.state.DistroTable;
  const std::vector<std::int32_t> order = core::SortedPositions(table, RecordField::Name);

  const auto sortedRecord = [&](std::int32_t p) -> const core::DistroRecord& {
    return table.at(order[static_cast<std::size_t>(p - 1)]);
  };
  FirstOfEach seen(count);
  for (std::int32_t p = 1; p <= table.count(); ++p) {
    const core::DistroRecord& record = sortedRecord(p);
    if (record.Name.length == 0) findings.push_back({p, "empty-name", "empty name"});
    if (const std::int32_t first = seen.insert(record, p, sortedRecord); first != p) {
      findings.push_back({p, "duplicate",
                          "exact duplicate of record " + std::to_string(first) + " (\"" +
                              platform::Cp1251ToUtf8(record.Name.view()) + "\")"});
    }
    if (!o.installers) continue;
    const std::string installer = platform::Cp1251ToUtf8(record.Path.view());
    if (installer.empty()) {
      findings.push_back({p, "no-installer", "no installer path"});
      continue;
    }
#ifndef _WIN32
    if (IsWindowsPath(installer) || installer.find('\\') != std::string::npos) {
      findings.push_back({p, "unchecked", installer + ": not checkable here", false});
      continue;
    }
#endif
    std::error_code ec;
    if (!fs::is_regular_file(PathFromUtf8(installer), ec)) {
      findings.push_back({p, "installer-missing", "installer missing: " + installer});
    }
  }
  if (o.duplicates) {
    // Compared in the order the sort by name gives.
    core::CatalogTable sorted;
    for (std::int32_t position : order) sorted.append(table.at(position));
    for (SameInstaller& same : DuplicateInstallers(sorted)) {
      findings.push_back({same.position, "same-installer", std::move(same.message)});
    }
  }
  return findings;
}

int RunCheck(const CheckOptions& o, std::ostream& out, std::ostream& err) {
  // Read as raw bytes: a file the program could not load is exactly what this reports on.
  CheckedCatalog catalog;
  ReadChecked(o.catalog, catalog);
  const std::size_t count = catalog.count;
  const std::vector<Finding> findings = Examine(catalog, o);
  const auto counted =
      std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.counts; });
  if (o.format == "json") {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Finding& f : findings) {
      nlohmann::ordered_json item;
      item["position"] = f.position > 0 ? nlohmann::ordered_json(f.position) : nullptr;
      item["kind"] = f.kind;
      item["message"] = f.message;
      list.push_back(std::move(item));
    }
    nlohmann::ordered_json document;
    document["schema"] = "kitrova-cli-check";
    document["version"] = kJsonVersion;
    document["records"] = count;
    document["findings"] = std::move(list);
    out << document.dump(2) << '\n';
  } else if (o.format == "csv") {
    std::string text;
    AppendCsvRow(text, {"Position", "Kind", "Message"}, ',');
    for (const Finding& f : findings) {
      const std::string position = f.position > 0 ? std::to_string(f.position) : "";
      AppendCsvRow(text, {position, f.kind, f.message}, ',');
    }
    out << text;
  } else {
    for (const Finding& f : findings) {
      out << (f.position > 0 ? "record " + std::to_string(f.position) : f.kind) << ": " << f.message
          << '\n';
    }
  }
  if (counted == 0) err << count << " records, nothing found\n";
  return counted == 0 ? 0 : 1;
}

}  // namespace

Command AddCheckCommand(CLI::App& app) {
  auto o = std::make_shared<CheckOptions>();
  CLI::App* cmd =
      app.add_subcommand("check", "Report structure faults, empty names and exact duplicates");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv), - for standard input")->required();
  cmd->add_flag("--installers", o->installers,
                "Also report records whose Path names no existing file");
  cmd->add_flag("--duplicates", o->duplicates,
                "Also report records whose installers are the same file (same size and SHA-256) "
                "under another path");
  cmd->add_option("--format", o->format,
                  "table (default: one line a finding), csv or json; records are numbered by "
                  "their position after the sort by name")
      ->check(CLI::IsMember({"table", "csv", "json"}))
      ->option_text("table|csv|json");
  cmd->footer(
      "Exit status: 0 nothing found, 1 findings, 2 an error (the catalog cannot be read).\n"
      "Examples:\n"
      "  kitrova-cli check base.krv --installers\n"
      "  kitrova-cli check base.krv --format json | jq '.findings[].position'\n");
  return {cmd, [o](std::ostream& out, std::ostream& err) { return RunCheck(*o, out, err); }};
}

}  // namespace kitrova::cli
