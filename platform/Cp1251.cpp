#include "platform/Cp1251.h"

#include "platform/Utf8Cp1251.h"

namespace kitrova::platform {

namespace {

// The byte for one UTF-16 unit, or -1 when the code page has none. Surrogates never match
// the table, so characters outside the BMP are refused too.
int EncodeUnit(char16_t unit) {
  return UnicodeToCp1251(unit);
}

}  // namespace

QString FromCp1251(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.append(QChar(static_cast<char16_t>(Cp1251ToUnicode(b))));
  }
  return out;
}

std::optional<std::string> ToCp1251(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar ch : text) {
    const int b = EncodeUnit(ch.unicode());
    if (b < 0) return std::nullopt;
    out.push_back(static_cast<char>(b));
  }
  return out;
}

QString FirstUnencodable(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (EncodeUnit(text[i].unicode()) >= 0) continue;
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      return text.mid(i, 2);
    }
    return text.mid(i, 1);
  }
  return {};
}

QString PathToQString(const std::filesystem::path& path) {
  try {
    return QString::fromStdU16String(path.u16string());
  } catch (const std::exception&) {
    // A name that is not valid in the native encoding: show what can be shown.
    return QString::fromLocal8Bit(path.string());
  }
}

std::filesystem::path PathFromQString(const QString& text) {
  return std::filesystem::path(text.toStdU16String());
}

std::filesystem::path PathFromCp1251(std::string_view bytes) {
  return PathFromQString(FromCp1251(bytes));
}

std::optional<std::string> PathToCp1251(const std::filesystem::path& path) {
  return ToCp1251(PathToQString(path));
}

}  // namespace kitrova::platform
