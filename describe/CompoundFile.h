#pragma once
// A compound file (the container of an .msi), read through a ByteSource: the header, the
// sector allocation tables and the flat list of directory entries. Chains are followed with a
// step limit and a visited check, so a loop or an out-of-range sector is refused.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "describe/ByteSource.h"

namespace kitrova::describe {

class CompoundFile {
 public:
  explicit CompoundFile(ByteSource& source);

  // The stream whose raw UTF-16 name is `name`, at most `limit` bytes long; none when the
  // file has no such stream. Throws DescribeError when the stream is damaged or too large.
  std::optional<std::string> stream(const std::u16string& name, std::uint64_t limit);

 private:
  struct Entry {
    std::u16string name;
    std::uint8_t type = 0;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
  };
  std::vector<std::uint32_t> chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                   std::uint64_t maxSectors, const char* what) const;
  // `size` bytes of a chain; a chain that ends first is cut short unless `upTo` is set.
  std::string readChain(std::uint32_t start, std::uint64_t size, const char* what,
                        bool upTo = false);
  std::string readMiniChain(std::uint32_t start, std::uint64_t size);

  ByteSource& source_;
  std::uint32_t sectorShift_ = 9;
  std::uint32_t miniCutoff_ = 4096;
  std::uint64_t sectorCount_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> miniFat_;
  std::vector<Entry> entries_;
  std::string miniStream_;
  bool miniStreamRead_ = false;
};

}  // namespace kitrova::describe
