#pragma once
// The one exception type of the core: a failed file operation or a refused capacity.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kitrova::core {

class CatalogError : public std::runtime_error {
 public:
  // `message` is UTF-8 text for the user: the platform's own text for the error, with the path.
  CatalogError(const std::string& message, std::filesystem::path path, std::error_code code = {},
               std::filesystem::path keptCopy = {})
      : std::runtime_error(message),
        path_(std::move(path)),
        code_(code),
        keptCopy_(std::move(keptCopy)) {}

  // Builds the usual message "<platform text>: <path>" from an error code.
  static CatalogError FromCode(std::error_code code, const std::filesystem::path& path);

  const std::filesystem::path& path() const noexcept { return path_; }
  std::error_code code() const noexcept { return code_; }
  // Where the earlier contents of path() are kept, when a write failed after changing it.
  const std::filesystem::path& keptCopy() const noexcept { return keptCopy_; }

 private:
  std::filesystem::path path_;
  std::error_code code_;
  std::filesystem::path keptCopy_;
};

}  // namespace kitrova::core
