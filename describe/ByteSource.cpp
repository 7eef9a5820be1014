#include "describe/ByteSource.h"

#include <algorithm>
#include <cstring>

#include "describe/Description.h"

namespace kitrova::describe {

// No single read of ours needs more: a version resource is at most 64 KiB, a header less.
constexpr std::uint64_t kMaxRead = 1 << 20;

std::uint16_t Le16(std::string_view bytes, std::size_t at) {
  if (at > bytes.size() || bytes.size() - at < 2) {
    throw DescribeError("a structure of the file is cut short");
  }
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t Le32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(Le16(bytes, at)) |
         static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16;
}

std::string ByteSource::read(std::uint64_t offset, std::uint64_t count, std::string_view what) {
  if (count > kMaxRead) throw DescribeError(std::string(what) + " is implausibly large");
  if (offset > size() || count > size() - offset) {
    throw DescribeError(std::string(what) + " lies beyond the end of the file");
  }
  std::string bytes(static_cast<std::size_t>(count), '\0');
  readAt(offset, bytes.data(), bytes.size());
  return bytes;
}

FileSource::FileSource(const std::filesystem::path& path) : file_(path, std::ios::binary) {
  std::error_code ec;
  const auto length = std::filesystem::file_size(path, ec);
  if (!file_ || ec) throw DescribeError("cannot open the file");
  size_ = length;
}

constexpr std::uint64_t kBlock = 4 << 10;

void FileSource::readAt(std::uint64_t offset, char* out, std::size_t count) {
  const std::uint64_t start = offset / kBlock * kBlock;
  if (offset + count <= start + kBlock) {
    if (block_.empty() || blockStart_ != start) {
      block_.assign(static_cast<std::size_t>(std::min(kBlock, size_ - start)), '\0');
      blockStart_ = start;
      readDirect(start, block_.data(), block_.size());
    }
    std::memcpy(out, block_.data() + (offset - start), count);
    return;
  }
  readDirect(offset, out, count);
}

void FileSource::readDirect(std::uint64_t offset, char* out, std::size_t count) {
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  file_.read(out, static_cast<std::streamsize>(count));
  if (static_cast<std::size_t>(file_.gcount()) != count) {
    throw DescribeError("cannot read the file (it may have shrunk while being read)");
  }
}

void MemorySource::readAt(std::uint64_t offset, char* out, std::size_t count) {
  std::memcpy(out, bytes_.data() + offset, count);
}

}  // namespace kitrova::describe
