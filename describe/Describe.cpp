#include <algorithm>
#include <chrono>

#include "describe/ArchiveReader.h"
#include "describe/ByteSource.h"
#include "describe/Description.h"
#include "describe/MsiReader.h"
#include "describe/PeVersion.h"

namespace kitrova::describe {

namespace {

enum class Magic { Executable, Compound, Archive, Unknown };

Magic MagicOf(std::string_view head) {
  if (head.starts_with("MZ")) return Magic::Executable;
  if (head.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return Magic::Compound;
  if (head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06") ||
      head.starts_with("Rar!\x1A\x07")) {
    return Magic::Archive;
  }
  return Magic::Unknown;
}

[[noreturn]] void RefuseUnknown(std::uint64_t size) {
  if (size == 0) throw DescribeError("the file is empty");
  throw DescribeError("neither an executable, an .msi nor a .zip or .rar archive");
}

std::string Value(const VersionResource& v, const char* key) {
  const auto it = v.strings.find(key);
  if (it == v.strings.end()) return {};
  std::string text = it->second;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

Description FromVersion(const VersionResource& v) {
  Description d;
  d.kind = FileKind::Executable;
  d.productName = Value(v, "ProductName");
  d.productVersion = Value(v, "ProductVersion");
  d.fileVersion = Value(v, "FileVersion");
  d.companyName = Value(v, "CompanyName");
  d.fileDescription = Value(v, "FileDescription");
  d.legalCopyright = Value(v, "LegalCopyright");
  if (d.productVersion.empty()) d.productVersion = v.productVersionNumber;
  if (d.fileVersion.empty()) d.fileVersion = v.fileVersionNumber;
  if ((d.year = CopyrightYear(d.legalCopyright)))
    d.yearSource = "the copyright in the version resource";
  return d;
}

}  // namespace

std::string_view KindName(FileKind kind) {
  switch (kind) {
    case FileKind::Executable:
      return "executable";
    case FileKind::WindowsInstaller:
      return "msi";
    case FileKind::Archive:
      return "archive";
  }
  return "unknown";
}

std::optional<int> CopyrightYear(std::string_view text) {
  const int latest = static_cast<int>(std::chrono::year_month_day{
                         std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())}
                                          .year()) +
                     1;
  std::optional<int> year;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::size_t j = i;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    if (j - i == 4) {
      const int value = std::stoi(std::string(text.substr(i, 4)));
      if (value >= 1980 && value <= latest) year = std::max(year.value_or(value), value);
    }
    i = std::max(i, j);
  }
  return year;
}

Description DescribeBytes(std::string_view bytes) {
  switch (MagicOf(bytes.substr(0, 8))) {
    case Magic::Executable: {
      MemorySource source(bytes);
      return FromVersion(ReadVersionResource(source));
    }
    case Magic::Archive:
      return ReadArchive(bytes);
    case Magic::Compound: {
      MemorySource source(bytes);
      return ReadMsi(source);
    }
    case Magic::Unknown:
      break;
  }
  RefuseUnknown(bytes.size());
}

Description DescribeFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) throw DescribeError("not a regular file");
  FileSource source(path);
  const std::string head = source.read(0, std::min<std::uint64_t>(8, source.size()), "the header");
  switch (MagicOf(head)) {
    case Magic::Executable:
      return FromVersion(ReadVersionResource(source));
    case Magic::Compound:
      return ReadMsi(source);
    case Magic::Archive:
      return ReadArchive(path);
    case Magic::Unknown:
      break;
  }
  RefuseUnknown(source.size());
}

}  // namespace kitrova::describe
