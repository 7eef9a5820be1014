// scan: a record for every installer under a folder whose path the catalog does not hold yet.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <set>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ScanDescribe.h"
#include "cli/Session.h"
#include "core/CatalogOps.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace {

namespace fs = std::filesystem;

struct ScanOptions {
  std::string catalog, folder, type, license;
  bool dryRun = false;
  bool backup = false;
  bool skipUnreadable = false;
  bool describe = false;
  int wait = 0;
};

bool IsInstaller(const fs::path& file) {
  const std::string ext = AsciiLower(Utf8Path(file.extension()));
  return ext == ".exe" || ext == ".msi" || ext == ".zip" || ext == ".rar";
}

std::string ModificationYear(const fs::path& file) {
  const auto modified = fs::last_write_time(file);
  const std::time_t t =
      std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(modified));
  std::tm local{};
#ifdef _MSC_VER
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  char year[16];
  std::snprintf(year, sizeof year, "%04d", local.tm_year + 1900);
  return year;
}

// Where a path really leads, so that a file reached through a link is the same file; the
// path as given when it leads nowhere.
fs::path RealPath(const fs::path& path) {
  std::error_code ec;
  fs::path real = fs::canonical(path, ec);
  return ec ? path : real;
}

struct Walk {
  std::vector<fs::path> installers;  // real paths, each once
  std::vector<std::string> unreadable;
};

// Every installer under `folder`. Folders reached through links are not entered (their
// files are reached where they really are, or not at all); files through links are.
Walk FindInstallers(const fs::path& folder) {
  Walk walk;
  std::set<fs::path> seen;
  std::vector<fs::path> pending{folder};
  while (!pending.empty()) {
    const fs::path dir = std::move(pending.back());
    pending.pop_back();
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
      std::error_code entryError;
      if (it->is_symlink(entryError)) {
        if (it->is_regular_file(entryError) && IsInstaller(it->path())) {
          if (fs::path real = RealPath(it->path()); seen.insert(real).second)
            walk.installers.push_back(std::move(real));
        }
      } else if (it->is_directory(entryError)) {
        pending.push_back(it->path());
      } else if (it->is_regular_file(entryError) && IsInstaller(it->path())) {
        if (seen.insert(it->path()).second) walk.installers.push_back(it->path());
      }
    }
    if (ec) walk.unreadable.push_back(Utf8Path(dir) + ": " + ec.message());
  }
  std::sort(walk.installers.begin(), walk.installers.end());
  return walk;
}

int RunScan(const ScanOptions& o, std::ostream& err) {
  const std::string type = ToCp1251OrFail(o.type, "--type");
  const std::string license = ToCp1251OrFail(o.license, "--license");
  std::error_code ec;
  const fs::path folder = fs::canonical(PathFromUtf8(o.folder), ec);
  if (ec) throw CliError("cannot read " + o.folder + ": " + ec.message());
  if (!fs::is_directory(folder, ec)) throw CliError(o.folder + " is not a folder");

  WritableCatalog catalog(PathFromUtf8(o.catalog), o.dryRun, {"kitrova-cli scan", o.wait});
  std::set<std::string> known;
  for (std::int32_t i = 1; i <= catalog.table().count(); ++i) {
    const std::string stored = catalog.table().at(i).Path.str();
    known.insert(stored);
    // A record made through a link names the file the link leads to as well.
    if (const auto utf8 = platform::Cp1251ToUtf8(stored); !utf8.empty()) {
      if (auto real = platform::Utf8ToCp1251(Utf8Path(RealPath(PathFromUtf8(utf8)))))
        known.insert(*real);
    }
  }

  const Walk walk = FindInstallers(folder);
  for (const std::string& folderError : walk.unreadable) {
    err << (o.skipUnreadable ? "skipped (cannot read): " : "cannot read: ") << folderError << '\n';
  }
  if (!walk.unreadable.empty() && !o.skipUnreadable) {
    throw CliError(std::to_string(walk.unreadable.size()) +
                   " folders cannot be read; nothing added (--skip-unreadable adds what can be "
                   "read)");
  }

  std::vector<core::DistroRecord> added;
  int skipped = 0;
  for (const fs::path& file : walk.installers) {
    const std::string shown = Utf8Path(file);
    const auto path = platform::Utf8ToCp1251(shown);
    const auto name = platform::Utf8ToCp1251(Utf8Path(file.stem()));
    if (!path || !name) {
      err << "skipped (Windows-1251 cannot hold its name): " << shown << '\n';
      ++skipped;
      continue;
    }
    if (path->size() > core::kFieldTextSize) {
      err << "skipped (path longer than 255 characters): " << shown << '\n';
      ++skipped;
      continue;
    }
    if (!known.insert(*path).second) continue;
    core::DistroRecord record{};
    record.Name.assign(*name);
    record.Type.assign(type);
    record.License.assign(license);
    record.Year.assign(ModificationYear(file));
    record.Path.assign(*path);
    if (o.describe) {
      DescribedRecord described = DescribeRecord(file, record);
      if (!described.message.empty()) err << described.message << '\n';
      if (!described.record) {
        ++skipped;
        continue;
      }
      record = *described.record;
    }
    added.push_back(record);
  }
  if (catalog.table().count() + static_cast<std::int64_t>(added.size()) > core::kCatalogCapacity) {
    throw CliError("the catalog would hold more than 10000 records (" +
                   std::to_string(catalog.table().count()) + " + " + std::to_string(added.size()) +
                   "); nothing added");
  }
  // Told only once it is true: after the save went through.
  if (!added.empty() && !o.dryRun) {
    core::StoreNewRecords(catalog.state(), added);
    catalog.save(o.backup);
  }
  for (const core::DistroRecord& record : added) {
    err << (o.dryRun ? "would add: " : "added: ") << platform::Cp1251ToUtf8(record.Name.view())
        << "  (" << record.Year.view() << ")  ";
    if (o.describe && record.Comment.length > 0) {
      err << '[' << platform::Cp1251ToUtf8(record.Comment.view()) << "]  ";
    }
    err << platform::Cp1251ToUtf8(record.Path.view()) << '\n';
  }
  err << added.size() << (o.dryRun ? " records would be added" : " records added");
  if (skipped > 0) err << ", " << skipped << " files skipped";
  err << '\n';
  return 0;
}

}  // namespace

Command AddScanCommand(CLI::App& app) {
  auto o = std::make_shared<ScanOptions>();
  CLI::App* cmd = app.add_subcommand(
      "scan",
      "Add a record for every .exe, .msi, .zip and .rar file under FOLDER whose path is not in "
      "the catalog yet: Name from the file name, Year from its modification time, Path the "
      "full path. Files whose name or path Windows-1251 cannot hold are reported and skipped");
  cmd->add_option("CATALOG", o->catalog, "Catalog file (.krv); must exist (may be empty)")
      ->required();
  cmd->add_option("FOLDER", o->folder, "Folder to search, with its subfolders")->required();
  cmd->add_option("--type", o->type, "Type of the new records (default: empty)");
  cmd->add_option("--license", o->license, "License of the new records (default: empty)");
  cmd->add_flag("--describe", o->describe,
                "Name, Year and Comment from what each installer says about itself (product "
                "name and version, the year its copyright or creation time gives, description "
                "and maker), falling back to the file name and modification year");
  cmd->add_flag("--dry-run", o->dryRun,
                "Show what would be added, write nothing (the catalog is opened for reading "
                "only)");
  cmd->add_flag("--skip-unreadable", o->skipUnreadable,
                "Add what can be read when some folders cannot be (by default: an error, "
                "nothing added)");
  AddWriterOptions(*cmd, o->backup, o->wait);
  cmd->footer(
      "Files reached through symbolic links are stored by their real path, once; folders "
      "behind links are not entered.\n"
      "Examples:\n"
      "  kitrova-cli scan base.krv /srv/distrib --dry-run\n"
      "  kitrova-cli scan base.krv /srv/distrib --type Утилиты --license Freeware --backup\n");
  return {cmd, [o](std::ostream&, std::ostream& err) { return RunScan(*o, err); }};
}

}  // namespace kitrova::cli
