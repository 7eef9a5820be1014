#include "cli/Cli.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "cli/Terminal.h"

#ifndef KITROVA_VERSION
#define KITROVA_VERSION "unknown"
#endif

namespace kitrova::cli {

void AddWriterOptions(CLI::App& cmd, bool& backup, int& wait) {
  cmd.add_flag("--backup", backup,
               "Copy the catalog into Backup/ beside it first (backupY_M_D_h_m_s.krv)");
  cmd.add_option("--wait", wait,
                 "Seconds to wait while Kitrova or another kitrova-cli writes the catalog "
                 "(default 0); then refused with exit status 2")
      ->check(CLI::Range(0, 86400));
}

namespace {

// Edits that turn `a` into `b`: one letter added, dropped or changed counts one.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1] ? 1 : 0)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The command a mistyped word was meant to be, when one is close enough; empty otherwise.
std::string NearestCommand(const CLI::App& app, std::string_view word) {
  std::string best;
  std::size_t bestDistance = 3;
  for (const CLI::App* sub : app.get_subcommands({})) {
    const std::size_t distance = EditDistance(word, sub->get_name());
    if (distance < bestDistance) {
      bestDistance = distance;
      best = sub->get_name();
    }
  }
  return best;
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "kitrova-cli: the Kitrova catalog (.krv) from the command line, with the program's own "
      "rules (record image, Windows-1251 text, sort order, crash-safe save, 10000 records).",
      "kitrova-cli"};
  app.footer(
      "Standard output carries data only: records, findings, exported text. Messages, "
      "summaries and errors go to standard error, in English. Record texts are UTF-8. A "
      "CATALOG to read, or the FILE to import or export, may be - for standard input or "
      "output.\n"
      "Exit status: 0 done (search: found), 1 nothing found (search) or findings (check), "
      "2 an error (bad arguments, unreadable input, refused write, or a catalog that Kitrova or "
      "another kitrova-cli is writing: import and scan --wait for it).\n");
  app.require_subcommand(1);
  app.fallthrough();
  app.set_version_flag("--version", "kitrova-cli " KITROVA_VERSION);
  bool quiet = false;
  app.add_flag("-q,--quiet", quiet, "Print no messages or summaries, only errors");

  const std::vector<Command> commands = {
      AddListCommand(app),  AddSearchCommand(app), AddExportCommand(app), AddImportCommand(app),
      AddCheckCommand(app), AddScanCommand(app),   AddInfoCommand(app)};

  const auto subcommands = app.get_subcommands({});
  const bool known =
      argc > 1 && std::any_of(subcommands.begin(), subcommands.end(),
                              [&](const CLI::App* sub) { return sub->get_name() == argv[1]; });
  if (argc > 1 && argv[1][0] != '-' && !known) {
    const std::string nearest = NearestCommand(app, argv[1]);
    err << "error: unknown command \"" << argv[1] << "\"";
    if (!nearest.empty()) {
      err << "; did you mean " << nearest << "?\nkitrova-cli --help lists the commands.\n";
      return 2;
    }
    err << "\n\n" << app.help();
    return 2;
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) {  // --help, --version
      app.exit(error, out, err);
      out.flush();
      if (out) return 0;
      err << "error: cannot write to standard output: " << WriteFailure(out) << '\n';
      return 2;
    }
    err << "error: " << error.what() << "\n\n" << app.help();
    return 2;
  }

  std::ostream silent(nullptr);
  std::ostream& messages = quiet ? silent : err;
  try {
    for (const Command& command : commands) {
      if (!command.parser->parsed()) continue;
      const int status = command.run(out, messages);
      if (!out.flush()) throw CliError("cannot write to standard output: " + WriteFailure(out));
      return status;
    }
  } catch (const CliError& error) {
    err << "error: " << error.what() << '\n';
    return error.status();
  } catch (const std::exception& error) {
    err << "error: " << error.what() << '\n';
    return 2;
  }
  return 2;
}

}  // namespace kitrova::cli
