#include "describe/MsiReader.h"

#include <chrono>
#include <map>
#include <string>

#include "describe/CompoundFile.h"
#include "describe/PeVersion.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::describe {

namespace {

constexpr std::uint64_t kMaxStream = 16 << 20;
// FILETIME counts 100 ns steps from 1601-01-01; the Unix epoch is this many seconds later.
constexpr std::int64_t kFileTimeToUnix = 11644473600LL;
constexpr std::uint32_t kLongStringRefs = 0x8000;

// Table streams are named in a packed alphabet of 64 characters, two to a UTF-16 unit.
std::u16string TableStreamName(std::string_view table) {
  auto code = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    if (c >= 'a' && c <= 'z') return c - 'a' + 36;
    return c == '.' ? 62 : 63;
  };
  std::u16string name(1, u'\x4840');
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (i + 1 < table.size()) {
      name += static_cast<char16_t>(0x3800 + code(table[i]) + (code(table[i + 1]) << 6));
      ++i;
    } else {
      name += static_cast<char16_t>(0x4800 + code(table[i]));
    }
  }
  return name;
}

const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

class StringPool {
 public:
  explicit StringPool(CompoundFile& file) {
    const auto pool = file.stream(TableStreamName("_StringPool"), kMaxStream);
    const auto data = file.stream(TableStreamName("_StringData"), kMaxStream);
    if (!pool || !data) throw DescribeError("the database has no string pool");
    if (pool->size() < 4) throw DescribeError("the database's string pool is empty");
    const std::uint32_t flags = Le16(*pool, 2);
    codePage_ = static_cast<int>(Le16(*pool, 0) | (flags & ~kLongStringRefs) << 16);
    refSize_ = (flags & kLongStringRefs) ? 3 : 2;
    CodePageToUtf8("", codePage_);  // refuses an unknown code page before anything is read
    std::uint64_t offset = 0;
    strings_.emplace_back();  // id 0 is the null string
    for (std::size_t at = 4; at + 4 <= pool->size(); at += 4) {
      std::uint64_t length = Le16(*pool, at);
      const std::uint32_t refs = Le16(*pool, at + 2);
      if (length == 0 && refs != 0) {  // a long string: its length is in the next entry
        at += 4;
        length = Le32(*pool, at);
      }
      if (offset + length > data->size()) throw DescribeError("the string pool runs past its data");
      strings_.push_back(CodePageToUtf8(std::string_view(*data).substr(offset, length), codePage_));
      offset += length;
    }
  }

  int refSize() const { return refSize_; }
  const std::string& at(std::uint32_t id) const {
    if (id >= strings_.size()) throw DescribeError("a string reference out of range");
    return strings_[id];
  }

 private:
  std::vector<std::string> strings_;
  int codePage_ = 0;
  int refSize_ = 2;
};

std::optional<int> YearOfFileTime(std::uint64_t filetime) {
  if (filetime == 0) return std::nullopt;
  const std::int64_t unixSeconds =
      static_cast<std::int64_t>(filetime / 10000000ULL) - kFileTimeToUnix;
  const auto day = std::chrono::floor<std::chrono::days>(
      std::chrono::sys_seconds{std::chrono::seconds{unixSeconds}});
  return static_cast<int>(std::chrono::year_month_day{day}.year());
}

// The summary information property set: one section of (id, offset) pairs, then typed values.
void ReadSummary(std::string_view s, Description& d) {
  if (Le16(s, 0) != 0xFFFE) throw DescribeError("summary information with a wrong byte order");
  if (Le32(s, 24) < 1) return;
  const std::uint32_t section = Le32(s, 44);
  const std::uint32_t count = Le32(s, section + 4);
  if (count > 1000) throw DescribeError("summary information with too many properties");
  std::map<std::uint32_t, std::uint32_t> offsets;
  for (std::uint32_t i = 0; i < count; ++i) {
    offsets[Le32(s, section + 8 + i * 8)] = section + Le32(s, section + 12 + i * 8);
  }
  int codePage = 1252;
  if (const auto it = offsets.find(1); it != offsets.end() && Le32(s, it->second) == 2) {
    codePage = static_cast<int>(Le16(s, it->second + 4));
  }
  auto text = [&](std::uint32_t id) -> std::string {
    const auto it = offsets.find(id);
    if (it == offsets.end()) return {};
    const std::uint32_t type = Le32(s, it->second);
    const std::uint32_t length = Le32(s, it->second + 4);
    if (length > s.size()) throw DescribeError("summary information text runs past its stream");
    if (type == 30) {  // 8-bit text in the set's code page
      if (it->second + 8 + std::uint64_t{length} > s.size()) {
        throw DescribeError("summary information text runs past its stream");
      }
      std::string_view bytes = s.substr(it->second + 8, length);
      if (const auto nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
      return CodePageToUtf8(bytes, codePage);
    }
    if (type == 31) {  // UTF-16 text, length in characters
      if (it->second + 8 + 2 * std::uint64_t{length} > s.size()) {
        throw DescribeError("summary information text runs past its stream");
      }
      return Utf16ToUtf8(s.substr(it->second + 8, 2 * std::size_t{length}));
    }
    return {};
  };
  d.title = text(2);
  d.subject = text(3);
  d.author = text(4);
  d.comments = text(6);
  if (const auto it = offsets.find(12); it != offsets.end() && Le32(s, it->second) == 64) {
    d.year = YearOfFileTime(std::uint64_t{Le32(s, it->second + 4)} |
                            std::uint64_t{Le32(s, it->second + 8)} << 32);
    if (d.year) d.yearSource = "the creation time in the summary information";
  }
}

}  // namespace

std::string CodePageToUtf8(std::string_view bytes, int codePage) {
  if (codePage == 65001) return std::string(bytes);
  if (codePage == 1251) return platform::Cp1251ToUtf8(bytes);
  if (codePage != 1252 && codePage != 0 && codePage != 20127) {
    throw DescribeError("texts in code page " + std::to_string(codePage) +
                        ", which this reader does not know");
  }
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const char16_t unit = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
    const char16_t pair[2] = {unit, 0};
    out += Utf16ToUtf8(std::string_view(reinterpret_cast<const char*>(pair), 2));
  }
  return out;
}

Description ReadMsi(ByteSource& source) {
  Description d;
  d.kind = FileKind::WindowsInstaller;
  CompoundFile file(source);
  const StringPool pool(file);
  const auto table = file.stream(TableStreamName("Property"), kMaxStream);
  if (!table) throw DescribeError("the database has no Property table");
  // Two string columns, stored column after column.
  const std::size_t row = 2 * static_cast<std::size_t>(pool.refSize());
  if (table->size() % row != 0) throw DescribeError("the Property table has a damaged size");
  const std::size_t rows = table->size() / row;
  auto ref = [&](std::size_t at) {
    std::uint32_t id = Le16(*table, at);
    if (pool.refSize() == 3)
      id |= static_cast<std::uint32_t>(static_cast<unsigned char>((*table)[at + 2])) << 16;
    return id;
  };
  for (std::size_t r = 0; r < rows; ++r) {
    const std::size_t refSize = static_cast<std::size_t>(pool.refSize());
    const std::string& name = pool.at(ref(r * refSize));
    const std::string& value = pool.at(ref((rows + r) * refSize));
    if (name == "ProductName")
      d.productName = value;
    else if (name == "ProductVersion")
      d.productVersion = value;
    else if (name == "Manufacturer")
      d.companyName = value;
    else if (name == "ARPCOMMENTS")
      d.fileDescription = value;
  }
  if (const auto summary = file.stream(u"\x0005SummaryInformation", kMaxStream)) {
    ReadSummary(*summary, d);
  }
  if (d.companyName.empty()) d.companyName = d.author;
  // The package's description; the comments are mostly the same boilerplate for every .msi.
  if (d.fileDescription.empty() && d.subject != d.productName) d.fileDescription = d.subject;
  return d;
}

}  // namespace kitrova::describe
