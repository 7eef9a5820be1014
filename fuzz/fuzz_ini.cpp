// Bytes as settings.ini: read the program's keys and keys named in the file, write one key,
// and check that the write changed nothing outside that key's line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzFolder.h"
#include "platform/IniFile.h"

namespace {

using kitrova::platform::ReadIniValue;
using kitrova::platform::WriteIniValue;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  Check(file != nullptr, "settings file after a write");
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    bytes.append(chunk, got);
  }
  std::fclose(file);
  return bytes;
}

using Key = std::pair<std::string, std::string>;

// The program's keys and up to eight section/key names as they appear in the file.
std::vector<Key> KeysToRead(std::string_view content) {
  std::vector<Key> keys = {{"lastbase", "path"}, {"dir", "path"}, {"backup", "do"}};
  std::string section;
  std::size_t start = 0;
  while (start < content.size() && keys.size() < 11) {
    std::size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view line = content.substr(start, end - start);
    if (!line.empty() && line.front() == '[' && line.find(']') != std::string_view::npos) {
      section = std::string(line.substr(1, line.find(']') - 1));
    } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos && eq > 0) {
      keys.emplace_back(section, std::string(line.substr(0, eq)));
    }
    start = end + 1;
  }
  return keys;
}

bool PlainName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const auto file = kitrova::fuzz::Scratch() / "settings.ini";
  {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    Check(out != nullptr, "scratch file");
    if (size > 0) Check(std::fwrite(data, 1, size, out) == size, "scratch write");
    std::fclose(out);
  }

  const std::vector<Key> keys = KeysToRead(content);
  std::vector<std::string> before;
  for (const auto& [section, key] : keys) {
    before.push_back(ReadIniValue(file, section, key));
    Check(before.back().size() <= kitrova::platform::kIniValueLimit, "value limit");
  }

  // Write a key named in the file when it has a plain name, else the backup switch.
  Key target = {"backup", "do"};
  for (std::size_t k = 3; k < keys.size(); ++k) {
    if (size % 2 == 1 && PlainName(keys[k].first) && PlainName(keys[k].second)) {
      target = keys[k];
      break;
    }
  }
  const std::string value = "v" + std::to_string(size);
  WriteIniValue(file, target.first, target.second, value);
  const std::string after = ReadBytes(file);

  Check(ReadIniValue(file, target.first, target.second) == value, "written value reads back");
  // Outside the one changed stretch every byte stays; what was removed lies within a line.
  std::size_t prefix = 0;
  while (prefix < content.size() && prefix < after.size() && content[prefix] == after[prefix]) {
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < content.size() - prefix && suffix < after.size() - prefix &&
         content[content.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::string_view removed =
      std::string_view(content).substr(prefix, content.size() - prefix - suffix);
  Check(removed.find('\n') == std::string_view::npos, "other lines kept byte for byte");

  // Every other key reads as before, unless it is the same key under another spelling.
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const std::string now = ReadIniValue(file, keys[k].first, keys[k].second);
    if (now != before[k] && now != value) Check(false, "another key changed");
  }
  return 0;
}
