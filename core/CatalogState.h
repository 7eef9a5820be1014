#pragma once
// The process-wide state of the program in one object. The entry creates it and hands it
// to the windows; tests make their own.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/CatalogTable.h"
#include "core/DistroRecord.h"
#include "core/FileLock.h"

namespace kitrova::core {

inline constexpr int kSearchSlots = 100;

// Positions found by the last search. Slots are numbered 1..100.
struct SearchResultList {
  std::array<std::int32_t, kSearchSlots> rows{};
  std::int32_t count = 0;
  bool found = false;

  // Slot k (1..100); out of range throws std::out_of_range.
  std::int32_t slot(int k) const;
  std::int32_t first() const { return slot(1); }
  std::int32_t last() const { return slot(count); }
};

struct CatalogState {
  explicit CatalogState(std::filesystem::path programFolder)
      : ProgramFolder(std::move(programFolder)) {}
  CatalogState(const CatalogState&) = delete;
  CatalogState& operator=(const CatalogState&) = delete;

  // The folder of the executable; settings, Pic, Backup and the working copy live here.
  const std::filesystem::path ProgramFolder;

  CatalogTable DistroTable;
  DistroRecord CurrentRecord{};
  std::filesystem::path CurrentBasePath;
  bool BackupEnabled = false;
  std::string SearchPrompt;  // Windows-1251 bytes
  SearchResultList SearchResults;

  // The current catalog was read or created in this run. A catalog that could not be
  // read must never be overwritten from an empty table, so record commands check this.
  bool CatalogLoaded = false;
  // The catalog the working copy was taken from in this run (empty: none taken yet).
  // Restoring is only allowed when it is the current catalog.
  std::filesystem::path WorkingCopyOf;

  // The writer's lock of the current catalog, held while it is open in the window.
  FileLock WriterLock;
  // The catalog file as this run last read or wrote it; none: nothing to compare with.
  std::optional<DiskStamp> OnDisk;
  // Another program wrote the current catalog since its working copy was taken.
  bool ChangedElsewhere = false;
};

}  // namespace kitrova::core
