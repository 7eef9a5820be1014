#include "settings/SettingsStore.h"

#include "platform/IniFile.h"

namespace kitrova::settings {

namespace fs = std::filesystem;

fs::path SettingsFilePath(const fs::path& programFolder) {
  return programFolder / "settings.ini";
}

std::string ReadSetting(const fs::path& programFolder, std::string_view section,
                        std::string_view key) {
  return platform::ReadIniValue(SettingsFilePath(programFolder), section, key);
}

void WriteSetting(const fs::path& programFolder, std::string_view section, std::string_view key,
                  std::string_view value) {
  platform::WriteIniValue(SettingsFilePath(programFolder), section, key, value);
}

std::string ReadLastBasePath(const fs::path& programFolder) {
  return ReadSetting(programFolder, kLastBaseSection, kPathKey);
}

void WriteLastBasePath(const fs::path& programFolder, std::string_view path) {
  WriteSetting(programFolder, kLastBaseSection, kPathKey, path);
}

fs::path StoredCatalogPath(const fs::path& catalog, const fs::path& programFolder) {
  fs::path folder = programFolder.lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  if (!catalog.is_absolute() || folder.empty()) return catalog;
  // Empty on another drive; ".." or "." when not below the folder.
  const fs::path inside = catalog.lexically_normal().lexically_relative(folder);
  if (inside.empty() || *inside.begin() == ".." || *inside.begin() == ".") return catalog;
  return inside;
}

fs::path CatalogPathFromStored(const fs::path& stored, const fs::path& programFolder) {
  return stored.has_root_path() ? stored : programFolder / stored;
}

std::string ReadDistroFolder(const fs::path& programFolder) {
  return ReadSetting(programFolder, kDirSection, kPathKey);
}

void WriteDistroFolder(const fs::path& programFolder, std::string_view folder) {
  WriteSetting(programFolder, kDirSection, kPathKey, folder);
}

bool ReadBackupFlag(const fs::path& programFolder) {
  return ReadSetting(programFolder, kBackupSection, kDoKey) == "yes";
}

void WriteBackupFlag(const fs::path& programFolder, bool on) {
  WriteSetting(programFolder, kBackupSection, kDoKey, on ? "yes" : "no");
}

}  // namespace kitrova::settings
