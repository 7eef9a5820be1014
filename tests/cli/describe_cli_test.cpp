// kitrova-cli reading installers: info in its three formats, scan --describe filling records
// (and refusing what Windows-1251 cannot hold), check --duplicates, and the record texts made
// from a description.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Describe.h"
#include "core/CatalogFile.h"
#include "core/CatalogState.h"
#include "platform/Utf8Cp1251.h"
#include "support/Installers.h"
#include "support/TempFolder.h"

namespace kitrova::cli {
namespace {

namespace fs = std::filesystem;
using testing::MakeExecutable;
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

class DescribeCliTest : public ::testing::Test {
 protected:
  testing::TempFolder temp;
  fs::path catalog = temp / "base.krv";
  fs::path tree = temp / "distrib";

  void SetUp() override {
    fs::create_directories(tree);
    WriteFileBytes(catalog, "");
  }
  std::vector<core::DistroRecord> Records() {
    core::CatalogState state(temp.path());
    core::LoadCatalog(state, catalog);
    return {state.DistroTable.records(), state.DistroTable.records() + state.DistroTable.count()};
  }
};

TEST_F(DescribeCliTest, InfoGivesTheSameFieldsAsTableCsvAndJsonAndNamesWhatItRefuses) {
  MakeExecutable(tree / "editor.exe", {{"ProductName", "Tiny Editor"},
                                       {"ProductVersion", "2.5"},
                                       {"CompanyName", "Tiny Software"},
                                       {"LegalCopyright", "(C) 2004-2017"}});
  WriteFileBytes(tree / "notes.exe", "not a program");
  const std::vector<std::string> files = {(tree / "editor.exe").string(),
                                          (tree / "notes.exe").string()};
  for (const char* format : {"table", "csv", "json"}) {
    std::vector<std::string> args = {"info", "--format", format};
    args.insert(args.end(), files.begin(), files.end());
    const Result r = Cli(args);
    EXPECT_EQ(r.status, 1) << format;  // one file refused
    EXPECT_NE(r.err.find("refused: " + files[1] + ": neither an executable"), std::string::npos)
        << format << ": " << r.err;
    for (const char* text : {"Tiny Editor", "2.5", "Tiny Software", "2017"}) {
      EXPECT_NE(r.out.find(text), std::string::npos) << format << ": " << text << "\n" << r.out;
    }
  }
  const nlohmann::json json =
      nlohmann::json::parse(Cli({"info", "--format", "json", files[0]}).out);
  ASSERT_EQ(json.size(), 1u);
  EXPECT_EQ(json[0]["kind"], "executable");
  EXPECT_EQ(json[0]["year"], 2017);
  EXPECT_EQ(json[0]["yearSource"], "the copyright in the version resource");
  EXPECT_EQ(Cli({"info", files[0]}).status, 0);
}

TEST_F(DescribeCliTest, ScanDescribeNamesDatesAndCommentsFromTheInstallers) {
  using namespace std::chrono;
  MakeExecutable(tree / "arch_setup.exe", {{"ProductName", "Архиватор"},
                                           {"ProductVersion", "1, 2, 0, 5"},
                                           {"CompanyName", "ООО Ромашка"},
                                           {"FileDescription", "Установка архиватора"},
                                           {"LegalCopyright", "© 2003–2019"}});
  MakeExecutable(tree / "greek.exe", {{"ProductName", "Ελληνικά"}, {"ProductVersion", "1.0"}});
  MakeExecutable(tree / "long.exe", {{"ProductName", std::string(300, 'L')}});
  MakeExecutable(tree / "bare.exe", {{"CompanyName", "Nobody"}});
  WriteFileBytes(tree / "broken.msi", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 cut");
  for (const char* name : {"bare.exe", "broken.msi"}) {
    fs::last_write_time(
        tree / name, file_clock::from_sys(sys_seconds{sys_days{year{2008} / 3 / 1}} + hours{12}));
  }

  const Result dry = Cli({"scan", catalog.string(), tree.string(), "--describe", "--dry-run"});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(ReadFileBytes(catalog), "");
  EXPECT_NE(dry.err.find("would add: Архиватор 1.2.0.5  (2019)  [Установка архиватора, ООО "
                         "Ромашка]  " +
                         (tree / "arch_setup.exe").string()),
            std::string::npos)
      << dry.err;

  const Result r =
      Cli({"scan", catalog.string(), tree.string(), "--describe", "--type", "Утилиты"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Windows-1251 cannot hold the name \"Ελληνικά 1.0\""), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("not described (the compound file header lies beyond the end of the file)"),
            std::string::npos)
      << r.err;
  struct Expected {
    std::string name, year, comment;
  };
  const std::vector<Expected> expected = {
      // in the program's order by name
      {"bare", "2008", "Nobody"},
      {"broken", "2008", ""},
      {std::string(255, 'L'), "", ""},
      {"Архиватор 1.2.0.5", "2019", "Установка архиватора, ООО Ромашка"}};
  const std::vector<core::DistroRecord> records = Records();
  ASSERT_EQ(records.size(), expected.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(platform::Cp1251ToUtf8(records[i].Name.view()), expected[i].name) << i;
    if (!expected[i].year.empty()) {
      EXPECT_EQ(records[i].Year.str(), expected[i].year) << i;
    }
    EXPECT_EQ(platform::Cp1251ToUtf8(records[i].Comment.view()), expected[i].comment) << i;
    EXPECT_EQ(platform::Cp1251ToUtf8(records[i].Type.view()), "Утилиты") << i;
  }
}

TEST_F(DescribeCliTest, ScanWithoutDescribePrintsWhatItAlwaysPrinted) {
  using namespace std::chrono;
  MakeExecutable(tree / "editor.exe", {{"ProductName", "Tiny Editor"}});
  fs::last_write_time(tree / "editor.exe",
                      file_clock::from_sys(sys_seconds{sys_days{year{2011} / 5 / 5}} + hours{12}));
  const Result r = Cli({"scan", catalog.string(), tree.string(), "--dry-run"});
  EXPECT_EQ(r.err, "would add: editor  (2011)  " + (tree / "editor.exe").string() +
                       "\n1 records would be added\n");
}

TEST_F(DescribeCliTest, CheckDuplicatesFindsOneInstallerUnderTwoPathsByContent) {
  WriteFileBytes(tree / "a.exe", "same bytes");
  WriteFileBytes(tree / "b.exe", "same bytes");  // a copy under another path
  WriteFileBytes(tree / "c.exe", "other byte");  // same size, other content
  WriteFileBytes(tree / "d.exe", "same bytes");
  ASSERT_EQ(Cli({"scan", catalog.string(), tree.string()}).status, 0);
  fs::remove(tree / "d.exe");  // listed, gone: left to --installers
  const Result plain = Cli({"check", catalog.string()});
  EXPECT_EQ(plain.status, 0) << plain.out;
  const Result r = Cli({"check", catalog.string(), "--duplicates"});
  EXPECT_EQ(r.status, 1);
  const std::string sha =
      testing::Shell("sha256sum '" + (tree / "a.exe").string() + "'").substr(0, 64);
  EXPECT_NE(r.out.find("record 2: the same installer as record 1 (10 bytes, SHA-256 " + sha + ")"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("under another path: " + (tree / "b.exe").string()), std::string::npos);
  EXPECT_EQ(r.out.find("record 3"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("record 4"), std::string::npos) << r.out;
}

TEST(RecordTexts, NameAndCommentReadAsAPersonWritesThem) {
  struct Case {
    describe::Description d;
    std::string name, comment;
  };
  auto D = [](std::string product, std::string version, std::string description,
              std::string maker) {
    describe::Description d;
    d.productName = std::move(product);
    d.productVersion = std::move(version);
    d.fileDescription = std::move(description);
    d.companyName = std::move(maker);
    return d;
  };
  const Case cases[] = {
      {D("7-Zip", "23.01", "7-Zip Setup", "Igor Pavlov"), "7-Zip 23.01",
       "7-Zip Setup, Igor Pavlov"},
      {D("Foo 2.0", "2.0", "Foo", "Foo Inc."), "Foo 2.0", "Foo, Foo Inc."},
      {D("Old", "1, 0, 0, 7", "", ""), "Old 1.0.0.7", ""},
      {D("Same", "", "Same", "Maker"), "Same", "Maker"},
      {D("Tool", "", "Tool by Maker", "Maker"), "Tool", "Tool by Maker"},
      {D("  Two\r\nlines ", "3\t", "", ""), "Two  lines 3", ""},
      {D("", "9.9", "", ""), "", ""},
  };
  for (const Case& c : cases) {
    const DescribedTexts t = RecordTextsOf(c.d);
    EXPECT_EQ(t.name, c.name) << c.d.productName;
    EXPECT_EQ(t.comment, c.comment) << c.d.productName;
  }
}

}  // namespace
}  // namespace kitrova::cli
