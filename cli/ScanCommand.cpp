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

int RunScan(const ScanOptions& o, std::ostream& out, std::ostream& err) {
  const std::string type = ToCp1251OrFail(o.type, "--type");
  const std::string license = ToCp1251OrFail(o.license, "--license");
  const fs::path folder = fs::absolute(PathFromUtf8(o.folder)).lexically_normal();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw CliError(o.folder + " is not a folder");

  WritableCatalog catalog(PathFromUtf8(o.catalog));
  std::set<std::string> known;
  for (std::int32_t i = 1; i <= catalog.table().count(); ++i) {
    known.insert(catalog.table().at(i).Path.str());
  }

  std::vector<fs::path> files;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  if (ec) throw CliError("cannot read " + o.folder + ": " + ec.message());
  for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if (ec) throw CliError("cannot read " + o.folder + ": " + ec.message());
    std::error_code fileError;
    if (it->is_regular_file(fileError) && IsInstaller(it->path())) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());

  std::vector<core::DistroRecord> added;
  int skipped = 0;
  for (const fs::path& file : files) {
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
    added.push_back(record);
  }
  if (catalog.table().count() + static_cast<std::int64_t>(added.size()) > core::kCatalogCapacity) {
    throw CliError("the catalog would hold more than 10000 records (" +
                   std::to_string(catalog.table().count()) + " + " + std::to_string(added.size()) +
                   "); nothing added");
  }
  for (const core::DistroRecord& record : added) {
    out << (o.dryRun ? "would add: " : "added: ") << platform::Cp1251ToUtf8(record.Name.view())
        << "  (" << record.Year.view() << ")  " << platform::Cp1251ToUtf8(record.Path.view())
        << '\n';
  }
  if (!added.empty() && !o.dryRun) {
    core::StoreNewRecords(catalog.state(), added);
    catalog.save(o.backup);
  }
  out << added.size() << (o.dryRun ? " records would be added" : " records added");
  if (skipped > 0) out << ", " << skipped << " files skipped";
  out << '\n';
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
  cmd->add_flag("--dry-run", o->dryRun, "Show what would be added, write nothing");
  cmd->add_flag("--backup", o->backup,
                "Copy the catalog into Backup/ beside it first (backupY_M_D_h_m_s.krv)");
  return {cmd, [o](std::ostream& out, std::ostream& err) { return RunScan(*o, out, err); }};
}

}  // namespace kitrova::cli
