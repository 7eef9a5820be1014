#include "cli/ScanDescribe.h"

#include "cli/Describe.h"
#include "cli/Session.h"
#include "describe/Description.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

DescribedRecord DescribeRecord(const std::filesystem::path& file, const core::DistroRecord& plain) {
  const std::string shown = Utf8Path(file);
  describe::Description description;
  try {
    description = describe::DescribeFile(file);
  } catch (const describe::DescribeError& error) {
    return {plain,
            "not described (" + std::string(error.what()) + "), named after the file: " + shown};
  }
  const DescribedTexts texts = RecordTextsOf(description);
  core::DistroRecord record = plain;
  const struct {
    const char* what;
    const std::string& text;
    core::DistroField& field;
  } fields[] = {{"name", texts.name, record.Name}, {"comment", texts.comment, record.Comment}};
  for (const auto& f : fields) {
    if (f.text.empty()) continue;
    std::size_t bad = 0;
    const auto bytes = platform::Utf8ToCp1251(f.text, &bad);
    if (!bytes) {
      return {std::nullopt, "skipped (Windows-1251 cannot hold the " + std::string(f.what) + " \"" +
                                f.text + "\" the installer gives): " + shown};
    }
    f.field.assign(std::string_view(*bytes).substr(0, core::kFieldTextSize));
  }
  if (texts.year) record.Year.assign(std::to_string(*texts.year));
  return {record, {}};
}

}  // namespace kitrova::cli
