// import: append the rows of a CSV file, sort by name and save; all rows or none.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <memory>

#include "cli/Commands.h"
#include "cli/Csv.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "core/CatalogOps.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace {

using core::RecordField;

struct ImportOptions {
  std::string catalog, file;
  std::string encoding = "auto";
  std::string delimiter = "auto";
  bool dryRun = false;
  bool backup = false;
};

// Column index of each field in the header, -1 when absent.
std::array<int, core::kFieldCount> MapHeader(const CsvRow& header) {
  std::array<int, core::kFieldCount> columns;
  columns.fill(-1);
  for (std::size_t c = 0; c < header.fields.size(); ++c) {
    const std::string name = AsciiLower(header.fields[c]);
    int field = -1;
    for (int f = 0; f < core::kFieldCount; ++f) {
      if (name == AsciiLower(kFieldNames[f])) field = f;
    }
    if (field < 0) {
      throw CliError("line " + std::to_string(header.line) + ": unknown column \"" +
                     header.fields[c] + "\" (expected Name, Type, License, Year, Comment, Path)");
    }
    if (columns[field] >= 0) {
      throw CliError("line " + std::to_string(header.line) + ": column " + kFieldNames[field] +
                     " appears twice");
    }
    columns[field] = static_cast<int>(c);
  }
  if (columns[0] < 0) throw CliError("the header row has no Name column");
  return columns;
}

char DetectDelimiter(std::string_view text) {
  // The header row names the fields, so the delimiter is whichever splits it into names.
  const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
  const auto commas = std::count(first.begin(), first.end(), ',');
  const auto semicolons = std::count(first.begin(), first.end(), ';');
  return semicolons > commas ? ';' : ',';
}

int RunImport(const ImportOptions& o, std::ostream& out) {
  std::string text = ReadTextFile(PathFromUtf8(o.file));
  bool utf8 = o.encoding == "utf-8";
  if (text.starts_with(kUtf8Bom)) {
    if (o.encoding == "windows-1251") {
      throw CliError("the file starts with a UTF-8 byte order mark, not Windows-1251 text");
    }
    text.erase(0, 3);
    utf8 = true;
  } else if (o.encoding == "auto") {
    utf8 = platform::IsValidUtf8(text);
  }
  const char delimiter = o.delimiter == "auto" ? DetectDelimiter(text) : o.delimiter[0];

  std::vector<CsvRow> rows;
  try {
    rows = ParseCsv(text, delimiter);
  } catch (const CsvSyntaxError& error) {
    throw CliError("line " + std::to_string(error.line()) + ": " + error.what() +
                   "; nothing imported");
  }
  if (rows.empty()) throw CliError("the file has no header row");
  const std::array<int, core::kFieldCount> columns = MapHeader(rows.front());

  // Everything is checked against the loaded table before the file is touched.
  WritableCatalog catalog(PathFromUtf8(o.catalog));
  std::vector<core::DistroRecord> records;
  records.reserve(rows.size() - 1);
  std::size_t cut = 0;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string where = "line " + std::to_string(row.line);
    if (row.fields.size() != rows.front().fields.size()) {
      throw CliError(where + ": " + std::to_string(row.fields.size()) +
                     " fields where the header has " + std::to_string(rows.front().fields.size()) +
                     "; nothing imported");
    }
    core::DistroRecord record{};
    for (int f = 0; f < core::kFieldCount; ++f) {
      if (columns[f] < 0) continue;
      const std::string& value = row.fields[static_cast<std::size_t>(columns[f])];
      std::string bytes = value;
      if (utf8) {
        std::size_t bad = 0;
        auto converted = platform::Utf8ToCp1251(value, &bad);
        if (!converted) {
          throw CliError(where + ", field " + kFieldNames[f] +
                         ": a character that Windows-1251 cannot hold (or text that is not "
                         "UTF-8) at byte " +
                         std::to_string(bad + 1) + "; nothing imported");
        }
        bytes = std::move(*converted);
      }
      if (bytes.size() > core::kFieldTextSize) ++cut;
      core::FieldOf(record, static_cast<RecordField>(f)).assign(bytes);
    }
    if (catalog.table().count() + records.size() >= core::kCatalogCapacity) {
      throw CliError(where + ": the catalog would hold more than 10000 records; nothing imported");
    }
    records.push_back(record);
  }
  const std::size_t added = records.size();
  if (added == 0) {
    // Sorting and saving would still reorder equal names: leave the file alone.
    out << "nothing to import\n";
    return 0;
  }
  core::StoreNewRecords(catalog.state(), records);
  if (!o.dryRun) catalog.save(o.backup);
  out << (o.dryRun ? "would import " : "imported ") << added << " records; the catalog "
      << (o.dryRun ? "would hold " : "holds ") << catalog.table().count() << '\n';
  if (cut > 0) out << cut << " texts cut to 255 characters\n";
  return 0;
}

}  // namespace

Command AddImportCommand(CLI::App& app) {
  auto o = std::make_shared<ImportOptions>();
  CLI::App* cmd = app.add_subcommand(
      "import",
      "Append the rows of a CSV file (header row of field names, any order), sort by name and "
      "save; all or nothing");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv); must exist (may be empty)")
      ->required();
  cmd->add_option("FILE", o->file, "CSV file to read")->required();
  cmd->add_option("--encoding", o->encoding, "auto (default), utf-8 or windows-1251")
      ->check(CLI::IsMember({"auto", "utf-8", "windows-1251"}));
  cmd->add_option("--delimiter", o->delimiter, "auto (default), ',' or ';'")
      ->check(CLI::IsMember({"auto", ",", ";"}));
  cmd->add_flag("--dry-run", o->dryRun, "Check everything, write nothing");
  cmd->add_flag("--backup", o->backup,
                "Copy the catalog into Backup/ beside it first (backupY_M_D_h_m_s.krv)");
  return {cmd, [o](std::ostream& out, std::ostream&) { return RunImport(*o, out); }};
}

}  // namespace kitrova::cli
