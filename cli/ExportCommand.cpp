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

}  // namespace

Command AddExportCommand(CLI::App& app) {
  auto o = std::make_shared<ExportOptions>();
  CLI::App* cmd =
      app.add_subcommand("export", "Write all six fields of every record to a CSV file");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv)")->required();
  cmd->add_option("FILE", o->file, "CSV file to write")->required();
  cmd->add_option("--encoding", o->encoding,
                  "utf-8 (default, with a byte order mark) or windows-1251")
      ->check(CLI::IsMember({"utf-8", "windows-1251"}));
  cmd->add_option("--delimiter", o->delimiter,
                  "',' (default) or ';' (with windows-1251: what a Russian Windows spreadsheet "
                  "expects)")
      ->check(CLI::IsMember({",", ";"}));
  return {cmd, [o](std::ostream& out, std::ostream&) { return RunExport(*o, out); }};
}

}  // namespace kitrova::cli
