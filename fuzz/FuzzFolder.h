#pragma once
// One scratch folder per fuzzing process, on a memory file system where there is one.

#include <unistd.h>

#include <filesystem>
#include <string>

namespace kitrova::fuzz {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code ec;
    std::filesystem::path root = "/dev/shm";
    if (!std::filesystem::is_directory(root, ec)) root = std::filesystem::temp_directory_path();
    path_ = root / ("kitrova-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline const ScratchFolder& Scratch() {
  static const ScratchFolder folder;
  return folder;
}

}  // namespace kitrova::fuzz
