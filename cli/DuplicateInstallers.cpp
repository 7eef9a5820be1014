#include "cli/DuplicateInstallers.h"

#include <filesystem>
#include <map>
#include <set>

#include "cli/Describe.h"
#include "cli/Session.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace fs = std::filesystem;

std::vector<SameInstaller> DuplicateInstallers(const core::CatalogTable& table) {
  struct Candidate {
    std::int32_t position;
    std::string path;
  };
  // Only files of equal size are hashed: most installers differ in size already.
  std::map<std::uintmax_t, std::vector<Candidate>> bySize;
  std::set<std::string> paths;
  for (std::int32_t p = 1; p <= table.count(); ++p) {
    const std::string path = platform::Cp1251ToUtf8(table.at(p).Path.view());
    if (path.empty() || !paths.insert(path).second) continue;
    std::error_code ec;
    const fs::path file = PathFromUtf8(path);
    if (!fs::is_regular_file(file, ec)) continue;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec) bySize[size].push_back({p, path});
  }
  std::map<std::int32_t, std::string> findings;
  for (const auto& [size, group] : bySize) {
    if (group.size() < 2) continue;
    std::map<std::string, std::int32_t> first;  // SHA-256 -> position that had it first
    for (const Candidate& c : group) {
      std::string hash;
      try {
        hash = Sha256Of(PathFromUtf8(c.path));
      } catch (const CliError&) {
        continue;  // unreadable now: nothing to compare
      }
      const auto [it, inserted] = first.emplace(hash, c.position);
      if (inserted) continue;
      findings[c.position] = "the same installer as record " + std::to_string(it->second) + " (" +
                             std::to_string(size) + " bytes, SHA-256 " + hash +
                             ") under another path: " + c.path;
    }
  }
  std::vector<SameInstaller> found;
  for (auto& [position, message] : findings) found.push_back({position, std::move(message)});
  return found;
}

}  // namespace kitrova::cli
