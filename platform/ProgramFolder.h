#pragma once
// Which folder the program keeps its own files in (settings.ini, Pic, Backup, the working
// copy). A portable copy keeps them beside its executable; an installed one, whose folder
// the user cannot write, keeps them in a per-user folder seeded from the installed files.

#include <filesystem>
#include <vector>

namespace kitrova::platform {

// True when a file can be created in `folder` (tried, then removed), false otherwise.
bool CanWriteInFolder(const std::filesystem::path& folder);

// Copies what `folder` lacks of the program's own files (every picture in Pic/ and the seed
// catalog Backup/base.krv) from the first of `sources` that holds them. A picture already
// there is replaced when the source's is newer (an upgrade); the seed catalog is kept.
// Failures are left for start-up to report when the file is needed.
void SeedProgramFolder(const std::filesystem::path& folder,
                       const std::vector<std::filesystem::path>& sources);

// True when `folder` holds the program's pictures, as the portable archive and the build
// tree do (an installed executable's folder, such as /usr/bin, does not).
bool HoldsProgramFiles(const std::filesystem::path& folder);

// `executableFolder` when it holds the program's files and can be written, whoever runs the
// program; otherwise `userFolder`, created and seeded from `sources`. If even that folder
// cannot be created, the executable's folder.
std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& userFolder,
                                          const std::vector<std::filesystem::path>& sources);

}  // namespace kitrova::platform
