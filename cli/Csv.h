#pragma once
// CSV as RFC 4180 describes it: fields separated by a delimiter, rows ended by CR LF (a bare
// LF or CR is accepted on reading), a field in double quotes may hold the delimiter, line
// breaks and doubled quotes.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kitrova::cli {

struct CsvRow {
  std::vector<std::string> fields;
  std::size_t line = 0;  // 1-based line on which the row starts
};

class CsvSyntaxError : public std::runtime_error {
 public:
  CsvSyntaxError(const std::string& message, std::size_t line)
      : std::runtime_error(message), line_(line) {}
  std::size_t line() const noexcept { return line_; }

 private:
  std::size_t line_;
};

// The most bytes a row may take in the text: the first (the header) and every other.
struct CsvLimits {
  std::size_t firstRow = static_cast<std::size_t>(-1);
  std::size_t otherRows = static_cast<std::size_t>(-1);
};

// All rows of `text`. Empty lines are skipped; a line break at the end ends the last row and
// does not start another. Throws CsvSyntaxError for a quote that is never closed or a
// character other than the delimiter or a line break after a closing quote, or a quote
// inside an unquoted field, and for a row longer than `limits` allow.
std::vector<CsvRow> ParseCsv(std::string_view text, char delimiter, const CsvLimits& limits = {});

// Appends one row ended by CR LF; a field is quoted only when it has to be (a row of one
// empty field is written as "", since a bare line end is no row).
void AppendCsvRow(std::string& out, const std::vector<std::string_view>& fields, char delimiter);

}  // namespace kitrova::cli
