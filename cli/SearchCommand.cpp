// search: records whose name, type or year holds a text, at the positions the program selects.
#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "core/Search.h"
#include "core/Sort.h"

namespace kitrova::cli {

namespace {

using core::RecordField;

struct SearchOptions {
  std::string catalog;
  std::optional<std::string> name, type, year;
  std::string format = "table";
};

int RunSearch(const SearchOptions& o, std::ostream& out, std::ostream& err) {
  core::CatalogState state(".");
  ReadCatalog(state, o.catalog);
  // The program sorts by the searched field first, so positions are those it would select.
  const RecordField field = o.name   ? RecordField::Name
                            : o.type ? RecordField::Type
                                     : RecordField::Year;
  const std::string& text = o.name ? *o.name : o.type ? *o.type : *o.year;
  const std::string prompt = ToCp1251OrFail(text, "the search text");
  core::SortByField(state.DistroTable, field);
  const std::vector<std::int32_t> found = core::MatchingPositions(state.DistroTable, field, prompt);
  if (found.empty()) err << "nothing found\n";
  // An empty document still tells a script that the search ran.
  if (o.format == "csv") {
    PrintCsv(out, state.DistroTable, found);
  } else if (o.format == "json") {
    PrintJson(out, state.DistroTable, found);
  } else if (!found.empty()) {
    PrintTable(out, state.DistroTable, found, TableWidth(out));
  }
  return found.empty() ? 1 : 0;
}

}  // namespace

Command AddSearchCommand(CLI::App& app) {
  auto o = std::make_shared<SearchOptions>();
  CLI::App* cmd = app.add_subcommand(
      "search",
      "Records whose name, type or year contains TEXT (case-blind), with their positions after "
      "the program's sort by that field");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv), - for standard input")->required();
  CLI::Option_group* field =
      cmd->add_option_group("field", "Exactly one field to search, with the text");
  field->add_option("--name", o->name, "Search the names");
  field->add_option("--type", o->type, "Search the types");
  field->add_option("--year", o->year, "Search the years");
  field->require_option(1);
  cmd->add_option("--format", o->format,
                  "table (default), csv (with a first column Position) or json")
      ->check(CLI::IsMember({"table", "csv", "json"}))
      ->option_text("table|csv|json");
  cmd->footer(
      "Exit status: 0 found, 1 nothing found, 2 an error.\n"
      "Examples:\n"
      "  kitrova-cli search base.krv --name zip\n"
      "  kitrova-cli search base.krv --type утилиты --format json\n");
  return {cmd, [o](std::ostream& out, std::ostream& err) { return RunSearch(*o, out, err); }};
}

}  // namespace kitrova::cli
