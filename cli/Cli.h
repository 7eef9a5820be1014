#pragma once
// kitrova-cli: list, search, export, import, check and scan a .krv catalog.

#include <ostream>

namespace kitrova::cli {

// Runs one command line. Exit status: 0 done, 1 refused or (check) something found,
// 2 bad arguments or (check) a catalog that cannot be read.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kitrova::cli
