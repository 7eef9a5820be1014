#pragma once
// One kitrova-cli command: its subcommand with the options it parsed, and what runs it. Each
// command lives in its own file and adds itself to the parser with its Add… function.

#include <functional>
#include <ostream>

namespace CLI {
class App;
}

namespace kitrova::cli {

struct Command {
  CLI::App* parser = nullptr;
  std::function<int(std::ostream& out, std::ostream& err)> run;
};

Command AddListCommand(CLI::App& app);
Command AddSearchCommand(CLI::App& app);
Command AddExportCommand(CLI::App& app);
Command AddImportCommand(CLI::App& app);
Command AddCheckCommand(CLI::App& app);
Command AddScanCommand(CLI::App& app);
Command AddInfoCommand(CLI::App& app);

// The options of the commands that write a catalog (import, scan): --backup and --wait.
void AddWriterOptions(CLI::App& cmd, bool& backup, int& wait);

}  // namespace kitrova::cli
