// kitrova-cli end to end, in process: round trips through CSV, the exact sort order, refused
// imports that leave the catalog as it was, and scanning a folder tree.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Csv.h"
#include "cli/Session.h"
#include "core/CatalogFile.h"
#include "core/Sort.h"
#include "platform/Utf8Cp1251.h"
#include "support/TempFolder.h"

namespace kitrova::cli {
namespace {

namespace fs = std::filesystem;
using core::DistroRecord;
using core::RecordField;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

struct Result {
  int status;
  std::string out, err;
};

Result Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "kitrova-cli");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

// Fields written as UTF-8 literals are stored in Windows-1251; other bytes as they are.
DistroRecord Record(std::vector<std::string> fields) {
  DistroRecord record{};
  fields.resize(core::kFieldCount);
  for (int f = 0; f < core::kFieldCount; ++f) {
    const auto cp1251 = platform::Utf8ToCp1251(fields[f]);
    core::FieldOf(record, static_cast<RecordField>(f)).assign(cp1251 ? *cp1251 : fields[f]);
  }
  return record;
}

std::string Image(const std::vector<DistroRecord>& records) {
  std::string bytes(records.size() * core::kRecordSize, '\0');
  if (!records.empty()) std::memcpy(bytes.data(), records.data(), bytes.size());
  return bytes;
}

// What the program would hold after appending `records` and sorting by `field`.
std::string SortedImage(const std::vector<DistroRecord>& records, RecordField field) {
  core::CatalogTable table;
  for (const DistroRecord& r : records) table.append(r);
  core::SelectionSortByField(table, field);
  return Image({table.records(), table.records() + table.count()});
}

class CliTest : public ::testing::Test {
 protected:
  testing::TempFolder temp;
  fs::path catalog = temp / "base.krv";
  std::string at(const char* name) const { return (temp / name).string(); }
};

TEST_F(CliTest, ExportThenImportIntoAnEmptyCatalogGivesTheSameRecords) {
  std::string every;  // every byte but NUL, 0x98 included
  for (int b = 1; b < 256; ++b) every.push_back(static_cast<char>(b));
  const std::vector<DistroRecord> records = {
      Record({"Зип", "Архиватор", "Freeware", "2005", "\"quoted\", with;both", "C:\\zip.exe"}),
      Record({"ёлка", " lead", "trail ", "", "two\r\nlines\nand\rCR", ""}),
      Record({every.substr(0, 255), every.substr(255 - 1), std::string(255, '"'),
              std::string("nul\0inside", 10), std::string(255, ';'), std::string(255, '\xFF')}),
      Record({"ЁЛКА", "", "", "", "", "same key as ёлка"}), Record({})};
  WriteFileBytes(catalog, Image(records));
  for (const auto& [encoding, delimiter] :
       {std::pair{"utf-8", ","}, std::pair{"windows-1251", ";"}}) {
    SCOPED_TRACE(encoding);
    ASSERT_EQ(Cli({"export", catalog.string(), at("out.csv"), "--encoding", encoding, "--delimiter",
                   delimiter})
                  .status,
              0);
    WriteFileBytes(temp / "empty.krv", "");
    const Result imported = Cli({"import", at("empty.krv"), at("out.csv")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(ReadFileBytes(temp / "empty.krv"), SortedImage(records, RecordField::Name));
  }
}

TEST_F(CliTest, ListCsvFollowsTheSelectionSortOnEqualKeys) {
  // Few distinct keys in every column, in both letter cases: ties everywhere.
  const char* keys[] = {"a", "A", "ё", "Ё", "", "b", "ab", "AB"};
  std::vector<DistroRecord> records;
  for (int i = 0; i < 60; ++i) {
    records.push_back(Record({keys[i % 8], keys[(i * 3) % 8], keys[(i * 5) % 7], keys[(i / 7) % 8],
                              keys[(i * 7) % 5], "id" + std::to_string(i)}));
  }
  WriteFileBytes(catalog, Image(records));
  const std::pair<const char*, RecordField> columns[] = {{"name", RecordField::Name},
                                                         {"type", RecordField::Type},
                                                         {"license", RecordField::License},
                                                         {"year", RecordField::Year},
                                                         {"comment", RecordField::Comment}};
  for (const auto& [name, field] : columns) {
    const Result listed = Cli({"list", catalog.string(), "--sort", name, "--format", "csv"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const std::vector<CsvRow> rows = ParseCsv(listed.out, ',');
    const std::string expected = SortedImage(records, field);
    ASSERT_EQ(rows.size(), records.size() + 1) << name;
    for (std::size_t k = 1; k < rows.size(); ++k) {
      DistroRecord record;
      std::memcpy(&record, expected.data() + (k - 1) * core::kRecordSize, core::kRecordSize);
      ASSERT_EQ(rows[k].fields[5], platform::Cp1251ToUtf8(record.Path.view()))
          << name << " row " << k;
    }
  }
}

TEST_F(CliTest, RefusedImportsLeaveTheCatalogByteIdentical) {
  WriteFileBytes(catalog, Image({Record({"B"}), Record({"A"})}));
  const std::string before = ReadFileBytes(catalog);
  const auto modified = fs::last_write_time(catalog);
  std::string full;  // 9999 rows: with the two records already there, one too many
  full.reserve(9999 * 8);
  full += "Name\r\n";
  for (int i = 0; i < 9999; ++i) full += "n" + std::to_string(i) + "\r\n";
  const struct {
    std::string csv, message;
  } cases[] = {
      {"Name,Comment\r\nok,fine\r\nbad,check \u2713\r\n", "line 3, field Comment"},
      {"Name,Type\r\nok,x\r\nshort\r\n", "line 3"},
      {"Name,Type\r\nok,\"never closed\r\n", "line 2"},
      {"Name,Colour\r\nok,red\r\n", "Colour"},
      {full, "line 10000"},
  };
  for (const auto& c : cases) {
    WriteFileBytes(temp / "in.csv", c.csv);
    const Result result = Cli({"import", catalog.string(), at("in.csv"), "--backup"});
    EXPECT_EQ(result.status, 2) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  // A header alone imports nothing and writes nothing (a sort could reorder equal names).
  WriteFileBytes(temp / "in.csv", "Name,Type\r\n");
  EXPECT_EQ(Cli({"import", catalog.string(), at("in.csv"), "--backup"}).status, 0);
  EXPECT_EQ(ReadFileBytes(catalog), before);
  EXPECT_EQ(fs::last_write_time(catalog), modified);
  EXPECT_FALSE(fs::exists(temp / "Backup"));

  // The program deletes its working copy on exit: never a target.
  WriteFileBytes(temp / "_TMP.krv", before);
  WriteFileBytes(temp / "in.csv", "Name\r\nC\r\n");
  EXPECT_EQ(Cli({"import", at("_TMP.krv"), at("in.csv")}).status, 2);
  EXPECT_EQ(ReadFileBytes(temp / "_TMP.krv"), before);

  // A catalog with a trailing piece is never rewritten: the save would drop the piece.
  WriteFileBytes(catalog, before + "tail");
  WriteFileBytes(temp / "in.csv", "Name\r\nC\r\n");
  EXPECT_EQ(Cli({"import", catalog.string(), at("in.csv")}).status, 2);
  EXPECT_EQ(ReadFileBytes(catalog), before + "tail");
}

TEST_F(CliTest, AFileChangedOnDiskAfterLoadingIsNotOverwritten) {
  WriteFileBytes(catalog, Image({Record({"A"})}));
  WritableCatalog session(catalog);
  session.table().append(Record({"B"}));
  // Same size, another time: only the time tells.
  fs::last_write_time(catalog, fs::last_write_time(catalog) - std::chrono::hours(1));
  const std::string before = ReadFileBytes(catalog);
  EXPECT_THROW(session.save(true), CliError);
  EXPECT_EQ(ReadFileBytes(catalog), before);
}

TEST_F(CliTest, ScanAddsEachNewInstallerOnceAndSkipsWhatTheCodePageLacks) {
  const fs::path tree = temp / "Дистрибутивы";
  fs::create_directories(tree / "a" / "b");
  fs::create_directories(tree / "c");
  fs::create_directories(tree / "folder.exe");  // a folder, not an installer
  for (const char* file :
       {"a/b/Setup.EXE", "a/tool.msi", "c/Архив.Zip", "old.rar", "notes.txt", "c/名前.exe"}) {
    WriteFileBytes(tree / fs::path(reinterpret_cast<const char8_t*>(file)), "x");
  }
  using namespace std::chrono;
  fs::last_write_time(tree / "old.rar",
                      file_clock::from_sys(sys_seconds{sys_days{year{2005} / 6 / 15}} + hours{12}));
  const std::string known = (tree / "a" / "tool.msi").string();
  WriteFileBytes(catalog, Image({Record({"tool", "", "", "2001", "", known})}));

  const Result dry = Cli({"scan", catalog.string(), tree.string(), "--dry-run"});
  EXPECT_EQ(dry.status, 0);
  EXPECT_EQ(ReadFileBytes(catalog), Image({Record({"tool", "", "", "2001", "", known})}));

  const Result scanned = Cli({"scan", catalog.string(), tree.string(), "--type", "Утилиты",
                              "--license", "Freeware", "--backup"});
  ASSERT_EQ(scanned.status, 0) << scanned.err;
  EXPECT_NE(scanned.err.find("名前"), std::string::npos);
  core::CatalogState state(temp.path());
  core::LoadCatalog(state, catalog);
  ASSERT_EQ(state.DistroTable.count(), 4);
  std::vector<std::string> names;
  for (int k = 1; k <= 4; ++k) names.push_back(state.DistroTable.at(k).Name.str());
  EXPECT_EQ(names, (std::vector<std::string>{"old", "Setup", "tool", "\xC0\xF0\xF5\xE8\xE2"}));
  const DistroRecord& old = state.DistroTable.at(1);
  EXPECT_EQ(old.Year.str(), "2005");
  EXPECT_EQ(old.Type.str(), "\xD3\xF2\xE8\xEB\xE8\xF2\xFB");
  EXPECT_EQ(old.License.str(), "Freeware");
  EXPECT_EQ(platform::Cp1251ToUtf8(old.Path.view()), (tree / "old.rar").string());
  EXPECT_EQ(std::distance(fs::directory_iterator(temp / "Backup"), fs::directory_iterator{}), 1);

  const std::string after = ReadFileBytes(catalog);
  EXPECT_EQ(Cli({"scan", catalog.string(), tree.string()}).status, 0);
  EXPECT_EQ(ReadFileBytes(catalog), after);  // nothing new, nothing written
}

TEST_F(CliTest, CheckReportsFaultsAndBadArgumentsGiveTheUsage) {
  WriteFileBytes(catalog, Image({Record({"A", "", "", "", "", "/no/such/setup.exe"}), Record({}),
                                 Record({"A", "", "", "", "", "/no/such/setup.exe"}),
                                 Record({"W", "", "", "", "", "C:\\setup.exe"})}) +
                              "x");
  const Result found = Cli({"check", catalog.string(), "--installers"});
  EXPECT_EQ(found.status, 1);
  // Numbered by position after the sort by name, as list shows them: the empty name first.
  for (const char* text :
       {"piece of 1 bytes", "record 1: empty name", "record 3: exact duplicate of record 2",
        "installer missing: /no/such", "not checkable here"}) {
    EXPECT_NE(found.out.find(text), std::string::npos) << text << "\n" << found.out;
  }
  WriteFileBytes(catalog, Image({Record({"A"})}));
  EXPECT_EQ(Cli({"check", catalog.string()}).status, 0);
  EXPECT_EQ(Cli({"check", at("missing.krv")}).status, 2);

  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {"list"},
                                               {"list", catalog.string(), "--sort", "path"},
                                               {"search", catalog.string()},
                                               {"frobnicate"}}) {
    const Result bad = Cli(args);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("Usage:"), std::string::npos);
  }
}

}  // namespace
}  // namespace kitrova::cli
