// info: what each installer says about itself, as a table, CSV or JSON. Nothing is run or
// extracted; a file the reader refuses is reported with the reason and the rest go on.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "cli/Commands.h"
#include "cli/Csv.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "describe/Description.h"

namespace kitrova::cli {

namespace {

struct InfoOptions {
  std::vector<std::string> files;
  std::string format = "table";
};

struct Outcome {
  std::string file;
  std::optional<describe::Description> description;
  std::string error;
};

std::string YearText(const describe::Description& d) {
  return d.year ? std::to_string(*d.year) : std::string();
}

std::size_t Characters(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The first `count` characters of UTF-8 text.
std::string Head(std::string_view utf8, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < utf8.size(); ++at) {
    if ((utf8[at] & 0xC0) != 0x80 && seen++ == count) break;
  }
  return std::string(utf8.substr(0, at));
}

void PrintInfoTable(std::ostream& out, const std::vector<Outcome>& outcomes) {
  std::vector<std::vector<std::string>> rows{
      {"File", "Kind", "Product", "Version", "Maker", "Year", "Description"}};
  for (const Outcome& o : outcomes) {
    if (!o.description) continue;
    const describe::Description& d = *o.description;
    std::string product = d.productName;
    if (!d.installer.empty()) product += (product.empty() ? "" : " ") + ("[" + d.installer + "]");
    rows.push_back({Utf8Path(PathFromUtf8(o.file).filename()),
                    std::string(describe::KindName(d.kind)), product, d.productVersion,
                    d.companyName, YearText(d), d.fileDescription});
  }
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      for (char& ch : row[c]) {
        if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
      }
      widths[c] = std::max(widths[c], Characters(row[c]));
    }
  }
  FitToTerminal(widths, TableWidth(out), 0, 6);
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      std::string text = row[c];
      if (Characters(text) > widths[c]) text = Head(text, widths[c] - 1) + "\u2026";
      if (c + 1 < row.size()) text += std::string(widths[c] + 2 - Characters(text), ' ');
      line += text;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
}

void PrintInfoCsv(std::ostream& out, const std::vector<Outcome>& outcomes) {
  std::string text;
  AppendCsvRow(text,
               {"File", "Kind", "ProductName", "ProductVersion", "FileVersion", "CompanyName",
                "FileDescription", "LegalCopyright", "Title", "Subject", "Author", "Comments",
                "Year", "YearSource", "Installer", "Entries", "Error"},
               ',');
  for (const Outcome& o : outcomes) {
    if (!o.description) {
      AppendCsvRow(
          text, {o.file, "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", o.error}, ',');
      continue;
    }
    const describe::Description& d = *o.description;
    const std::string year = YearText(d);
    const std::string entries =
        d.kind == describe::FileKind::Archive ? std::to_string(d.entryCount) : "";
    AppendCsvRow(text,
                 {o.file, describe::KindName(d.kind), d.productName, d.productVersion,
                  d.fileVersion, d.companyName, d.fileDescription, d.legalCopyright, d.title,
                  d.subject, d.author, d.comments, year, d.yearSource, d.installer, entries, ""},
                 ',');
  }
  out << text;
}

void PrintInfoJson(std::ostream& out, const std::vector<Outcome>& outcomes) {
  nlohmann::ordered_json all = nlohmann::ordered_json::array();
  for (const Outcome& o : outcomes) {
    nlohmann::ordered_json item;
    item["file"] = o.file;
    if (!o.description) {
      item["error"] = o.error;
      all.push_back(std::move(item));
      continue;
    }
    const describe::Description& d = *o.description;
    item["kind"] = describe::KindName(d.kind);
    item["productName"] = d.productName;
    item["productVersion"] = d.productVersion;
    item["fileVersion"] = d.fileVersion;
    item["companyName"] = d.companyName;
    item["fileDescription"] = d.fileDescription;
    item["legalCopyright"] = d.legalCopyright;
    item["title"] = d.title;
    item["subject"] = d.subject;
    item["author"] = d.author;
    item["comments"] = d.comments;
    item["year"] = d.year ? nlohmann::ordered_json(*d.year) : nlohmann::ordered_json(nullptr);
    item["yearSource"] = d.yearSource;
    if (d.kind == describe::FileKind::Archive) {
      item["installer"] = d.installer;
      item["entryCount"] = d.entryCount;
      nlohmann::ordered_json entries = nlohmann::ordered_json::array();
      for (const describe::ArchiveEntry& e : d.entries) {
        entries.push_back({{"name", e.name}, {"size", e.size}});
      }
      item["entries"] = std::move(entries);
    }
    all.push_back(std::move(item));
  }
  out << all.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

int RunInfo(const InfoOptions& o, std::ostream& out, std::ostream& err) {
  std::vector<Outcome> outcomes;
  int refused = 0;
  for (const std::string& file : o.files) {
    Outcome outcome{file, std::nullopt, {}};
    try {
      outcome.description = describe::DescribeFile(PathFromUtf8(file));
    } catch (const describe::DescribeError& error) {
      outcome.error = error.what();
      err << "refused: " << file << ": " << error.what() << '\n';
      ++refused;
    }
    outcomes.push_back(std::move(outcome));
  }
  if (o.format == "csv") {
    PrintInfoCsv(out, outcomes);
  } else if (o.format == "json") {
    PrintInfoJson(out, outcomes);
  } else {
    PrintInfoTable(out, outcomes);
  }
  return refused == 0 ? 0 : 1;
}

}  // namespace

Command AddInfoCommand(CLI::App& app) {
  auto o = std::make_shared<InfoOptions>();
  CLI::App* cmd = app.add_subcommand(
      "info",
      "What each installer says about itself: an executable's version resource, an .msi's "
      "properties and summary information, an archive's entries and the installer inside. "
      "Nothing is run or extracted; exit 1 when a file is refused");
  cmd->add_option("FILE", o->files, "Installer files (.exe, .msi, .zip, .rar)")->required();
  cmd->add_option("--format", o->format, "table (cut to the terminal), csv or json")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  return {cmd, [o](std::ostream& out, std::ostream& err) { return RunInfo(*o, out, err); }};
}

}  // namespace kitrova::cli
