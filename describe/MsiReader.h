#pragma once
// An .msi database read through our compound-file reader: the Property table (through the
// string pool) and the summary information stream. Nothing else of the database is read.

#include "describe/ByteSource.h"
#include "describe/Description.h"

namespace kitrova::describe {

// Fills the description of a Windows Installer database; throws DescribeError.
Description ReadMsi(ByteSource& source);

// Text in a Windows code page (1251, 1252, 65001; 0 is the database's neutral 1252) as UTF-8;
// throws DescribeError for a code page we do not know.
std::string CodePageToUtf8(std::string_view bytes, int codePage);

}  // namespace kitrova::describe
