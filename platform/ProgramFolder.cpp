#include "platform/ProgramFolder.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace kitrova::platform {

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

void CopyIfMissing(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(to, ec))) return;
  fs::create_directories(to.parent_path(), ec);
  fs::copy_file(from, to, ec);
}

// A copy carries the installed file's date, so an upgrade that installs a newer picture is
// seen whenever the program starts next; a picture the user changed since is newer and kept.
void CopyIfMissingOrOlder(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const fs::file_time_type installed = fs::last_write_time(from, ec);
  if (ec) return;
  const fs::file_status existing = fs::symlink_status(to, ec);
  if (fs::exists(existing)) {
    if (!fs::is_regular_file(existing)) return;
    const fs::file_time_type copied = fs::last_write_time(to, ec);
    if (ec || copied >= installed) return;
  }
  fs::create_directories(to.parent_path(), ec);
  if (fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
    fs::last_write_time(to, installed, ec);
  }
}

}  // namespace

bool CanWriteInFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  std::random_device random;
  for (int attempt = 0; attempt < 10; ++attempt) {
    const fs::path probe = folder / (".kitrova-write-" + std::to_string(random()) + ".tmp");
    if (fs::exists(fs::symlink_status(probe, ec))) continue;
    bool written = false;
    {
      std::ofstream out(probe, std::ios::binary);
      written = static_cast<bool>(out);
    }
    fs::remove(probe, ec);
    return written;
  }
  return false;
}

void SeedProgramFolder(const fs::path& folder, const std::vector<fs::path>& sources) {
  const fs::path seed = fs::path("Backup") / "base.krv";
  for (const fs::path& source : sources) {
    std::error_code ec;
    if (!IsFile(source / seed) || !fs::is_directory(source / "Pic", ec)) continue;
    if (fs::equivalent(source, folder, ec)) return;
    for (const auto& entry : fs::directory_iterator(source / "Pic", ec)) {
      if (IsFile(entry.path()))
        CopyIfMissingOrOlder(entry.path(), folder / "Pic" / entry.path().filename());
    }
    CopyIfMissing(source / seed, folder / seed);
    return;
  }
}

bool HoldsProgramFiles(const fs::path& folder) {
  return IsFile(folder / "Pic" / "splash.bmp");
}

fs::path ChooseProgramFolder(const fs::path& executableFolder, const fs::path& userFolder,
                             const std::vector<fs::path>& sources) {
  // Root may write in /usr/bin too; only a folder laid out as the program's is one.
  if ((HoldsProgramFiles(executableFolder) && CanWriteInFolder(executableFolder)) ||
      userFolder.empty()) {
    return executableFolder;
  }
  std::error_code ec;
  fs::create_directories(userFolder, ec);
  if (!CanWriteInFolder(userFolder)) return executableFolder;
  SeedProgramFolder(userFolder, sources);
  return userFolder;
}

}  // namespace kitrova::platform
