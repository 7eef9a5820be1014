#include "describe/MsiReader.h"

#include <libmsi.h>

#include <chrono>
#include <memory>
#include <string>

namespace kitrova::describe {

namespace {

constexpr int kMaxProperties = 100000;
// FILETIME counts 100 ns steps from 1601-01-01; the Unix epoch is this many seconds later.
constexpr std::uint64_t kFileTimeToUnix = 11644473600ULL;

struct GObjectFree {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using Owned = std::unique_ptr<T, GObjectFree>;

struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};

[[noreturn]] void Refuse(const std::string& what, GError* error) {
  std::unique_ptr<GError, ErrorFree> owned(error);
  throw DescribeError(what + (error && error->message ? std::string(": ") + error->message : ""));
}

std::string Take(gchar* text) {
  std::string copy = text ? text : "";
  g_free(text);
  return copy;
}

std::optional<int> YearOfFileTime(std::uint64_t filetime) {
  if (filetime == 0) return std::nullopt;
  const std::int64_t unixSeconds = static_cast<std::int64_t>(filetime / 10000000ULL) -
                                   static_cast<std::int64_t>(kFileTimeToUnix);
  const std::chrono::sys_days day = std::chrono::floor<std::chrono::days>(
      std::chrono::sys_seconds{std::chrono::seconds{unixSeconds}});
  return static_cast<int>(std::chrono::year_month_day{day}.year());
}

}  // namespace

Description ReadMsi(const std::filesystem::path& path) {
  Description d;
  d.kind = FileKind::WindowsInstaller;
  GError* error = nullptr;
  Owned<LibmsiDatabase> db(
      libmsi_database_new(path.string().c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error));
  if (!db) Refuse("not a readable Windows Installer database", error);

  Owned<LibmsiQuery> query(
      libmsi_query_new(db.get(), "SELECT `Property`, `Value` FROM `Property`", &error));
  if (!query) Refuse("the database has no Property table", error);
  if (!libmsi_query_execute(query.get(), nullptr, &error)) {
    Refuse("cannot read the Property table", error);
  }
  for (int rows = 0;; ++rows) {
    if (rows > kMaxProperties) throw DescribeError("the Property table has too many rows");
    Owned<LibmsiRecord> record(libmsi_query_fetch(query.get(), &error));
    if (!record) break;
    const std::string name = Take(libmsi_record_get_string(record.get(), 1));
    std::string value = Take(libmsi_record_get_string(record.get(), 2));
    if (name == "ProductName")
      d.productName = std::move(value);
    else if (name == "ProductVersion")
      d.productVersion = std::move(value);
    else if (name == "Manufacturer")
      d.companyName = std::move(value);
    else if (name == "ARPCOMMENTS")
      d.fileDescription = std::move(value);
  }
  if (error) g_clear_error(&error);  // the end of the rows is reported as an error too
  libmsi_query_close(query.get(), nullptr);

  Owned<LibmsiSummaryInfo> summary(libmsi_summary_info_new(db.get(), 0, &error));
  if (!summary) Refuse("cannot read the summary information", error);
  auto text = [&](LibmsiProperty property) {
    if (libmsi_summary_info_get_property_type(summary.get(), property, nullptr) !=
        LIBMSI_PROPERTY_TYPE_STRING) {
      return std::string();
    }
    const gchar* value = libmsi_summary_info_get_string(summary.get(), property, nullptr);
    return std::string(value ? value : "");
  };
  d.title = text(LIBMSI_PROPERTY_TITLE);
  d.subject = text(LIBMSI_PROPERTY_SUBJECT);
  d.author = text(LIBMSI_PROPERTY_AUTHOR);
  d.comments = text(LIBMSI_PROPERTY_COMMENTS);
  if (libmsi_summary_info_get_property_type(summary.get(), LIBMSI_PROPERTY_CREATED_TM, nullptr) ==
      LIBMSI_PROPERTY_TYPE_FILETIME) {
    d.year = YearOfFileTime(
        libmsi_summary_info_get_filetime(summary.get(), LIBMSI_PROPERTY_CREATED_TM, nullptr));
    if (d.year) d.yearSource = "creation time in the summary information";
  }
  if (d.companyName.empty()) d.companyName = d.author;
  // The package's description; the comments are mostly the same boilerplate for every .msi.
  if (d.fileDescription.empty() && d.subject != d.productName) d.fileDescription = d.subject;
  return d;
}

}  // namespace kitrova::describe
