// kitrova-cli as a script sees it: the real executable run by the shell, with standard
// input, output, error, exit status and the catalog's bytes afterwards.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/DistroRecord.h"
#include "platform/Utf8Cp1251.h"
#include "support/TempFolder.h"

namespace kitrova::cli {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

struct Outcome {
  int status = -1;
  std::string out, err;
};

// `line` runs in `folder` under /bin/sh with kitrova-cli and kitrova on the PATH.
Outcome Shell(const fs::path& folder, const std::string& line, const std::string& input) {
  WriteFileBytes(folder / ".stdin", input);
  WriteFileBytes(folder / ".line", line);
  const std::string command = "cd '" + folder.string() + "' && PATH='" +
                              fs::path(KITROVA_CLI).parent_path().string() + ":" +
                              fs::path(KITROVA_APP).parent_path().string() +
                              ":'\"$PATH\" sh .line < .stdin > .stdout 2> .stderr";
  const int raw = std::system(command.c_str());
  Outcome run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFileBytes(folder / ".stdout");
  run.err = ReadFileBytes(folder / ".stderr");
  return run;
}

std::string Catalog(const std::vector<std::vector<std::string>>& rows) {
  std::string bytes;
  for (const auto& fields : rows) {
    core::DistroRecord record{};
    for (std::size_t f = 0; f < fields.size(); ++f) {
      core::FieldOf(record, static_cast<core::RecordField>(f))
          .assign(*platform::Utf8ToCp1251(fields[f]));
    }
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
  }
  return bytes;
}

const std::string kLong(200, 'w');
// In the order of the sort by name, as an import leaves a catalog.
const std::string kSmall =
    Catalog({{"Beta", "Игры", "", "1999", kLong, "/x/b.exe"},
             {"Альфа", "Утилиты", "Shareware", "2001", "", "/x/a.exe"},
             {"Зип", "Архиватор", "Freeware", "2005", "a, b", "C:\\zip.exe"}});

std::string BigCatalog() {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 200; ++i) rows.push_back({"n" + std::to_string(i), kLong, kLong, kLong});
  return Catalog(rows);
}

struct Case {
  Case(const char* what, std::string line, std::string input, int status,
       std::vector<std::string> outHas = {}, std::vector<std::string> errHas = {},
       std::vector<std::string> errLacks = {}, bool errEmpty = false)
      : what(what),
        line(std::move(line)),
        input(std::move(input)),
        status(status),
        outHas(std::move(outHas)),
        errHas(std::move(errHas)),
        errLacks(std::move(errLacks)),
        errEmpty(errEmpty) {}
  const char* what;
  std::string line, input;
  int status;
  std::vector<std::string> outHas, errHas, errLacks;
  bool errEmpty;
};

const std::string kNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
const std::string kCsvIn = "Name,Type\r\nNew,Игры\r\n";

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // A failure is never reported as success.
      {"list onto a full disk",
       "kitrova-cli list c.krv --format csv > /dev/full",
       "",
       2,
       {},
       {"No space left on device"}},
      {"search onto a full disk",
       "kitrova-cli search c.krv --name a > /dev/full",
       "",
       2,
       {},
       {"No space left on device"}},
      {"a closed pipe with SIGPIPE ignored",
       "trap '' PIPE; { kitrova-cli list big.krv --format json; echo \"status $?\" >&2; } | "
       "head -c 1 > /dev/null",
       "",
       0,
       {},
       {"Broken pipe", "status 2"}},
      {"export over a file it cannot finish keeps the file",
       "printf old > out.csv; (trap '' XFSZ; ulimit -f 1; kitrova-cli export big.krv out.csv); "
       "cat out.csv",
       "",
       0,
       {"old"},
       {"cannot write out.csv: File too large"}},
      // Data on stdout, messages on stderr, - for standard input and output.
      {"export to standard output",
       "kitrova-cli export c.krv - && test ! -e ./-",
       "",
       0,
       {"Name,Type,License,Year,Comment,Path\r\nBeta"},
       {"exported 3 records"},
       {"Name,"}},
      {"a catalog from standard input",
       "kitrova-cli list - --format csv < c.krv",
       "",
       0,
       {"Альфа,Утилиты,Shareware"},
       {},
       {},
       true},
      {"import from standard input",
       "kitrova-cli import e.krv - && kitrova-cli list e.krv --format csv",
       kCsvIn,
       0,
       {"New,Игры"},
       {"imported 1 records"}},
      {"quiet",
       "kitrova-cli -q import e.krv - && kitrova-cli export c.krv o.csv --quiet",
       kCsvIn,
       0,
       {},
       {},
       {},
       true},
      {"JSON both ways with positions",
       "kitrova-cli list c.krv --format json --sort year && kitrova-cli list c.krv --format json "
       "| kitrova-cli import e.krv - --format json -q && cmp c.krv e.krv",
       "",
       0,
       {"\"position\": 3,\n      \"Name\": \"Зип\""},
       {},
       {},
       true},
      {"JSON of another version",
       "kitrova-cli import e.krv - --format json",
       R"({"schema": "kitrova-cli-records", "version": 2, "records": []})",
       2,
       {},
       {"version is not 1"}},
      {"JSON records it cannot store",
       "for r in '{\"Name\": \"a\", \"Colour\": \"red\"}' '{\"Name\": 5}' '[1]' "
       "'{\"Name\": \"\u2713\"}'; do printf '{\"schema\": \"kitrova-cli-records\", "
       "\"version\": 1, \"records\": [%s]}' \"$r\" | kitrova-cli import e.krv - --format json; "
       "done; test ! -s e.krv",
       "",
       0,
       {},
       {"record 1: unknown key \"Colour\"", "record 1: Name is not a text",
        "record 1: not an object", "record 1, field Name: a character"}},
      {"search and check as CSV and JSON",
       "kitrova-cli search c.krv --name а --format csv; kitrova-cli check c.krv --format json",
       "",
       0,
       {"Position,Name,Type", "2,Альфа", "\"schema\": \"kitrova-cli-check\""}},
      // Exit codes: 1 nothing found, 2 an error.
      {"search finds nothing", "kitrova-cli search c.krv --name zzz", "", 1, {}, {"nothing found"}},
      {"search cannot read",
       "kitrova-cli search missing.krv --name a",
       "",
       2,
       {},
       {"No such file or directory"}},
      {"the catalog to write is not standard input",
       "kitrova-cli import - x.csv",
       kCsvIn,
       2,
       {},
       {"standard input"}},
      // Dry runs on a catalog the user may not write.
      {"import --dry-run on a read-only catalog",
       "chmod 444 c.krv && " + kNobody + "kitrova-cli import c.krv in.csv --dry-run",
       "",
       0,
       {},
       {"would import 1 records; the catalog would hold 4"}},
      {"scan --dry-run on a read-only catalog",
       "mkdir t && : > t/a.exe && chmod 444 c.krv && " + kNobody +
           "kitrova-cli scan c.krv t --dry-run",
       "",
       0,
       {},
       {"would add: a", "1 records would be added"}},
      // scan tells only what is true, sees what it cannot read, adds a file once.
      {"scan says nothing was added when the save is refused",
       "mkdir t && : > t/a.exe && : > Backup && kitrova-cli scan c.krv t --backup",
       "",
       2,
       {},
       {"error:"},
       {"added:"}},
      {"scan of an unreadable folder",
       "chmod 777 . && chmod 666 e.krv && mkdir -p t/locked && : > t/a.exe && : > t/locked/b.exe "
       "&& chmod 000 t/locked && " +
           kNobody + "kitrova-cli scan e.krv t; echo \"status $?\"; " + kNobody +
           "kitrova-cli scan e.krv t --skip-unreadable",
       "",
       0,
       {"status 2"},
       {"Permission denied", "nothing added", "1 records added"}},
      {"scan through a link to a folder already scanned",
       "mkdir t && : > t/a.exe && ln -s t link && ln -s a.exe t/b.exe && kitrova-cli scan e.krv "
       "t && kitrova-cli scan e.krv link",
       "",
       0,
       {},
       {"1 records added", "0 records added"}},
      // Encoding: a mix is refused, pure Windows-1251 still reads.
      {"a mix of UTF-8 and Windows-1251",
       "kitrova-cli import e.krv -",
       "Name\r\nПривет\r\n\xcf\xf0\xe8\xe2\xe5\xf2\r\n",
       2,
       {},
       {"line 3, byte 1", "line 2, byte 1 is UTF-8", "--encoding"}},
      {"pure Windows-1251",
       "kitrova-cli import e.krv - -q && kitrova-cli list e.krv --format csv",
       "Name\r\n\xcf\xf0\xe8\xe2\xe5\xf2\r\n",
       0,
       {"Привет"}},
      // Bounded reads and short echoes.
      {"an endless input", "kitrova-cli import e.krv /dev/zero", "", 2, {}, {"more than"}},
      {"a runaway header",
       "kitrova-cli import e.krv -",
       "Name," + std::string(100000, 'h') + "\r\n",
       2,
       {},
       {"line 1: a row of more than"}},
      {"a long unknown column",
       "kitrova-cli import e.krv -",
       "Name," + std::string(300, 'y') + "\r\n",
       2,
       {},
       {"unknown column \"yyy"},
       {std::string(60, 'y')}},
      {"a runaway record",
       "kitrova-cli import e.krv -",
       "Name\r\n" + std::string(5000, 'z'),
       2,
       {},
       {"line 2: a row of more than"}},
      // Help, version, typos and causes.
      {"versions",
       "kitrova-cli --version && timeout 10 env -u DISPLAY kitrova --version",
       "",
       0,
       {"kitrova-cli ", "\nkitrova "}},
      {"a typo", "kitrova-cli lst c.krv", "", 2, {}, {"did you mean list?"}, {"Usage:"}},
      {"a missing file gives its cause",
       "kitrova-cli import e.krv missing.csv",
       "",
       2,
       {},
       {"cannot read missing.csv: No such file or directory"}},
      {"a folder gives no library text",
       "kitrova-cli import e.krv .",
       "",
       2,
       {},
       {"is a folder"},
       {"basic_filebuf"}},
      {"plain choices in the help", "kitrova-cli export --help | grep -c 'TEXT:{'", "", 1, {"0"}},
      {"a table is not cut off a terminal", "COLUMNS=40 kitrova-cli list c.krv", "", 0, {kLong}},
      {"a table takes the terminal's width",
       "script -qec 'stty cols 250; kitrova-cli list c.krv; stty cols 60; kitrova-cli list c.krv' "
       "/dev/null",
       "",
       0,
       {kLong, "ww\u2026"}},
  };
  return cases;
}

TEST(ScriptsTest, EveryCaseGivesItsOutputErrorAndStatus) {
  const std::string big = BigCatalog();
  for (const Case& c : Cases()) {
    // Only root can become another user; CI runs as root.
    if (c.line.find("setpriv") != std::string::npos && ::geteuid() != 0) continue;
    testing::TempFolder temp;
    WriteFileBytes(temp / "c.krv", kSmall);
    WriteFileBytes(temp / "e.krv", "");
    WriteFileBytes(temp / "big.krv", big);
    WriteFileBytes(temp / "in.csv", kCsvIn);
    fs::permissions(temp.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    const Outcome run = Shell(temp.path(), c.line, c.input);
    SCOPED_TRACE(std::string(c.what) + "\nstdout: " + run.out + "\nstderr: " + run.err);
    EXPECT_EQ(run.status, c.status);
    for (const std::string& text : c.outHas) EXPECT_NE(run.out.find(text), std::string::npos);
    for (const std::string& text : c.errHas) EXPECT_NE(run.err.find(text), std::string::npos);
    for (const std::string& text : c.errLacks) EXPECT_EQ(run.err.find(text), std::string::npos);
    if (c.errEmpty) {
      EXPECT_EQ(run.err, "");
    }
  }
}

// Commands that only read leave every catalog as it was, byte for byte.
TEST(ScriptsTest, ReadingCommandsLeaveTheCatalogAlone) {
  testing::TempFolder temp;
  WriteFileBytes(temp / "c.krv", kSmall);
  WriteFileBytes(temp / "in.csv", kCsvIn);
  const Outcome run = Shell(temp.path(),
                            "kitrova-cli list c.krv; kitrova-cli search c.krv --year 19; "
                            "kitrova-cli check c.krv --format csv; kitrova-cli export c.krv -; "
                            "kitrova-cli import c.krv in.csv --dry-run",
                            "");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(temp / "c.krv"), kSmall);
}

}  // namespace
}  // namespace kitrova::cli
