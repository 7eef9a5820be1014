#include "cli/Cli.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Csv.h"
#include "cli/Session.h"
#include "core/CatalogError.h"
#include "core/CatalogOps.h"
#include "core/CatalogState.h"
#include "core/DistroRecord.h"
#include "core/Search.h"
#include "core/Sort.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace fs = std::filesystem;
using core::RecordField;

namespace {

constexpr std::array<const char*, core::kFieldCount> kFieldNames = {"Name", "Type",    "License",
                                                                    "Year", "Comment", "Path"};
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

const std::map<std::string, RecordField> kSortFields = {{"name", RecordField::Name},
                                                        {"type", RecordField::Type},
                                                        {"license", RecordField::License},
                                                        {"year", RecordField::Year},
                                                        {"comment", RecordField::Comment}};

// Letter case as file names and column names ignore it; other bytes stay as they are.
std::string AsciiLower(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return text;
}

std::string Utf8Field(const core::DistroRecord& record, int field) {
  return platform::Cp1251ToUtf8(core::FieldOf(record, static_cast<RecordField>(field)).view());
}

std::string ReadTextFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw CliError("cannot open " + Utf8Path(path));
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw CliError("cannot read " + Utf8Path(path));
  return text;
}

void WriteTextFile(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (file) file.close();
  if (!file) throw CliError("cannot write " + Utf8Path(path));
}

std::string CsvOf(const core::CatalogTable& table, char delimiter, bool utf8) {
  std::string out;
  out.reserve(static_cast<std::size_t>(table.count()) * 128 + 64);
  AppendCsvRow(out, {std::begin(kFieldNames), std::end(kFieldNames)}, delimiter);
  std::vector<std::string> texts(core::kFieldCount);
  std::vector<std::string_view> views(core::kFieldCount);
  for (std::int32_t i = 1; i <= table.count(); ++i) {
    for (int f = 0; f < core::kFieldCount; ++f) {
      const std::string_view raw = core::FieldOf(table.at(i), static_cast<RecordField>(f)).view();
      texts[f] = utf8 ? platform::Cp1251ToUtf8(raw) : std::string(raw);
      views[f] = texts[f];
    }
    AppendCsvRow(out, views, delimiter);
  }
  return out;
}

// Terminal columns, cut with an ellipsis. Built in Windows-1251, where every character is
// one byte and the ellipsis has a code, then turned into UTF-8 as a whole.
void PrintTable(std::ostream& out, const core::CatalogTable& table,
                const std::vector<std::int32_t>& positions) {
  int width = 100;
  if (const char* columns = std::getenv("COLUMNS")) width = std::max(40, std::atoi(columns));
  std::vector<std::vector<std::string>> cells;
  cells.push_back({"#", "Name", "Type", "License", "Year", "Comment"});
  for (std::int32_t position : positions) {
    std::vector<std::string> row{std::to_string(position)};
    for (int f = 0; f < 5; ++f) {
      std::string text(core::FieldOf(table.at(position), static_cast<RecordField>(f)).view());
      for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
      }
      row.push_back(std::move(text));
    }
    cells.push_back(std::move(row));
  }
  std::vector<std::size_t> widths(6, 0);
  for (const auto& row : cells) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  const std::size_t room = static_cast<std::size_t>(width) - 2 * (widths.size() - 1);
  auto total = [&] {
    std::size_t sum = 0;
    for (std::size_t w : widths) sum += w;
    return sum;
  };
  while (total() > room) {
    const auto widest = std::max_element(widths.begin() + 1, widths.end());
    if (*widest <= 4) break;
    --*widest;
  }
  for (const auto& row : cells) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      std::string text = row[c];
      if (text.size() > widths[c]) text = text.substr(0, widths[c] - 1) + "\x85";
      if (c + 1 < row.size()) text.resize(widths[c] + 2, ' ');
      line += text;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << platform::Cp1251ToUtf8(line) << '\n';
  }
}

std::vector<std::int32_t> AllPositions(const core::CatalogTable& table) {
  std::vector<std::int32_t> positions(static_cast<std::size_t>(table.count()));
  for (std::int32_t i = 1; i <= table.count(); ++i) positions[static_cast<std::size_t>(i - 1)] = i;
  return positions;
}

std::string ToCp1251OrFail(const std::string& utf8, const std::string& what) {
  std::size_t bad = 0;
  if (auto bytes = platform::Utf8ToCp1251(utf8, &bad)) return *bytes;
  throw CliError(what + " holds a character that Windows-1251 cannot hold (at byte " +
                 std::to_string(bad + 1) + ")");
}

// --- list, search, export -------------------------------------------------------------------

struct ListOptions {
  std::string catalog;
  std::string sort = "name";
  std::string format = "table";
};

int RunList(const ListOptions& o, std::ostream& out) {
  core::CatalogState state(".");
  ReadCatalog(state, PathFromUtf8(o.catalog));
  core::SortByField(state.DistroTable, kSortFields.at(o.sort));
  const core::CatalogTable& table = state.DistroTable;
  if (o.format == "csv") {
    out << CsvOf(table, ',', true);
  } else if (o.format == "json") {
    nlohmann::ordered_json records = nlohmann::ordered_json::array();
    for (std::int32_t i = 1; i <= table.count(); ++i) {
      nlohmann::ordered_json record;
      for (int f = 0; f < core::kFieldCount; ++f)
        record[kFieldNames[f]] = Utf8Field(table.at(i), f);
      records.push_back(std::move(record));
    }
    out << records.dump(2) << '\n';
  } else {
    PrintTable(out, table, AllPositions(table));
  }
  return 0;
}

struct SearchOptions {
  std::string catalog;
  std::optional<std::string> name, type, year;
};

int RunSearch(const SearchOptions& o, std::ostream& out, std::ostream& err) {
  core::CatalogState state(".");
  ReadCatalog(state, PathFromUtf8(o.catalog));
  // The program sorts by the searched field first, so positions are those it would select.
  const RecordField field = o.name   ? RecordField::Name
                            : o.type ? RecordField::Type
                                     : RecordField::Year;
  const std::string& text = o.name ? *o.name : o.type ? *o.type : *o.year;
  const std::string prompt = ToCp1251OrFail(text, "the search text");
  core::SortByField(state.DistroTable, field);
  const std::vector<std::int32_t> found = core::MatchingPositions(state.DistroTable, field, prompt);
  if (found.empty()) {
    err << "nothing found\n";
    return 1;
  }
  PrintTable(out, state.DistroTable, found);
  return 0;
}

struct ExportOptions {
  std::string catalog, file;
  std::string encoding = "utf-8";
  std::string delimiter = ",";
};

int RunExport(const ExportOptions& o, std::ostream& out) {
  const fs::path catalog = PathFromUtf8(o.catalog);
  const fs::path target = PathFromUtf8(o.file);
  std::error_code ec;
  if (fs::equivalent(catalog, target, ec)) throw CliError("the CSV file is the catalog itself");
  core::CatalogState state(".");
  ReadCatalog(state, catalog);
  const bool utf8 = o.encoding == "utf-8";
  // The byte order mark tells spreadsheets that the file is UTF-8.
  WriteTextFile(target, (utf8 ? kUtf8Bom : "") + CsvOf(state.DistroTable, o.delimiter[0], utf8));
  out << "exported " << state.DistroTable.count() << " records to " << o.file << '\n';
  return 0;
}

// --- import ---------------------------------------------------------------------------------

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

// --- check ----------------------------------------------------------------------------------

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
  std::vector<core::DistroRecord> records(count);
  if (count > 0)
    std::memcpy(static_cast<void*>(records.data()), image.data(), count * core::kRecordSize);

  std::map<std::array<std::string, core::kFieldCount>, std::size_t> seen;
  for (std::size_t i = 0; i < count; ++i) {
    const core::DistroRecord& record = records[i];
    const std::string where = "record " + std::to_string(i + 1);
    if (record.Name.length == 0) report(where + ": empty name");
    std::array<std::string, core::kFieldCount> key;
    for (int f = 0; f < core::kFieldCount; ++f) {
      key[f] = core::FieldOf(record, static_cast<RecordField>(f)).str();
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

// --- scan -----------------------------------------------------------------------------------

struct ScanOptions {
  std::string catalog, folder, type, license;
  bool dryRun = false;
  bool backup = false;
};

bool IsInstaller(const fs::path& file) {
  const std::string ext = AsciiLower(Utf8Path(file.extension()));
  return ext == ".exe" || ext == ".msi" || ext == ".zip" || ext == ".rar";
}

std::string ModificationYear(const fs::path& file) {
  const auto modified = fs::last_write_time(file);
  const std::time_t t =
      std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(modified));
  std::tm local{};
#ifdef _MSC_VER
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  char year[16];
  std::snprintf(year, sizeof year, "%04d", local.tm_year + 1900);
  return year;
}

int RunScan(const ScanOptions& o, std::ostream& out, std::ostream& err) {
  const std::string type = ToCp1251OrFail(o.type, "--type");
  const std::string license = ToCp1251OrFail(o.license, "--license");
  const fs::path folder = fs::absolute(PathFromUtf8(o.folder)).lexically_normal();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw CliError(o.folder + " is not a folder");

  WritableCatalog catalog(PathFromUtf8(o.catalog));
  std::set<std::string> known;
  for (std::int32_t i = 1; i <= catalog.table().count(); ++i) {
    known.insert(catalog.table().at(i).Path.str());
  }

  std::vector<fs::path> files;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  if (ec) throw CliError("cannot read " + o.folder + ": " + ec.message());
  for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if (ec) throw CliError("cannot read " + o.folder + ": " + ec.message());
    std::error_code fileError;
    if (it->is_regular_file(fileError) && IsInstaller(it->path())) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());

  std::vector<core::DistroRecord> added;
  int skipped = 0;
  for (const fs::path& file : files) {
    const std::string shown = Utf8Path(file);
    const auto path = platform::Utf8ToCp1251(shown);
    const auto name = platform::Utf8ToCp1251(Utf8Path(file.stem()));
    if (!path || !name) {
      err << "skipped (Windows-1251 cannot hold its name): " << shown << '\n';
      ++skipped;
      continue;
    }
    if (path->size() > core::kFieldTextSize) {
      err << "skipped (path longer than 255 characters): " << shown << '\n';
      ++skipped;
      continue;
    }
    if (!known.insert(*path).second) continue;
    core::DistroRecord record{};
    record.Name.assign(*name);
    record.Type.assign(type);
    record.License.assign(license);
    record.Year.assign(ModificationYear(file));
    record.Path.assign(*path);
    added.push_back(record);
  }
  if (catalog.table().count() + static_cast<std::int64_t>(added.size()) > core::kCatalogCapacity) {
    throw CliError("the catalog would hold more than 10000 records (" +
                   std::to_string(catalog.table().count()) + " + " + std::to_string(added.size()) +
                   "); nothing added");
  }
  for (const core::DistroRecord& record : added) {
    out << (o.dryRun ? "would add: " : "added: ") << platform::Cp1251ToUtf8(record.Name.view())
        << "  (" << record.Year.view() << ")  " << platform::Cp1251ToUtf8(record.Path.view())
        << '\n';
  }
  if (!added.empty() && !o.dryRun) {
    core::StoreNewRecords(catalog.state(), added);
    catalog.save(o.backup);
  }
  out << added.size() << (o.dryRun ? " records would be added" : " records added");
  if (skipped > 0) out << ", " << skipped << " files skipped";
  out << '\n';
  return 0;
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "kitrova-cli: the Kitrova catalog (.krv) from the command line, with the program's own "
      "rules (record image, Windows-1251 text, sort order, crash-safe save, 10000 records).",
      "kitrova-cli"};
  app.footer(
      "Messages and errors are in English, on standard error. Record texts are printed in "
      "UTF-8.\nExit status: 0 done, 1 refused (or: check found something, search found "
      "nothing), 2 bad arguments (or: check cannot read the catalog).\nClose Kitrova while "
      "kitrova-cli writes a catalog: the program keeps the catalog in memory.");
  app.require_subcommand(1);

  const std::vector<std::string> sorts{"name", "type", "license", "year", "comment"};

  ListOptions list;
  CLI::App* listCmd = app.add_subcommand(
      "list", "Print the records in the order the program shows after a click on a column header");
  listCmd->add_option("CATALOG", list.catalog, "Catalog file (.krv)")->required();
  listCmd->add_option("--sort", list.sort, "Column to sort by (default: name, as at start-up)")
      ->check(CLI::IsMember(sorts));
  listCmd->add_option("--format", list.format, "table (cut to the terminal), csv or json")
      ->check(CLI::IsMember({"table", "csv", "json"}));

  SearchOptions search;
  CLI::App* searchCmd = app.add_subcommand(
      "search",
      "Records whose name, type or year contains TEXT (case-blind), with their positions after "
      "the program's sort by that field");
  searchCmd->add_option("CATALOG", search.catalog, "Catalog file (.krv)")->required();
  CLI::Option_group* searchField =
      searchCmd->add_option_group("field", "Exactly one field to search, with the text");
  searchField->add_option("--name", search.name, "Search the names");
  searchField->add_option("--type", search.type, "Search the types");
  searchField->add_option("--year", search.year, "Search the years");
  searchField->require_option(1);

  ExportOptions exp;
  CLI::App* exportCmd =
      app.add_subcommand("export", "Write all six fields of every record to a CSV file");
  exportCmd->add_option("CATALOG", exp.catalog, "Catalog file (.krv)")->required();
  exportCmd->add_option("FILE", exp.file, "CSV file to write")->required();
  exportCmd
      ->add_option("--encoding", exp.encoding,
                   "utf-8 (default, with a byte order mark) or windows-1251")
      ->check(CLI::IsMember({"utf-8", "windows-1251"}));
  exportCmd
      ->add_option("--delimiter", exp.delimiter,
                   "',' (default) or ';' (with windows-1251: what a Russian Windows spreadsheet "
                   "expects)")
      ->check(CLI::IsMember({",", ";"}));

  ImportOptions imp;
  CLI::App* importCmd = app.add_subcommand(
      "import",
      "Append the rows of a CSV file (header row of field names, any order), sort by name and "
      "save; all or nothing");
  importCmd->add_option("CATALOG", imp.catalog, "Catalog file (.krv); must exist (may be empty)")
      ->required();
  importCmd->add_option("FILE", imp.file, "CSV file to read")->required();
  importCmd->add_option("--encoding", imp.encoding, "auto (default), utf-8 or windows-1251")
      ->check(CLI::IsMember({"auto", "utf-8", "windows-1251"}));
  importCmd->add_option("--delimiter", imp.delimiter, "auto (default), ',' or ';'")
      ->check(CLI::IsMember({"auto", ",", ";"}));
  importCmd->add_flag("--dry-run", imp.dryRun, "Check everything, write nothing");
  importCmd->add_flag("--backup", imp.backup,
                      "Copy the catalog into Backup/ beside it first (backupY_M_D_h_m_s.krv)");

  CheckOptions check;
  CLI::App* checkCmd =
      app.add_subcommand("check", "Report structure faults, empty names and exact duplicates");
  checkCmd->add_option("CATALOG", check.catalog, "Catalog file (.krv)")->required();
  checkCmd->add_flag("--installers", check.installers,
                     "Also report records whose Path names no existing file");

  ScanOptions scan;
  CLI::App* scanCmd = app.add_subcommand(
      "scan",
      "Add a record for every .exe, .msi, .zip and .rar file under FOLDER whose path is not in "
      "the catalog yet: Name from the file name, Year from its modification time, Path the "
      "full path. Files whose name or path Windows-1251 cannot hold are reported and skipped");
  scanCmd->add_option("CATALOG", scan.catalog, "Catalog file (.krv); must exist (may be empty)")
      ->required();
  scanCmd->add_option("FOLDER", scan.folder, "Folder to search, with its subfolders")->required();
  scanCmd->add_option("--type", scan.type, "Type of the new records (default: empty)");
  scanCmd->add_option("--license", scan.license, "License of the new records (default: empty)");
  scanCmd->add_flag("--dry-run", scan.dryRun, "Show what would be added, write nothing");
  scanCmd->add_flag("--backup", scan.backup,
                    "Copy the catalog into Backup/ beside it first (backupY_M_D_h_m_s.krv)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error, out, err);  // --help
    err << "error: " << error.what() << "\n\n" << app.help();
    return 2;
  }

  try {
    if (listCmd->parsed()) return RunList(list, out);
    if (searchCmd->parsed()) return RunSearch(search, out, err);
    if (exportCmd->parsed()) return RunExport(exp, out);
    if (importCmd->parsed()) return RunImport(imp, out);
    if (checkCmd->parsed()) return RunCheck(check, out, err);
    if (scanCmd->parsed()) return RunScan(scan, out, err);
  } catch (const CliError& error) {
    err << "error: " << error.what() << '\n';
    return error.status();
  } catch (const core::CatalogError& error) {
    err << "error: " << error.what() << '\n';
    return 1;
  } catch (const std::exception& error) {
    err << "error: " << error.what() << '\n';
    return 1;
  }
  return 2;
}

}  // namespace kitrova::cli
