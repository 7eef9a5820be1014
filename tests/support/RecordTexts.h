#pragma once
// Records and catalog files built from the texts a user would type.

#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Cp1251.h"
#include "support/Records.h"
#include "ui/RecordForm.h"

namespace kitrova::testing {

using ui::RecordTexts;

// A record of the given name; the other fields are plain defaults.
inline RecordTexts Rec(const QString& name, const QString& type = QStringLiteral("Утилиты"),
                       const QString& year = QStringLiteral("2005")) {
  return {name, type,      QStringLiteral("Freeware"),
          year, QString(), QStringLiteral("C:\\d\\") + name + QStringLiteral(".exe")};
}

inline std::string Cp1251Bytes(const QString& text) {
  const auto bytes = platform::ToCp1251(text);
  if (!bytes) throw std::runtime_error("test text has no Windows-1251 form");
  return *bytes;
}

inline core::DistroRecord MakeRecord(const RecordTexts& t) {
  const std::string name = Cp1251Bytes(t.name), type = Cp1251Bytes(t.type),
                    license = Cp1251Bytes(t.license), year = Cp1251Bytes(t.year),
                    comment = Cp1251Bytes(t.comment), path = Cp1251Bytes(t.path);
  return RecordOf(RecordFields{name, type, license, year, comment, path});
}

inline std::string CatalogBytes(const std::vector<RecordTexts>& records) {
  std::string bytes;
  for (const RecordTexts& t : records) bytes += RecordImage(MakeRecord(t));
  return bytes;
}

// Four records in no particular order; each column sorts them differently.
inline std::vector<RecordTexts> SampleRecords() {
  return {
      {"WinRAR", "Архиваторы", "Shareware", "2004", "Бета", "C:\\Distr\\winrar.exe"},
      {"7-Zip", "Утилиты", "Freeware", "2005", "Архив", "C:\\Distr\\7z.msi"},
      {"Адобе Ридер", "Графика", "Freeware", "1999", "", "C:\\Дистрибутивы\\reader.exe"},
      {"far", "Файловые менеджеры", "Adware", "2003", "Новый", "C:\\Distr\\far.zip"},
  };
}

}  // namespace kitrova::testing
