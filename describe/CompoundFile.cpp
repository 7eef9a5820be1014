#include "describe/CompoundFile.h"

#include <algorithm>

#include "describe/Description.h"

namespace kitrova::describe {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA;
constexpr std::uint32_t kMiniSector = 64;
// Tables and directory beyond these sizes are not an installer's: refuse rather than allocate.
constexpr std::uint64_t kMaxTableSectors = 1 << 16;
constexpr std::uint64_t kMaxDirectoryBytes = 16 << 20;

void AppendWords(std::vector<std::uint32_t>& table, std::string_view bytes) {
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) table.push_back(Le32(bytes, at));
}

}  // namespace

CompoundFile::CompoundFile(ByteSource& source) : source_(source) {
  const std::string header = source.read(0, 512, "the compound file header");
  if (header.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") != 0) {
    throw DescribeError("not a compound file");
  }
  sectorShift_ = Le16(header, 0x1E);
  if (sectorShift_ != 9 && sectorShift_ != 12) {
    throw DescribeError("compound file with an unknown sector size");
  }
  if (Le16(header, 0x20) != 6)
    throw DescribeError("compound file with an unknown mini sector size");
  const std::uint64_t sectorSize = std::uint64_t{1} << sectorShift_;
  sectorCount_ = source.size() / sectorSize;  // the header fills sector -1
  miniCutoff_ = Le32(header, 0x38);
  const std::uint32_t fatSectors = Le32(header, 0x2C);
  if (fatSectors > kMaxTableSectors || fatSectors > sectorCount_) {
    throw DescribeError("compound file allocation table larger than the file");
  }

  // The sectors of the allocation table: 109 in the header, the rest in a chain of DIFAT
  // sectors whose last word points to the next.
  std::vector<std::uint32_t> fatList;
  AppendWords(fatList, std::string_view(header).substr(0x4C, 109 * 4));
  std::uint32_t difat = Le32(header, 0x44);
  const std::uint32_t words = static_cast<std::uint32_t>(sectorSize / 4);
  for (std::uint64_t steps = 0; fatList.size() < fatSectors && difat < kMaxRegular; ++steps) {
    if (steps > sectorCount_) throw DescribeError("compound file DIFAT chain loops");
    const std::string sector =
        source.read((std::uint64_t{difat} + 1) << sectorShift_, sectorSize, "a DIFAT sector");
    AppendWords(fatList, std::string_view(sector).substr(0, (words - 1) * 4));
    difat = Le32(sector, (words - 1) * 4);
  }
  if (fatList.size() < fatSectors) throw DescribeError("compound file DIFAT is cut short");
  fatList.resize(fatSectors);
  for (std::uint32_t s : fatList) {
    if (s >= sectorCount_) throw DescribeError("compound file allocation sector out of range");
    AppendWords(fat_, source.read((std::uint64_t{s} + 1) << sectorShift_, sectorSize,
                                  "an allocation table sector"));
  }

  const std::string directory = readChain(
      Le32(header, 0x30), std::min<std::uint64_t>(kMaxDirectoryBytes, sectorCount_ * sectorSize),
      "the directory", true);
  for (std::size_t at = 0; at + 128 <= directory.size(); at += 128) {
    Entry e;
    const std::uint16_t nameBytes = std::min<std::uint16_t>(Le16(directory, at + 0x40), 64);
    for (std::size_t i = 0; i + 2 < nameBytes; i += 2) {
      e.name += static_cast<char16_t>(Le16(directory, at + i));
    }
    e.type = static_cast<std::uint8_t>(directory[at + 0x42]);
    e.start = Le32(directory, at + 0x74);
    e.size = Le32(directory, at + 0x78) |
             (sectorShift_ == 12 ? std::uint64_t{Le32(directory, at + 0x7C)} << 32 : 0);
    entries_.push_back(std::move(e));
  }
  if (entries_.empty() || entries_.front().type != 5) {
    throw DescribeError("compound file without a root entry");
  }

  const std::uint32_t miniFatStart = Le32(header, 0x3C);
  const std::uint32_t miniFatSectors = Le32(header, 0x40);
  if (miniFatSectors > kMaxTableSectors) throw DescribeError("compound file mini table too large");
  if (miniFatSectors > 0) {
    AppendWords(miniFat_, readChain(miniFatStart, std::uint64_t{miniFatSectors} * sectorSize,
                                    "the mini allocation table"));
  }
}

std::vector<std::uint32_t> CompoundFile::chain(const std::vector<std::uint32_t>& table,
                                               std::uint32_t start, std::uint64_t maxSectors,
                                               const char* what) const {
  std::vector<std::uint32_t> sectors;
  std::vector<bool> seen(table.size(), false);
  for (std::uint32_t s = start; s != kEndOfChain && sectors.size() < maxSectors; s = table[s]) {
    if (s >= table.size()) {
      throw DescribeError(std::string(what) + ": sector chain leaves the allocation table");
    }
    if (seen[s]) throw DescribeError(std::string(what) + ": sector chain loops");
    seen[s] = true;
    sectors.push_back(s);
  }
  return sectors;
}

std::string CompoundFile::readChain(std::uint32_t start, std::uint64_t size, const char* what,
                                    bool upTo) {
  const std::uint64_t sectorSize = std::uint64_t{1} << sectorShift_;
  const std::uint64_t needed = (size + sectorSize - 1) / sectorSize;
  std::string bytes;
  for (std::uint32_t s : chain(fat_, start, needed, what)) {
    if (s >= sectorCount_) throw DescribeError(std::string(what) + ": sector out of range");
    bytes += source_.read((std::uint64_t{s} + 1) << sectorShift_, sectorSize, what);
  }
  if (bytes.size() < size && !upTo) {
    throw DescribeError(std::string(what) + " is cut short");
  }
  bytes.resize(std::min<std::uint64_t>(bytes.size(), size));
  return bytes;
}

std::string CompoundFile::readMiniChain(std::uint32_t start, std::uint64_t size) {
  if (!miniStreamRead_) {
    const Entry& root = entries_.front();
    const std::uint64_t limit = std::uint64_t{miniFat_.size()} * kMiniSector;
    if (root.size > limit) throw DescribeError("compound file mini stream larger than its table");
    miniStream_ = readChain(root.start, root.size, "the mini stream");
    miniStreamRead_ = true;
  }
  std::string bytes;
  for (std::uint32_t s :
       chain(miniFat_, start, (size + kMiniSector - 1) / kMiniSector, "a small stream")) {
    if ((std::uint64_t{s} + 1) * kMiniSector > miniStream_.size()) {
      throw DescribeError("a small stream lies outside the mini stream");
    }
    bytes.append(miniStream_, std::size_t{s} * kMiniSector, kMiniSector);
  }
  if (bytes.size() < size) throw DescribeError("a small stream is cut short");
  bytes.resize(size);
  return bytes;
}

std::optional<std::string> CompoundFile::stream(const std::u16string& name, std::uint64_t limit) {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.type == 2 && e.name == name; });
  if (it == entries_.end()) return std::nullopt;
  if (it->size > limit) throw DescribeError("a stream of the database is implausibly large");
  if (it->size < miniCutoff_) return readMiniChain(it->start, it->size);
  return readChain(it->start, it->size, "a stream of the database");
}

}  // namespace kitrova::describe
