#pragma once
// The one place where Windows-1251 bytes (files, the catalog) meet Unicode (widgets) and
// native paths.

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kitrova::platform {

QString FromCp1251(std::string_view bytes);
// nullopt when some character has no Windows-1251 code; nothing is ever replaced.
std::optional<std::string> ToCp1251(const QString& text);
// The first character of `text` that Windows-1251 cannot hold, or an empty string.
QString FirstUnencodable(const QString& text);

QString PathToQString(const std::filesystem::path& path);
std::filesystem::path PathFromQString(const QString& text);
std::filesystem::path PathFromCp1251(std::string_view bytes);
std::optional<std::string> PathToCp1251(const std::filesystem::path& path);

}  // namespace kitrova::platform
