#pragma once
// .zip and .rar archives through libarchive: entry names and sizes from the headers, and the
// installer inside read into memory (bounded), never onto disk.

#include <filesystem>
#include <string_view>

#include "describe/Description.h"

namespace kitrova::describe {

Description ReadArchive(const std::filesystem::path& path);
Description ReadArchive(std::string_view bytes);

// The entry a person would run: a setup or install program nearest the top, else the first
// executable or .msi nearest the top; empty when there is none.
std::string ChooseInstaller(const std::vector<ArchiveEntry>& entries);

}  // namespace kitrova::describe
