#include "describe/PeVersion.h"

#include <cstdint>
#include <set>
#include <string_view>

#include "describe/Description.h"

namespace kitrova::describe {

namespace {

constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kMaxSections = 96;  // the loader's own limit
constexpr std::uint32_t kMaxDirectoryEntries = 4096;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;

struct Section {
  std::uint32_t address, virtualSize, rawSize, rawOffset;
};

class PeImage {
 public:
  explicit PeImage(ByteSource& source) : source_(source) {
    const std::string dos = source.read(0, 64, "the DOS header");
    if (dos[0] != 'M' || dos[1] != 'Z') throw DescribeError("not a Windows executable (no MZ)");
    const std::uint32_t pe = Le32(dos, 0x3C);
    const std::string head = source.read(pe, 24, "the PE header");
    if (head.compare(0, 4, std::string_view("PE\0\0", 4)) != 0) {
      throw DescribeError("not a Windows executable (no PE signature where the header says)");
    }
    const std::uint16_t sections = Le16(head, 6);
    const std::uint16_t optionalSize = Le16(head, 20);
    if (sections > kMaxSections) throw DescribeError("too many sections in the PE header");
    const std::string optional = source.read(pe + 24, optionalSize, "the optional header");
    const std::uint16_t magic = Le16(optional, 0);
    std::size_t directories = 0;
    if (magic == 0x10B) {
      directories = 96;
    } else if (magic == 0x20B) {
      directories = 112;
    } else {
      throw DescribeError("unknown optional header (neither PE32 nor PE32+)");
    }
    const std::uint32_t directoryCount = Le32(optional, directories - 4);
    if (directoryCount > 2 && directories + 24 <= optional.size()) {
      resourceAddress_ = Le32(optional, directories + 16);
      resourceSize_ = Le32(optional, directories + 20);
    }
    const std::string table = source.read(pe + 24 + std::uint64_t{optionalSize},
                                          std::uint64_t{sections} * 40, "the section table");
    for (std::uint16_t i = 0; i < sections; ++i) {
      const std::size_t at = std::size_t{i} * 40;
      sections_.push_back(
          {Le32(table, at + 12), Le32(table, at + 8), Le32(table, at + 16), Le32(table, at + 20)});
    }
  }

  std::uint32_t resourceAddress() const { return resourceAddress_; }
  std::uint32_t resourceSize() const { return resourceSize_; }

  // `count` bytes at a relative virtual address, from the section's bytes in the file.
  std::string readAddress(std::uint32_t address, std::uint32_t count, std::string_view what) {
    for (const Section& s : sections_) {
      if (address < s.address || address - s.address >= s.rawSize) continue;
      const std::uint32_t into = address - s.address;
      if (count > s.rawSize - into) break;
      return source_.read(std::uint64_t{s.rawOffset} + into, count, what);
    }
    throw DescribeError(std::string(what) + " lies outside every section of the file");
  }

 private:
  ByteSource& source_;
  std::vector<Section> sections_;
  std::uint32_t resourceAddress_ = 0;
  std::uint32_t resourceSize_ = 0;
};

// The resource tree has three levels (type, name, language); we walk it without recursion
// and refuse a directory that is visited twice.
std::string FindVersionData(PeImage& image) {
  const std::uint32_t root = image.resourceAddress();
  const std::uint32_t size = image.resourceSize();
  if (root == 0) return {};
  std::set<std::uint32_t> visited;
  std::uint32_t directory = 0;
  for (int level = 0; level < 3; ++level) {
    if (directory >= size) throw DescribeError("resource directory offset out of range");
    if (!visited.insert(directory).second) {
      throw DescribeError("resource directory refers back to itself");
    }
    const std::string head = image.readAddress(root + directory, 16, "a resource directory");
    const std::uint32_t entries = std::uint32_t{Le16(head, 12)} + Le16(head, 14);
    if (entries > kMaxDirectoryEntries) throw DescribeError("too many resource entries");
    if (entries == 0) return {};
    const std::string list =
        image.readAddress(root + directory + 16, entries * 8, "a resource directory's entries");
    std::optional<std::uint32_t> next;
    for (std::uint32_t i = 0; i < entries && !next; ++i) {
      const std::uint32_t id = Le32(list, i * 8);
      const std::uint32_t target = Le32(list, i * 8 + 4);
      // Level 0 is the type: only the version type; below it the first name and language.
      if (level == 0 && id != kResourceTypeVersion) continue;
      next = target;
    }
    if (!next) return {};
    const bool isDirectory = (*next & 0x80000000u) != 0;
    const std::uint32_t offset = *next & 0x7FFFFFFFu;
    if (level < 2) {
      if (!isDirectory) throw DescribeError("version resource tree is too shallow");
      directory = offset;
      continue;
    }
    if (isDirectory) throw DescribeError("version resource tree is deeper than three levels");
    if (offset >= size) throw DescribeError("resource data entry offset out of range");
    const std::string entry = image.readAddress(root + offset, 16, "the version data entry");
    const std::uint32_t dataSize = Le32(entry, 4);
    if (dataSize > 0xFFFF) throw DescribeError("version resource larger than 64 KiB");
    return image.readAddress(Le32(entry, 0), dataSize, "the version resource");
  }
  return {};
}

std::size_t Align4(std::size_t at) {
  return (at + 3) & ~std::size_t{3};
}

struct Block {
  std::string key;
  std::size_t value = 0;  // where the value starts
  std::size_t children = 0;
  std::size_t end = 0;
  std::uint16_t valueLength = 0;
};

Block ReadBlock(std::string_view data, std::size_t at, std::size_t limit) {
  const std::uint16_t length = Le16(data, at);
  if (length < 6)
    throw DescribeError("version block too short (length " + std::to_string(length) + ")");
  if (at + length > limit) throw DescribeError("version block runs past its parent");
  Block block;
  block.end = at + length;
  block.valueLength = Le16(data, at + 2);
  std::size_t key = at + 6;
  while (key + 1 < block.end && (data[key] != 0 || data[key + 1] != 0)) key += 2;
  block.key = Utf16ToUtf8(data.substr(at + 6, key - (at + 6)));
  block.value = std::min(Align4(key + 2), block.end);
  block.children = block.value;
  return block;
}

template <typename Visit>
void ForEachChild(std::string_view data, const Block& parent, Visit visit) {
  for (std::size_t at = Align4(parent.children); at + 6 <= parent.end;) {
    const Block child = ReadBlock(data, at, parent.end);
    visit(child);
    at = Align4(child.end);
  }
}

std::string VersionNumber(std::string_view fixed, std::size_t at) {
  const std::uint32_t high = Le32(fixed, at), low = Le32(fixed, at + 4);
  return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
         std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
}

}  // namespace

std::string Utf16ToUtf8(std::string_view bytes) {
  std::string out;
  auto put = [&out](std::uint32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = Le16(bytes, i);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t low = Le16(bytes, i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        put(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    put(c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
  }
  return out;
}

VersionResource ReadVersionResource(ByteSource& source) {
  PeImage image(source);
  const std::string data = FindVersionData(image);
  VersionResource result;
  if (data.empty()) return result;
  const Block root = ReadBlock(data, 0, data.size());
  if (root.key != "VS_VERSION_INFO") throw DescribeError("version resource has a wrong key");
  result.present = true;
  Block body = root;
  if (root.valueLength >= 52) {
    if (root.value + 52 > root.end) throw DescribeError("fixed version info runs past its block");
    const std::string_view fixed = std::string_view(data).substr(root.value, 52);
    if (Le32(fixed, 0) == kFixedInfoSignature) {
      result.fileVersionNumber = VersionNumber(fixed, 8);
      result.productVersionNumber = VersionNumber(fixed, 16);
    }
    body.children = root.value + root.valueLength;
  }
  bool tableRead = false;
  ForEachChild(data, body, [&](const Block& info) {
    if (info.key != "StringFileInfo") return;
    ForEachChild(data, info, [&](const Block& table) {
      if (tableRead) return;
      tableRead = true;
      ForEachChild(data, table, [&](const Block& text) {
        const std::string_view value =
            std::string_view(data).substr(text.value, text.end - text.value);
        result.strings.emplace(text.key, Utf16ToUtf8(value));
      });
    });
  });
  return result;
}

}  // namespace kitrova::describe
