// The reader against exiftool on installers made here from Debian's tools (MinGW-w64's
// windres and ld, NSIS, msitools' wixl, libarchive's writer) and on the Windows programs Wine
// ships, then damaged copies of them, which must be refused with a reason.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "describe/Description.h"
#include "support/Installers.h"
#include "support/TempFolder.h"

namespace kitrova::describe {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::Shell;
using testing::WriteFileBytes;

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

struct VersionKeys {
  std::string product, version, company, description, copyright, fileVersion;
};

std::string RcText(const VersionKeys& k, const char* table, const char* fixed) {
  return std::string("#pragma code_page(65001)\n1 VERSIONINFO\nFILEVERSION ") + fixed +
         "\nPRODUCTVERSION " + fixed +
         "\nFILETYPE 0x1L\nBEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n" + "  BLOCK \"" + table +
         "\"\n  BEGIN\n" + "   VALUE \"ProductName\", \"" + k.product +
         "\"\n   VALUE \"ProductVersion\", \"" + k.version + "\"\n   VALUE \"CompanyName\", \"" +
         k.company + "\"\n   VALUE \"FileDescription\", \"" + k.description +
         "\"\n   VALUE \"LegalCopyright\", \"" + k.copyright + "\"\n   VALUE \"FileVersion\", \"" +
         k.fileVersion +
         "\"\n  END\n END\n BLOCK \"VarFileInfo\"\n BEGIN\n  VALUE \"Translation\", " +
         "0x409, 1200\n END\nEND\n";
}

// An executable whose only section is its resources, linked by ld with no code at all.
// MinGW-w64's x86-64 ld links PE32+ only; the NSIS installers are PE32.
void MakeWithWindres(const fs::path& folder, const std::string& name, const std::string& rc) {
  WriteFileBytes(folder / (name + ".rc"), rc);
  Shell("x86_64-w64-mingw32-windres -c 65001 " + Quoted(folder / (name + ".rc")) + " -O coff -o " +
        Quoted(folder / (name + ".o")) + " 2>&1 && x86_64-w64-mingw32-ld" + " --entry=0 " +
        Quoted(folder / (name + ".o")) + " -o " + Quoted(folder / (name + ".exe")) + " 2>&1");
}

void MakeWithNsis(const fs::path& folder, const std::string& name, const VersionKeys& k, int lang) {
  const std::string l = " /LANG=" + std::to_string(lang) + " ";
  WriteFileBytes(folder / (name + ".nsi"),
                 "\xEF\xBB\xBFUnicode true\nName \"" + k.product + "\"\nOutFile \"" + name +
                     ".exe\"\nRequestExecutionLevel user\nLoadLanguageFile "
                     "\"${NSISDIR}\\Contrib\\Language files\\" +
                     (lang == 1049 ? "Russian" : "English") + ".nlf\"\nVIProductVersion \"" +
                     k.fileVersion + "\"\nVIAddVersionKey" + l + "\"ProductName\" \"" + k.product +
                     "\"\nVIAddVersionKey" + l + "\"ProductVersion\" \"" + k.version +
                     "\"\nVIAddVersionKey" + l + "\"CompanyName\" \"" + k.company +
                     "\"\nVIAddVersionKey" + l + "\"FileDescription\" \"" + k.description +
                     "\"\nVIAddVersionKey" + l + "\"LegalCopyright\" \"" + k.copyright +
                     "\"\nVIAddVersionKey" + l + "\"FileVersion\" \"" + k.fileVersion +
                     "\"\nSection\nSectionEnd\n");
  Shell("cd " + Quoted(folder) + " && makensis -V1 " + Quoted(folder / (name + ".nsi")) + " 2>&1");
}

void MakeWithWixl(const fs::path& folder, const std::string& name, const VersionKeys& k) {
  WriteFileBytes(folder / "payload.txt", "payload");
  WriteFileBytes(
      folder / (name + ".wxs"),
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\"><Product Id=\"*\" Name=\"" +
          k.product + "\" Language=\"1033\" Version=\"" + k.version + "\" Manufacturer=\"" +
          k.company +
          "\" UpgradeCode=\"12345678-1234-1234-1234-123456789012\"><Package "
          "InstallerVersion=\"200\" Compressed=\"yes\" Description=\"" +
          k.description +
          "\" Comments=\"Made by the corpus test\"/><Media Id=\"1\" Cabinet=\"p.cab\" "
          "EmbedCab=\"yes\"/><Directory Id=\"TARGETDIR\" Name=\"SourceDir\"><Directory "
          "Id=\"ProgramFilesFolder\"><Directory Id=\"INSTALLDIR\" Name=\"App\"><Component "
          "Id=\"C1\" Guid=\"11111111-2222-3333-4444-555555555555\"><File Id=\"F1\" "
          "Source=\"payload.txt\"/></Component></Directory></Directory></Directory><Feature "
          "Id=\"Main\" "
          "Level=\"1\"><ComponentRef Id=\"C1\"/></Feature></Product></Wix>\n");
  Shell("cd " + Quoted(folder) + " && wixl -o " + Quoted(folder / (name + ".msi")) + " " +
        Quoted(folder / (name + ".wxs")) + " 2>&1");
}

void MakeZip(const fs::path& file,
             const std::vector<std::pair<std::string, std::string>>& entries) {
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  ASSERT_EQ(archive_write_open_filename(a, file.string().c_str()), ARCHIVE_OK);
  for (const auto& [name, bytes] : entries) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, static_cast<la_int64_t>(bytes.size()));
    archive_entry_set_mtime(e, 1262347200, 0);  // 2010-01-01 12:00 UTC
    archive_write_header(a, e);
    archive_write_data(a, bytes.data(), bytes.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

// exiftool's fields and ours.
const std::vector<std::pair<std::string, std::string Description::*>> kFields = {
    {"ProductName", &Description::productName},
    {"ProductVersion", &Description::productVersion},
    {"FileVersion", &Description::fileVersion},
    {"CompanyName", &Description::companyName},
    {"FileDescription", &Description::fileDescription},
    {"LegalCopyright", &Description::legalCopyright},
    {"Title", &Description::title},
    {"Subject", &Description::subject},
    {"Author", &Description::author},
    {"Comments", &Description::comments}};

using Fields = std::map<std::string, std::string>;

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

// exiftool's reading of each file, by path; "-" stands for a field it did not find.
std::map<std::string, Fields> Exiftool(const std::vector<fs::path>& files) {
  std::vector<std::string> tags = {"Directory", "FileName", "CreateDate", "ZipFileName"};
  for (const auto& field : kFields) tags.push_back(field.first);
  std::string command = "exiftool -q -m -T -charset UTF8 -d %Y";
  for (const std::string& tag : tags) command += " -" + tag;
  std::string list;
  for (const fs::path& file : files) list += file.string() + "\n";
  const fs::path listFile =
      fs::temp_directory_path() / ("kitrova-exif-" + std::to_string(getpid()));
  WriteFileBytes(listFile, list);
  const std::string output = Shell(command + " -@ " + Quoted(listFile));
  fs::remove(listFile);
  std::map<std::string, Fields> result;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      cells.push_back(line.substr(start, tab - start));
    }
    cells.push_back(line.substr(start));
    if (cells.size() != tags.size()) continue;
    Fields fields;
    for (std::size_t i = 2; i < tags.size(); ++i) fields[tags[i]] = Trimmed(cells[i]);
    result[(fs::path(cells[0]) / cells[1]).string()] = fields;
  }
  return result;
}

// Every field that both read agrees; returns how many were compared.
int CompareWithExiftool(const std::vector<fs::path>& files) {
  const std::map<std::string, Fields> oracle = Exiftool(files);
  int compared = 0;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    Description ours;
    try {
      ours = DescribeFile(file);
    } catch (const DescribeError& error) {
      ADD_FAILURE() << file << " refused: " << error.what();
      continue;
    }
    const auto it = oracle.find(file.string());
    if (it == oracle.end()) {
      ADD_FAILURE() << "exiftool said nothing about " << file;
      continue;
    }
    const Fields& theirs = it->second;
    for (const auto& [tag, member] : kFields) {
      const std::string mine = Trimmed(ours.*member);
      const std::string& exif = theirs.at(tag);
      if (mine.empty() || exif == "-" ||
          (ours.kind == FileKind::WindowsInstaller && tag != "Title" && tag != "Subject" &&
           tag != "Author" && tag != "Comments")) {
        continue;  // read by one of the two only
      }
      ++compared;
      EXPECT_EQ(mine, exif) << file << ": field " << tag << " differs from exiftool";
    }
    if (ours.kind == FileKind::WindowsInstaller && theirs.at("CreateDate") != "-") {
      ++compared;
      EXPECT_EQ(ours.year.value_or(0), std::stoi(theirs.at("CreateDate")))
          << file << ": field CreateDate (year) differs from exiftool";
    }
    if (ours.kind == FileKind::Archive && theirs.at("ZipFileName") != "-") {
      ++compared;
      EXPECT_EQ(ours.entries.empty() ? "" : ours.entries.front().name, theirs.at("ZipFileName"))
          << file << ": field ZipFileName differs from exiftool";
    }
  }
  return compared;
}

std::string Bytes(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    ADD_FAILURE() << file << " was not made";
    return {};
  }
  return ReadFileBytes(file);
}

class CorpusTest : public ::testing::Test {
 protected:
  // Made once, by the first test that runs, so a tool that fails fails that test.
  void SetUp() override {
    if (folder_) return;
    folder_ = new testing::TempFolder;
    const fs::path dir = folder_->path();
    const VersionKeys english{"Tiny Editor",
                              "2.5",
                              "Tiny Software Ltd.",
                              "Tiny Editor Setup",
                              "Copyright (C) 2011-2021 Tiny Software",
                              "2.5.0.1"};
    const VersionKeys russian{
        "Архиватор", "1.2", "ООО «Ромашка»", "Установка Архиватора", "© 2003–2019 ООО «Ромашка»",
        "1.2.3.4"};
    MakeWithWindres(dir, "rc-english", RcText(english, "040904b0", "2,5,0,1"));
    MakeWithWindres(dir, "rc-russian", RcText(russian, "041904b0", "1,2,3,4"));
    MakeWithWindres(
        dir, "rc-oldstyle",
        RcText({"Old Tool", "1, 0, 0, 7", "Old Co", "", "", "1, 0, 0, 7"}, "040904e4", "1,0,0,7"));
    MakeWithNsis(dir, "nsis-english", english, 1033);
    MakeWithNsis(dir, "nsis-russian", russian, 1049);
    MakeWithWixl(dir, "wixl-viewer",
                 {"Sample Viewer", "3.1.4", "Example Corp", "Sample Viewer installer", "", ""});
    MakeZip(dir / "zip-with-setup.zip", {{"Tool/readme.txt", "read me"},
                                         {"Tool/setup.exe", Bytes(dir / "rc-english.exe")},
                                         {"Tool/bin/helper.exe", Bytes(dir / "rc-oldstyle.exe")}});
    MakeZip(dir / "zip-with-msi.zip", {{"Viewer/Viewer.msi", Bytes(dir / "wixl-viewer.msi")},
                                       {"Viewer/nested.zip", Bytes(dir / "zip-with-setup.zip")}});
    for (const char* name :
         {"rc-english.exe", "rc-russian.exe", "rc-oldstyle.exe", "nsis-english.exe",
          "nsis-russian.exe", "wixl-viewer.msi", "zip-with-setup.zip", "zip-with-msi.zip"}) {
      made_.push_back(dir / name);
    }
  }
  static void TearDownTestSuite() { delete folder_; }

  static fs::path At(const char* name) { return folder_->path() / name; }

  static inline testing::TempFolder* folder_ = nullptr;
  static inline std::vector<fs::path> made_;
};

TEST_F(CorpusTest, InstallersMadeHereAgreeWithExiftoolOnEveryFieldBothRead) {
  for (const fs::path& file : made_) ASSERT_TRUE(fs::is_regular_file(file)) << file;
  EXPECT_GE(CompareWithExiftool(made_), 30);
}

TEST_F(CorpusTest, InstallersMadeHereSayWhatTheirMakersWrote) {
  struct Case {
    const char* file;
    std::string Description::*field;
    std::string expected;
  };
  const Case cases[] = {
      {"rc-russian.exe", &Description::productName, "Архиватор"},
      {"rc-russian.exe", &Description::companyName, "ООО «Ромашка»"},
      {"rc-oldstyle.exe", &Description::productVersion, "1, 0, 0, 7"},
      {"nsis-russian.exe", &Description::fileDescription, "Установка Архиватора"},
      {"nsis-english.exe", &Description::legalCopyright, "Copyright (C) 2011-2021 Tiny Software"},
      {"wixl-viewer.msi", &Description::productName, "Sample Viewer"},
      {"wixl-viewer.msi", &Description::productVersion, "3.1.4"},
      {"wixl-viewer.msi", &Description::companyName, "Example Corp"},
      {"zip-with-setup.zip", &Description::installer, "Tool/setup.exe"},
      {"zip-with-setup.zip", &Description::productName, "Tiny Editor"},
      {"zip-with-msi.zip", &Description::installer, "Viewer/Viewer.msi"},
      {"zip-with-msi.zip", &Description::companyName, "Example Corp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DescribeFile(At(c.file)).*c.field, c.expected) << c.file;
  }
  struct Year {
    const char* file;
    int year;
    const char* source;
  };
  for (const Year& y :
       {Year{"rc-russian.exe", 2019, "copyright"}, Year{"nsis-english.exe", 2021, "copyright"},
        Year{"zip-with-setup.zip", 2021, "installer inside"},
        Year{"wixl-viewer.msi", 0, "creation time"}}) {
    const Description d = DescribeFile(At(y.file));
    ASSERT_TRUE(d.year) << y.file;
    if (y.year != 0) {
      EXPECT_EQ(*d.year, y.year) << y.file;
    }
    EXPECT_NE(d.yearSource.find(y.source), std::string::npos) << y.file << ": " << d.yearSource;
  }
}

TEST_F(CorpusTest, WineProgramsAgreeWithExiftool) {
  std::vector<fs::path> programs;
  for (const char* dir :
       {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows",
        "/usr/lib/i386-linux-gnu/wine/i386-windows", "/usr/lib/wine/x86_64-windows"}) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      if (entry.path().extension() == ".exe") programs.push_back(entry.path());
    }
  }
  if (programs.empty()) GTEST_SKIP() << "Wine is not installed (wine64 comes with the gates)";
  std::sort(programs.begin(), programs.end());
  EXPECT_GE(CompareWithExiftool(programs), static_cast<int>(programs.size()));
}

// Offsets inside an executable made here, found the way the loader finds them.
struct PeLayout {
  std::uint32_t resourceDirectoryEntry = 0;  // file offset of the resource RVA in the header
  std::uint32_t resources = 0;               // file offset of the resource section
};

std::uint32_t U32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  std::memcpy(b.data() + at, &v, 4);
}

PeLayout LayoutOf(const std::string& b) {
  const std::uint32_t pe = U32(b, 0x3C);
  const bool plus = static_cast<unsigned char>(b[pe + 25]) == 0x02;
  PeLayout layout;
  layout.resourceDirectoryEntry = pe + 24 + (plus ? 112 : 96) + 16;
  const std::uint32_t rva = U32(b, layout.resourceDirectoryEntry);
  const std::uint16_t optionalSize = static_cast<std::uint16_t>(U32(b, pe + 20) & 0xFFFF);
  const std::uint16_t sections = static_cast<std::uint16_t>(U32(b, pe + 6) & 0xFFFF);
  for (std::uint16_t i = 0; i < sections; ++i) {
    const std::size_t at = pe + 24 + optionalSize + i * 40u;
    if (rva >= U32(b, at + 12) && rva < U32(b, at + 12) + U32(b, at + 16)) {
      layout.resources = U32(b, at + 20) + (rva - U32(b, at + 12));
    }
  }
  return layout;
}

TEST_F(CorpusTest, DamagedCopiesAreRefusedWithTheirReason) {
  const std::string exe = Bytes(At("rc-english.exe"));
  const std::string other = Bytes(At("rc-russian.exe"));
  const std::string msi = Bytes(At("wixl-viewer.msi"));
  const std::string zip = Bytes(At("zip-with-setup.zip"));
  ASSERT_FALSE(exe.empty() || other.empty() || msi.empty() || zip.empty());
  struct Case {
    const char* name;
    std::function<std::string()> make;
    const char* reason;
  };
  const PeLayout l = LayoutOf(exe);
  const PeLayout lo = LayoutOf(other);
  const std::size_t stringInfo = exe.find(std::string("S\0t\0r\0i\0n\0g\0F", 14));
  const Case cases[] = {
      {"empty.exe", [] { return std::string(); }, "empty"},
      {"text.exe", [] { return std::string("just text"); }, "neither an executable"},
      {"dos-header-only.exe", [&] { return exe.substr(0, 40); }, "beyond the end"},
      {"no-pe-signature.exe",
       [&] {
         std::string b = exe;
         Put32(b, 0x3C, 0x40);
         return b;
       },
       "no PE signature"},
      {"cut-before-resources.exe", [&] { return exe.substr(0, l.resources + 8); },
       "beyond the end"},
      {"resources-out-of-range.exe",
       [&] {
         std::string b = exe;
         Put32(b, l.resourceDirectoryEntry, 0x7FFFFF00);
         return b;
       },
       "outside every section"},
      {"resource-loop.exe",
       [&] {
         std::string b = other;
         const std::uint32_t level1 = U32(b, lo.resources + 20) & 0x7FFFFFFF;
         Put32(b, lo.resources + level1 + 20, 0x80000000u | level1);
         return b;
       },
       "refers back to itself"},
      {"resource-root-loop.exe",
       [&] {
         std::string b = exe;
         Put32(b, l.resources + 20, 0x80000000u);
         return b;
       },
       "refers back to itself"},
      {"version-block-of-length-zero.exe",
       [&] {
         std::string b = exe;
         b[stringInfo - 6] = 0;
         b[stringInfo - 5] = 0;
         return b;
       },
       "version block too short"},
      {"version-block-past-parent.exe",
       [&] {
         std::string b = exe;
         b[stringInfo - 5] = '\x7F';
         return b;
       },
       "runs past its parent"},
      {"half.msi", [&] { return msi.substr(0, msi.size() / 2); }, "compound file"},
      {"header-only.msi", [&] { return msi.substr(0, 600); }, "compound file"},
      {"directory-chain-loop.msi",
       [&] {
         std::string b = msi;
         const std::uint32_t directory = U32(b, 0x30);
         Put32(b, (U32(b, 0x4C) + 1) * 512 + directory * 4, directory);
         return b;
       },
       "the directory: sector chain loops"},
      {"directory-out-of-range.msi",
       [&] {
         std::string b = msi;
         Put32(b, 0x30, 0x00FFFFFF);
         return b;
       },
       "the directory: sector chain leaves the allocation table"},
      {"half.zip", [&] { return zip.substr(0, zip.size() / 2); }, "archive"},
      {"entry-offset-out-of-range.zip",
       [&] {
         std::string b = zip;
         Put32(b, zip.find("PK\x01\x02") + 42, 0x7FFFFFF0);
         return b;
       },
       "damaged archive"},
      {"name-past-the-end.zip",
       [&] {
         std::string b = zip;
         const std::size_t central = zip.find("PK\x01\x02");
         b[central + 28] = b[central + 29] = '\xFF';
         return b;
       },
       "damaged archive"},
  };
  ASSERT_NE(stringInfo, std::string::npos);
  for (const Case& c : cases) {
    const fs::path file = folder_->path() / "damaged" / c.name;
    fs::create_directories(file.parent_path());
    WriteFileBytes(file, c.make());
    try {
      const Description d = DescribeFile(file);
      ADD_FAILURE() << c.name << " was read, not refused (product \"" << d.productName << "\")";
    } catch (const DescribeError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
          << c.name << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace kitrova::describe
