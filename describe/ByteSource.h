#pragma once
// Random reads from a file or a block of memory, each checked against the size, so a reader
// never asks for more than the file holds.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kitrova::describe {

// Little-endian numbers inside bytes already read; one past their end means a damaged file
// (DescribeError).
std::uint16_t Le16(std::string_view bytes, std::size_t at);
std::uint32_t Le32(std::string_view bytes, std::size_t at);

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Exactly `count` bytes at `offset`, or DescribeError with `what` in its reason.
  std::string read(std::uint64_t offset, std::uint64_t count, std::string_view what);

 protected:
  virtual void readAt(std::uint64_t offset, char* out, std::size_t count) = 0;
};

class FileSource final : public ByteSource {
 public:
  explicit FileSource(const std::filesystem::path& path);
  std::uint64_t size() const override { return size_; }

 private:
  void readAt(std::uint64_t offset, char* out, std::size_t count) override;
  void readDirect(std::uint64_t offset, char* out, std::size_t count);
  std::ifstream file_;
  std::uint64_t size_ = 0;
  // The headers and the resource directory of an executable lie close together: one aligned
  // block read serves most of the reads that follow.
  std::string block_;
  std::uint64_t blockStart_ = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }

 private:
  void readAt(std::uint64_t offset, char* out, std::size_t count) override;
  std::string_view bytes_;
};

}  // namespace kitrova::describe
