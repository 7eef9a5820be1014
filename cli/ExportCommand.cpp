// export: all six fields of every record into a CSV file.
#include <CLI/CLI.hpp>

#include <memory>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"

namespace kitrova::cli {

namespace {

namespace fs = std::filesystem;

struct ExportOptions {
  std::string catalog, file;
  std::string encoding = "utf-8";
  std::string delimiter = ",";
};

int RunExport(const ExportOptions& o, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  if (o.catalog != "-" && o.file != "-" &&
      fs::equivalent(PathFromUtf8(o.catalog), PathFromUtf8(o.file), ec)) {
    throw CliError("the CSV file is the catalog itself");
  }
  core::CatalogState state(".");
  ReadCatalog(state, o.catalog);
  const bool utf8 = o.encoding == "utf-8";
  // The byte order mark tells spreadsheets that the file is UTF-8; a pipe gets none.
  std::string csv = CsvOf(state.DistroTable, o.delimiter[0], utf8);
  if (utf8 && o.file != "-") csv.insert(0, kUtf8Bom);  // within the room CsvOf left: no copy
  WriteOutput(o.file, csv, out);
  err << "exported " << state.DistroTable.count() << " records to "
      << (o.file == "-" ? "standard output" : o.file) << '\n';
  return 0;
}

}  // namespace

Command AddExportCommand(CLI::App& app) {
  auto o = std::make_shared<ExportOptions>();
  CLI::App* cmd =
      app.add_subcommand("export", "Write all six fields of every record to a CSV file");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv), - for standard input")->required();
  cmd->add_option("FILE", o->file,
                  "CSV file to write (replaced whole or not at all), - for standard output")
      ->required();
  cmd->add_option("--encoding", o->encoding,
                  "utf-8 (default, with a byte order mark) or windows-1251")
      ->check(CLI::IsMember({"utf-8", "windows-1251"}))
      ->option_text("utf-8|windows-1251");
  cmd->add_option("--delimiter", o->delimiter,
                  "',' (default) or ';' (with windows-1251: what a Russian Windows spreadsheet "
                  "expects)")
      ->check(CLI::IsMember({",", ";"}))
      ->option_text("','|';'");
  cmd->footer(
      "Examples:\n"
      "  kitrova-cli export base.krv base.csv\n"
      "  kitrova-cli export base.krv base.csv --encoding windows-1251 --delimiter ';'\n"
      "  kitrova-cli export base.krv - | mlr --icsv --ojson cat\n");
  return {cmd, [o](std::ostream& out, std::ostream& err) { return RunExport(*o, out, err); }};
}

}  // namespace kitrova::cli
