#pragma once
// What the commands share for reading input and printing records: the field names, CSV and
// table output, and text conversion that reports what it could not convert.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
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

std::string ReadTextFile(const std::filesystem::path& path);
void WriteTextFile(const std::filesystem::path& path, const std::string& text);

// Header row and one row per record, all six fields; in `order` (positions) when given.
std::string CsvOf(const core::CatalogTable& table, char delimiter, bool utf8,
                  const std::vector<std::int32_t>* order = nullptr);

// Terminal columns, cut with an ellipsis. The first column shows each record's position, or
// with `numberRows` the row's number 1, 2, ... (the position after a sort into that order).
void PrintTable(std::ostream& out, const core::CatalogTable& table,
                const std::vector<std::int32_t>& positions, bool numberRows = false);

std::vector<std::int32_t> AllPositions(const core::CatalogTable& table);

std::string ToCp1251OrFail(const std::string& utf8, const std::string& what);

}  // namespace kitrova::cli
