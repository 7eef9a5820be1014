// list: the records in the order the program shows after a click on a column header.
#include <CLI/CLI.hpp>

#include <memory>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "core/Sort.h"

namespace kitrova::cli {

namespace {

struct ListOptions {
  std::string catalog;
  std::string sort = "name";
  std::string format = "table";
};

int RunList(const ListOptions& o, std::ostream& out) {
  core::CatalogState state(".");
  ReadCatalog(state, o.catalog);
  // The sort's order as positions: printing in that order needs no record moved.
  const std::vector<std::int32_t> order =
      core::SortedPositions(state.DistroTable, SortFields().at(o.sort));
  const core::CatalogTable& table = state.DistroTable;
  if (o.format == "csv") {
    PrintCsv(out, table, ',', true, &order);
  } else if (o.format == "json") {
    PrintJson(out, table, order, true);
  } else {
    PrintTable(out, table, order, TableWidth(out), true);
  }
  return 0;
}

}  // namespace

Command AddListCommand(CLI::App& app) {
  auto o = std::make_shared<ListOptions>();
  CLI::App* cmd = app.add_subcommand(
      "list", "Print the records in the order the program shows after a click on a column header");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv), - for standard input")->required();
  cmd->add_option("--sort", o->sort, "Column to sort by (default: name, as at start-up)")
      ->check(CLI::IsMember({"name", "type", "license", "year", "comment"}))
      ->option_text("name|type|license|year|comment");
  cmd->add_option("--format", o->format,
                  "table (cut to the terminal's width when printed on one), csv or json "
                  "(the versioned document import reads)")
      ->check(CLI::IsMember({"table", "csv", "json"}))
      ->option_text("table|csv|json");
  cmd->footer(
      "Examples:\n"
      "  kitrova-cli list base.krv --sort year\n"
      "  kitrova-cli list base.krv --format json | jq -r '.records[].Name'\n");
  return {cmd, [o](std::ostream& out, std::ostream&) { return RunList(*o, out); }};
}

}  // namespace kitrova::cli
