// import: append the rows of a CSV file, sort by name and save; all rows or none.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

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
  std::string format = "csv";
  std::string encoding = "auto";
  std::string delimiter = "auto";
  bool dryRun = false;
  bool backup = false;
  int wait = 0;
};

// What any input may take: no record holds more than 1536 bytes, which in UTF-8 with quotes
// doubled stays under a row's bound; a header names at most seven columns.
constexpr std::size_t kHeaderMost = 512;
constexpr std::size_t kRowMost = 4096;
constexpr std::size_t kCsvMost =
    kHeaderMost + static_cast<std::size_t>(core::kCatalogCapacity) * kRowMost;
constexpr std::size_t kJsonMost = 64u << 20;

constexpr int kNoColumn = -1;

// Column index of each field in the header, kNoColumn when absent. A Position column (what
// search writes) is read past.
std::array<int, core::kFieldCount> MapHeader(const CsvRow& header) {
  std::array<int, core::kFieldCount> columns;
  columns.fill(kNoColumn);
  for (std::size_t c = 0; c < header.fields.size(); ++c) {
    const std::string name = AsciiLower(header.fields[c]);
    if (name == "position") continue;
    int field = kNoColumn;
    for (int f = 0; f < core::kFieldCount; ++f) {
      if (name == AsciiLower(kFieldNames[f])) field = f;
    }
    if (field == kNoColumn) {
      throw CliError("line " + std::to_string(header.line) + ": unknown column \"" +
                     Excerpt(header.fields[c]) +
                     "\" (expected Name, Type, License, Year, Comment, Path)");
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

std::string WhereInText(std::string_view text, std::size_t offset) {
  std::size_t line = 1, lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
      lineStart = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", byte " + std::to_string(offset - lineStart + 1);
}

// "auto": UTF-8 when the whole text is; Windows-1251 when it holds no UTF-8 multi-byte
// character at all. A mix is one of them spoiled, and guessing would store garbled names.
bool ReadsAsUtf8(std::string_view text, const std::string& encoding) {
  if (encoding != "auto") return encoding == "utf-8";
  std::size_t firstBad = std::string_view::npos, firstWide = std::string_view::npos;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = platform::Utf8CharLength(text, pos);
    if (length == 0 && firstBad == std::string_view::npos) firstBad = pos;
    if (length > 1 && firstWide == std::string_view::npos) firstWide = pos;
    if (firstBad != std::string_view::npos && firstWide != std::string_view::npos) {
      throw CliError(WhereInText(text, firstBad) + ": a byte that is not UTF-8, while " +
                     WhereInText(text, firstWide) +
                     " is UTF-8; say which the file is with --encoding utf-8 or --encoding "
                     "windows-1251. Nothing imported");
    }
    pos += std::max<std::size_t>(length, 1);
  }
  return firstBad == std::string_view::npos;
}

// The records read so far, refused as a whole when one cannot be stored.
class Intake {
 public:
  explicit Intake(const core::CatalogTable& table) : table_(table) {}

  // `value` is UTF-8 when `utf8`, else Windows-1251 bytes.
  void setField(core::DistroRecord& record, int field, const std::string& value, bool utf8,
                const std::string& where) {
    std::string bytes = value;
    if (utf8) {
      std::size_t bad = 0;
      auto converted = platform::Utf8ToCp1251(value, &bad);
      if (!converted) {
        throw CliError(where + ", field " + kFieldNames[field] +
                       ": a character that Windows-1251 cannot hold (or text that is not "
                       "UTF-8) at byte " +
                       std::to_string(bad + 1) + "; nothing imported");
      }
      bytes = std::move(*converted);
    }
    if (bytes.size() > core::kFieldTextSize) ++cut_;
    core::FieldOf(record, static_cast<RecordField>(field)).assign(bytes);
  }

  void add(const core::DistroRecord& record, const std::string& where) {
    if (table_.count() + records_.size() >= core::kCatalogCapacity) {
      throw CliError(where + ": the catalog would hold more than 10000 records; nothing imported");
    }
    records_.push_back(record);
  }

  std::vector<core::DistroRecord>& records() { return records_; }
  std::size_t cut() const { return cut_; }

 private:
  const core::CatalogTable& table_;
  std::vector<core::DistroRecord> records_;
  std::size_t cut_ = 0;
};

void ReadCsv(std::string text, const ImportOptions& o, Intake& intake) {
  bool utf8 = false;
  if (text.starts_with(kUtf8Bom)) {
    if (o.encoding == "windows-1251") {
      throw CliError("the file starts with a UTF-8 byte order mark, not Windows-1251 text");
    }
    text.erase(0, 3);
    utf8 = true;
  } else {
    utf8 = ReadsAsUtf8(text, o.encoding);
  }
  const char delimiter = o.delimiter == "auto" ? DetectDelimiter(text) : o.delimiter[0];

  std::vector<CsvRow> rows;
  try {
    rows = ParseCsv(text, delimiter, {kHeaderMost, kRowMost});
  } catch (const CsvSyntaxError& error) {
    throw CliError("line " + std::to_string(error.line()) + ": " + error.what() +
                   "; nothing imported");
  }
  if (rows.empty()) throw CliError("the file has no header row");
  const std::array<int, core::kFieldCount> columns = MapHeader(rows.front());
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
      if (columns[f] == kNoColumn) continue;
      intake.setField(record, f, row.fields[static_cast<std::size_t>(columns[f])], utf8, where);
    }
    intake.add(record, where);
  }
}

// The document list --format json writes: {"schema", "version", "records": [{"position",
// "Name", …}]}. Fields left out are empty; a key it does not know is refused.
void ReadJson(const std::string& text, Intake& intake) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& error) {
    // The parser counts bytes from 1, up to one past the end.
    const std::size_t at = std::min<std::size_t>(error.byte, text.size());
    throw CliError("not JSON (" + WhereInText(text, at > 0 ? at - 1 : 0) + "); nothing imported");
  }
  if (!document.is_object() || document.value("schema", "") != kRecordsSchema) {
    throw CliError(std::string("not a kitrova-cli records document (no \"schema\": \"") +
                   kRecordsSchema + "\"); nothing imported");
  }
  const auto version = document.find("version");
  if (version == document.end() || !version->is_number_integer() || *version != kJsonVersion) {
    throw CliError("the document's version is not " + std::to_string(kJsonVersion) +
                   ", the one this kitrova-cli reads; nothing imported");
  }
  const auto records = document.find("records");
  if (records == document.end() || !records->is_array()) {
    throw CliError("the document has no \"records\" list; nothing imported");
  }
  for (std::size_t r = 0; r < records->size(); ++r) {
    const nlohmann::json& item = (*records)[r];
    const std::string where = "record " + std::to_string(r + 1);
    if (!item.is_object()) throw CliError(where + ": not an object; nothing imported");
    core::DistroRecord record{};
    for (const auto& [key, value] : item.items()) {
      if (key == "position") continue;
      const auto name = std::find_if(kFieldNames.begin(), kFieldNames.end(),
                                     [&](const char* n) { return key == n; });
      if (name == kFieldNames.end()) {
        throw CliError(where + ": unknown key \"" + Excerpt(key) + "\"; nothing imported");
      }
      if (!value.is_string()) {
        throw CliError(where + ": " + key + " is not a text; nothing imported");
      }
      intake.setField(record, static_cast<int>(name - kFieldNames.begin()),
                      value.get<std::string>(), true, where);
    }
    intake.add(record, where);
  }
}

int RunImport(const ImportOptions& o, std::ostream& err) {
  if (o.catalog == "-") throw CliError("the catalog to write cannot be standard input");
  const bool json = o.format == "json";
  const std::string text =
      ReadInput(o.file, json ? kJsonMost : kCsvMost, json ? "a JSON import" : "a CSV import");

  // Everything is checked against the loaded table before the file is touched.
  WritableCatalog catalog(PathFromUtf8(o.catalog), o.dryRun, {"kitrova-cli import", o.wait});
  Intake intake(catalog.table());
  if (json) {
    ReadJson(text, intake);
  } else {
    ReadCsv(text, o, intake);
  }
  const std::size_t added = intake.records().size();
  if (added == 0) {
    // Sorting and saving would still reorder equal names: leave the file alone.
    err << "nothing to import\n";
    return 0;
  }
  core::StoreNewRecords(catalog.state(), intake.records());
  if (!o.dryRun) catalog.save(o.backup);
  err << (o.dryRun ? "would import " : "imported ") << added << " records; the catalog "
      << (o.dryRun ? "would hold " : "holds ") << catalog.table().count() << '\n';
  if (intake.cut() > 0) err << intake.cut() << " texts cut to 255 characters\n";
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
  cmd->add_option("FILE", o->file, "CSV or JSON file to read, - for standard input")->required();
  cmd->add_option("--format", o->format,
                  "csv (default) or json (the document list --format json writes)")
      ->check(CLI::IsMember({"csv", "json"}))
      ->option_text("csv|json");
  cmd->add_option("--encoding", o->encoding,
                  "auto (default: UTF-8 when all of it is, Windows-1251 when it holds no UTF-8 "
                  "character; a mix is refused), utf-8 or windows-1251")
      ->check(CLI::IsMember({"auto", "utf-8", "windows-1251"}))
      ->option_text("auto|utf-8|windows-1251");
  cmd->add_option("--delimiter", o->delimiter, "auto (default), ',' or ';'")
      ->check(CLI::IsMember({"auto", ",", ";"}))
      ->option_text("auto|','|';'");
  cmd->add_flag("--dry-run", o->dryRun,
                "Check everything, write nothing (the catalog is opened for reading only)");
  AddWriterOptions(*cmd, o->backup, o->wait);
  cmd->footer(
      "Examples:\n"
      "  kitrova-cli import base.krv more.csv --dry-run\n"
      "  kitrova-cli import base.krv more.csv --backup\n"
      "  kitrova-cli list a.krv --format json | jq '.records |= map(select(.Year > \"2000\"))' "
      "| kitrova-cli import b.krv - --format json\n");
  return {cmd, [o](std::ostream&, std::ostream& err) { return RunImport(*o, err); }};
}

}  // namespace kitrova::cli
