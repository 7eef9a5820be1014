// Windows-1251 at the border between files and widgets: every byte survives, and a
// character the code page lacks is refused, never turned into something else.
#include "platform/Cp1251.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <string>

namespace kitrova::platform {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

TEST(Cp1251Test, EveryByteRoundTrips) {
  const std::string bytes = AllBytes();
  const QString text = FromCp1251(bytes);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(ToCp1251(text), bytes);
}

TEST(Cp1251Test, AgreesWithTheSystemCodecWhereThereIsOne) {
  QStringDecoder system("windows-1251");
  if (!system.isValid()) GTEST_SKIP() << "this Qt has no Windows-1251 codec";
  const std::string bytes = AllBytes();
  const QString expected = system.decode(QByteArrayView(bytes.data(), 256));
  const QString ours = FromCp1251(bytes);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(ours[b].unicode(), expected[b].unicode()) << "byte " << b;
  }
}

TEST(Cp1251Test, CharactersWithoutACodeAreRefusedNotReplaced) {
  EXPECT_EQ(ToCp1251(QStringLiteral("a日b")), std::nullopt);
  EXPECT_EQ(ToCp1251(QStringLiteral("ä")), std::nullopt);
  EXPECT_EQ(ToCp1251(QStringLiteral("x😀")), std::nullopt);
  EXPECT_EQ(ToCp1251(QStringLiteral("?")), "?") << "a real question mark is still fine";

  EXPECT_EQ(FirstUnencodable(QStringLiteral("Папка ä 日")), QStringLiteral("ä"));
  EXPECT_EQ(FirstUnencodable(QStringLiteral("x😀y")), QStringLiteral("😀"))
      << "a character outside the BMP is named whole";
  EXPECT_EQ(FirstUnencodable(QStringLiteral("Всё хорошо")), QString());
}

TEST(Cp1251Test, CyrillicPathsRoundTrip) {
  const QString native = QStringLiteral("/tmp/Мои программы/Дистрибутивы/base.krv");
  const std::filesystem::path path = PathFromQString(native);
  EXPECT_EQ(PathToQString(path), native);
  const auto bytes = PathToCp1251(path);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->find('\xC4'), native.indexOf(QStringLiteral("Д"))) << "one byte a letter";
  EXPECT_EQ(PathFromCp1251(*bytes), path);
  EXPECT_EQ(PathToCp1251(PathFromQString(QStringLiteral("/tmp/日本"))), std::nullopt);
}

}  // namespace
}  // namespace kitrova::platform
