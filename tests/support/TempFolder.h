#pragma once
// A fresh folder under the system's temporary folder, removed with its contents at the end.

#include <filesystem>
#include <string>
#include <string_view>

namespace kitrova::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  // Copies the program's own files (Pic/, Backup/base.krv) here, as the build does.
  void installAssets() const;

 private:
  std::filesystem::path path_;
};

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace kitrova::testing
