// The manual page and the bash completion cannot drift from --help: every command and
// option --help shows is in both, and the page names no option --help lacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "support/TempFolder.h"

namespace kitrova::cli {
namespace {

namespace fs = std::filesystem;

const fs::path kSources = fs::path(KITROVA_ASSETS_DIR).parent_path();

std::string Help(std::vector<std::string> args) {
  args.insert(args.begin(), "kitrova-cli");
  args.push_back("--help");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  EXPECT_EQ(RunCli(static_cast<int>(argv.size()), argv.data(), out, err), 0) << err.str();
  // The examples pass options to other tools (jq -r, mlr --icsv).
  const std::string help = out.str();
  return help.substr(0, help.find("Examples:"));
}

std::set<std::string> Options(const std::string& text) {
  static const std::regex option(R"((^|[\s,\[|])(--?[a-z][a-z0-9-]*))");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
       it != std::sregex_iterator(); ++it) {
    found.insert((*it)[2]);
  }
  return found;
}

bool HasWord(const std::string& text, const std::string& word) {
  return std::regex_search(text, std::regex("(^|[^a-z-])" + word + "($|[^a-z-])"));
}

TEST(ManualTest, PageAndCompletionNameWhatHelpShows) {
  std::string page = testing::ReadFileBytes(kSources / "cli" / "kitrova-cli.1");
  page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
  const std::string completion = testing::ReadFileBytes(kSources / "cli" / "kitrova-cli.bash");

  std::set<std::string> helpOptions = Options(Help({}));
  for (const char* command : {"list", "search", "export", "import", "check", "scan"}) {
    EXPECT_NE(page.find(std::string("\\fB") + command + "\\fR"), std::string::npos) << command;
    EXPECT_TRUE(HasWord(completion, command)) << command;
    const std::string help = Help({command});
    for (const std::string& option : Options(help)) {
      helpOptions.insert(option);
      EXPECT_TRUE(HasWord(page, option)) << command << " " << option;
      EXPECT_TRUE(HasWord(completion, option)) << command << " " << option;
    }
  }
  // Examples in the page pass arguments to other tools (jq -r, mlr --icsv): only the
  // page's own option list is checked the other way.
  const std::string synopsis = page.substr(0, page.find(".SH EXAMPLES"));
  for (const std::string& option : Options(synopsis)) {
    EXPECT_TRUE(helpOptions.count(option)) << option << " is in the manual, not in --help";
  }
}

}  // namespace
}  // namespace kitrova::cli
