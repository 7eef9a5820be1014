// search: records whose name, type or year holds a text, at the positions the program selects.
#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "core/Search.h"
#include "core/Sort.h"

namespace kitrova::cli {

namespace {

using core::RecordField;

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

}  // namespace

Command AddSearchCommand(CLI::App& app) {
  auto o = std::make_shared<SearchOptions>();
  CLI::App* cmd = app.add_subcommand(
      "search",
      "Records whose name, type or year contains TEXT (case-blind), with their positions after "
      "the program's sort by that field");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv)")->required();
  CLI::Option_group* field =
      cmd->add_option_group("field", "Exactly one field to search, with the text");
  field->add_option("--name", o->name, "Search the names");
  field->add_option("--type", o->type, "Search the types");
  field->add_option("--year", o->year, "Search the years");
  field->require_option(1);
  return {cmd, [o](std::ostream& out, std::ostream& err) { return RunSearch(*o, out, err); }};
}

}  // namespace kitrova::cli
