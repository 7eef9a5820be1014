#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kitrova::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device rd;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() /
                         ("kitrova-test-" + std::to_string(stamp) + "-" + std::to_string(rd()));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void TempFolder::installAssets() const {
  const fs::path assets = KITROVA_ASSETS_DIR;
  fs::copy(assets / "Pic", path_ / "Pic", fs::copy_options::recursive);
  fs::create_directories(path_ / "Backup");
  fs::copy_file(assets / "Backup" / "base.krv", path_ / "Backup" / "base.krv");
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kitrova::testing
