#pragma once
// What the main window's commands do to the catalog once the user has answered: the
// windows only ask, these change the table and the files.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/CatalogFile.h"
#include "core/CatalogState.h"
#include "core/DistroRecord.h"

namespace kitrova::core {

// Removes table position `position` (1..count) through the scratch table: the records
// before it and after it go to the scratch table in order, the count drops by one, and
// the survivors are copied back. The order of the others is kept; nothing is sorted.
// A position outside 1..count throws std::out_of_range and changes nothing.
void DeletePosition(CatalogTable& table, std::int32_t position);

// The record becomes CurrentRecord and the new last position, then the table is sorted by
// name. A full table is refused with CatalogError before anything changes.
void StoreNewRecord(CatalogState& state, const DistroRecord& record);
// Many records at once (an import): all become new last positions in their order, then
// the table is sorted by name once. More than the table can hold is refused with
// CatalogError before anything changes.
void StoreNewRecords(CatalogState& state, std::span<const DistroRecord> records);
// The record becomes CurrentRecord and replaces position `position` (1..count), then the
// table is sorted by name. Outside 1..count throws std::out_of_range, nothing changed.
void StoreRecordAt(CatalogState& state, std::int32_t position, const DistroRecord& record);

// A catalog that was loaded from `path` becomes current, sorted by name. Its writer's lock
// is taken first (LockHeldError while another process holds it); on any failure the
// catalog that was current stays current, with its lock.
void OpenCatalog(CatalogState& state, const std::filesystem::path& path);
// The empty file just created at `path` becomes the current catalog with an empty table,
// its writer's lock taken as by OpenCatalog.
void StartEmptyCatalog(CatalogState& state, const std::filesystem::path& path);

// True when the current catalog on disk is no longer the one this run last read or wrote
// (another file under its name, another size or modification time).
bool ChangedOnDisk(const CatalogState& state);
// Reads the current catalog again after ChangedOnDisk and sorts it by name; marks it
// ChangedElsewhere. When it cannot be read, CatalogLoaded is cleared (a catalog that was
// not read is never written) and the error is thrown.
void ReloadChangedCatalog(CatalogState& state);
// The current catalog was just written by this run: its new stamp is the one to compare.
void NoteWritten(CatalogState& state);

// Why a name typed for a new catalog cannot name a file in the program's folder.
enum class CatalogNameFault {
  None,
  FolderName,          // "." or ".."
  ControlCharacter,    // a byte below 0x20, or 0x7F
  ForbiddenCharacter,  // one of \ / : * ? " < > |
  ReservedName,        // CON, PRN, AUX, NUL, COM1..9, LPT1..9, whatever follows the dot
};

// `name` in Windows-1251 bytes. The first control or forbidden character decides between
// those two faults; a reserved name is only reported when nothing else is wrong.
CatalogNameFault CheckNewCatalogName(std::string_view name);
// The reason for the user (UTF-8), "" for None.
std::string_view CatalogNameFaultText(CatalogNameFault fault);
// Windows reserves these names whatever extension follows, and ignores trailing blanks.
bool IsReservedDeviceName(std::string_view name);

// True when `path` is the working copy "_tmp.krv" of the program folder as the file system
// reaches it: letter case ignored, "." and ".." segments and symbolic links resolved.
// The working copy is deleted at exit, so it may never become the current catalog.
bool IsWorkingCopy(const std::filesystem::path& programFolder, const std::filesystem::path& path);

// Moves the working copy into "Backup" under a name no other file there has and no later
// backup copy takes ("kept" + the moment, with "_2", "_3" ... when needed), and returns
// the new path. Used when the catalog could not be put back at exit, so the only copy of
// its earlier content is not replaced at the next start. Throws CatalogError on failure;
// the working copy then stays where it was.
std::filesystem::path KeepWorkingCopyInBackup(const CatalogState& state, const Moment& moment);

}  // namespace kitrova::core
