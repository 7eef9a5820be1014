#include "cli/Csv.h"

#include <string>

namespace kitrova::cli {

std::vector<CsvRow> ParseCsv(std::string_view text, char delimiter, const CsvLimits& limits) {
  std::vector<CsvRow> rows;
  std::size_t line = 1;
  std::size_t pos = 0;
  const std::size_t n = text.size();

  // A line break at `pos` (CR LF, LF or CR): its length, or 0.
  auto breakAt = [&](std::size_t p) -> std::size_t {
    if (p >= n) return 0;
    if (text[p] == '\r') return p + 1 < n && text[p + 1] == '\n' ? 2 : 1;
    return text[p] == '\n' ? 1 : 0;
  };

  while (pos < n) {
    if (const std::size_t lb = breakAt(pos)) {  // an empty line
      pos += lb;
      ++line;
      continue;
    }
    CsvRow row;
    row.line = line;
    const std::size_t start = pos;
    const std::size_t most = rows.empty() ? limits.firstRow : limits.otherRows;
    for (;;) {
      std::string field;
      if (pos < n && text[pos] == '"') {
        const std::size_t openedOn = line;
        ++pos;
        for (;;) {
          if (pos >= n) throw CsvSyntaxError("a quoted field is never closed", openedOn);
          const char c = text[pos];
          if (c == '"') {
            if (pos + 1 < n && text[pos + 1] == '"') {
              field.push_back('"');
              pos += 2;
              continue;
            }
            ++pos;
            break;
          }
          if (const std::size_t lb = breakAt(pos)) {
            field.append(text.substr(pos, lb));
            pos += lb;
            ++line;
            continue;
          }
          field.push_back(c);
          ++pos;
        }
        if (pos < n && text[pos] != delimiter && breakAt(pos) == 0) {
          throw CsvSyntaxError("unexpected character after a closing quote", line);
        }
      } else {
        while (pos < n && text[pos] != delimiter && breakAt(pos) == 0) {
          if (text[pos] == '"') throw CsvSyntaxError("a quote inside an unquoted field", line);
          field.push_back(text[pos++]);
        }
      }
      row.fields.push_back(std::move(field));
      if (pos - start > most) {
        throw CsvSyntaxError(
            "a row of more than " + std::to_string(most) + " bytes, longer than any record",
            row.line);
      }
      if (pos < n && text[pos] == delimiter) {
        ++pos;
        continue;
      }
      if (const std::size_t lb = breakAt(pos)) {
        pos += lb;
        ++line;
      }
      break;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void AppendCsvRow(std::string& out, const std::vector<std::string_view>& fields, char delimiter) {
  if (fields.size() == 1 && fields.front().empty()) {
    out.append("\"\"\r\n");
    return;
  }
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) out.push_back(delimiter);
    first = false;
    if (field.find_first_of(std::string{delimiter, '"', '\r', '\n'}) == std::string_view::npos) {
      out.append(field);
      continue;
    }
    out.push_back('"');
    for (char c : field) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  out.append("\r\n");
}

}  // namespace kitrova::cli
