#include "cli/Cli.h"

#include <CLI/CLI.hpp>

#include <vector>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "core/CatalogError.h"

namespace kitrova::cli {

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

  const std::vector<Command> commands = {AddListCommand(app),   AddSearchCommand(app),
                                         AddExportCommand(app), AddImportCommand(app),
                                         AddCheckCommand(app),  AddScanCommand(app)};

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error, out, err);  // --help
    err << "error: " << error.what() << "\n\n" << app.help();
    return 2;
  }

  try {
    for (const Command& command : commands) {
      if (command.parser->parsed()) return command.run(out, err);
    }
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
