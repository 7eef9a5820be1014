#include "cli/DuplicateInstallers.h"

#include <filesystem>
#include <map>
#include <set>

#include "cli/Describe.h"
#include "cli/Session.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace fs = std::filesystem;

std::vector<std::string> DuplicateInstallers(const std::vector<core::DistroRecord>& records) {
  struct Candidate {
    std::size_t position;
    std::string path;
  };
  // Only files of equal size are hashed: most installers differ in size already.
  std::map<std::uintmax_t, std::vector<Candidate>> bySize;
  std::set<std::string> paths;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string path = platform::Cp1251ToUtf8(records[i].Path.view());
    if (path.empty() || !paths.insert(path).second) continue;
    std::error_code ec;
    const fs::path file = PathFromUtf8(path);
    if (!fs::is_regular_file(file, ec)) continue;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec) bySize[size].push_back({i + 1, path});
  }
  std::map<std::size_t, std::string> findings;
  for (const auto& [size, group] : bySize) {
    if (group.size() < 2) continue;
    std::map<std::string, std::size_t> first;  // SHA-256 -> position that had it first
    for (const Candidate& c : group) {
      std::string hash;
      try {
        hash = Sha256Of(PathFromUtf8(c.path));
      } catch (const CliError&) {
        continue;  // unreadable now: nothing to compare
      }
      const auto [it, inserted] = first.emplace(hash, c.position);
      if (inserted) continue;
      findings[c.position] = "record " + std::to_string(c.position) +
                             ": the same installer as record " + std::to_string(it->second) + " (" +
                             std::to_string(size) + " bytes, SHA-256 " + hash +
                             ") under another path: " + c.path;
    }
  }
  std::vector<std::string> lines;
  for (auto& [position, line] : findings) lines.push_back(std::move(line));
  return lines;
}

}  // namespace kitrova::cli
