#include "core/CatalogError.h"

namespace kitrova::core {

namespace {

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

CatalogError CatalogError::FromCode(std::error_code code, const std::filesystem::path& path) {
  return CatalogError(code.message() + ": " + Utf8(path), path, code);
}

}  // namespace kitrova::core
