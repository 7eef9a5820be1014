#pragma once
// What the commands share for reading input and printing records: the field names, CSV and
// table output, and text conversion that reports what it could not convert.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/CatalogTable.h"
#include "core/DistroRecord.h"

namespace kitrova::cli {

inline constexpr std::array<const char*, core::kFieldCount> kFieldNames = {
    "Name", "Type", "License", "Year", "Comment", "Path"};
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

const std::map<std::string, core::RecordField>& SortFields();

// Letter case as file names and column names ignore it; other bytes stay as they are.
std::string AsciiLower(std::string text);

std::string Utf8Field(const core::DistroRecord& record, int field);

// The whole input named on the command line ("-": standard input), at most `limit` bytes;
// anything longer is refused before it fills the memory. `what` names what it should be
// ("a catalog", "a CSV file") in the messages, which give the system's reason.
std::string ReadInput(const std::string& name, std::size_t limit, const std::string& what);

// Writes `bytes` to the file named on the command line through the crash-safe replace (an
// existing file is whole until the new one is), or to `out` for "-".
void WriteOutput(const std::string& name, const std::string& bytes, std::ostream& out);

// A short piece of input for a message: never the whole of a runaway line.
std::string Excerpt(std::string_view text);

// Header row and one row per record, all six fields, in `order` (positions) when given.
std::string CsvOf(const core::CatalogTable& table, char delimiter, bool utf8,
                  const std::vector<std::int32_t>* order = nullptr);
// With `positions`, those records only, each after its position in a first column "Position".
std::string CsvOf(const core::CatalogTable& table, const std::vector<std::int32_t>& positions);

// The same bytes as CsvOf and JsonOf, passed to `out` a block at a time.
void PrintCsv(std::ostream& out, const core::CatalogTable& table, char delimiter, bool utf8,
              const std::vector<std::int32_t>* order = nullptr);
void PrintCsv(std::ostream& out, const core::CatalogTable& table,
              const std::vector<std::int32_t>& positions);
void PrintJson(std::ostream& out, const core::CatalogTable& table,
               const std::vector<std::int32_t>& positions, bool numberRows = false);

// The records at `positions` as the versioned JSON document that import reads back. With
// `numberRows` the position shown is the row's number 1, 2, ... (the positions are a sort's
// order, and that is the position the sort gives).
std::string JsonOf(const core::CatalogTable& table, const std::vector<std::int32_t>& positions,
                   bool numberRows = false);
inline constexpr int kJsonVersion = 1;
inline constexpr char kRecordsSchema[] = "kitrova-cli-records";

// Columns cut with an ellipsis to `width` characters; 0: nothing is cut. The first column
// shows each record's position, or with `numberRows` the row's number 1, 2, ...
void PrintTable(std::ostream& out, const core::CatalogTable& table,
                const std::vector<std::int32_t>& positions, std::size_t width,
                bool numberRows = false);

// Narrows the widest column from `first` on (never below `floor`) until the columns, two
// spaces apart, fit `width` (the terminal's; 0: no limit).
void FitToTerminal(std::vector<std::size_t>& widths, std::size_t width, std::size_t first,
                   std::size_t floor);

std::vector<std::int32_t> AllPositions(const core::CatalogTable& table);

std::string ToCp1251OrFail(const std::string& utf8, const std::string& what);

}  // namespace kitrova::cli
