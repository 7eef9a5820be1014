#pragma once
// An .msi database through libmsi: the Property table and the summary information.

#include <filesystem>

#include "describe/Description.h"

namespace kitrova::describe {

// Fills the description of a Windows Installer database; throws DescribeError.
Description ReadMsi(const std::filesystem::path& path);

}  // namespace kitrova::describe
