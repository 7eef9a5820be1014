#pragma once
// The three keys of settings.ini beside the executable, as Windows-1251 bytes: the last
// catalog (lastbase/path), the installer folder (dir/path) and the backup switch
// (backup/do). Standard library only; the prompts and boxes are in Settings.h.

#include <filesystem>
#include <string>
#include <string_view>

namespace kitrova::settings {

inline constexpr std::string_view kLastBaseSection = "lastbase";
inline constexpr std::string_view kDirSection = "dir";
inline constexpr std::string_view kBackupSection = "backup";
inline constexpr std::string_view kPathKey = "path";
inline constexpr std::string_view kDoKey = "do";

// The program folder joined with "settings.ini".
std::filesystem::path SettingsFilePath(const std::filesystem::path& programFolder);

// Never fails: missing file, section or key give "".
std::string ReadSetting(const std::filesystem::path& programFolder, std::string_view section,
                        std::string_view key);
// Throws platform::IniWriteError when the write is refused.
void WriteSetting(const std::filesystem::path& programFolder, std::string_view section,
                  std::string_view key, std::string_view value);

// lastbase/path; "" when missing.
std::string ReadLastBasePath(const std::filesystem::path& programFolder);
void WriteLastBasePath(const std::filesystem::path& programFolder, std::string_view path);

// How lastbase/path remembers a catalog: one inside the program folder relative to it, so a
// portable copy finds its catalog again after the folder is moved; any other by its full
// path.
std::filesystem::path StoredCatalogPath(const std::filesystem::path& catalog,
                                        const std::filesystem::path& programFolder);
// The catalog a stored lastbase/path names: a relative one is in the program folder; a full
// path (what older settings files hold) is taken as it is.
std::filesystem::path CatalogPathFromStored(const std::filesystem::path& stored,
                                            const std::filesystem::path& programFolder);

// dir/path; "" when missing.
std::string ReadDistroFolder(const std::filesystem::path& programFolder);
void WriteDistroFolder(const std::filesystem::path& programFolder, std::string_view folder);

// Backups are on only when backup/do is "yes", compared byte for byte.
bool ReadBackupFlag(const std::filesystem::path& programFolder);
// Writes "yes" or "no".
void WriteBackupFlag(const std::filesystem::path& programFolder, bool on);

}  // namespace kitrova::settings
