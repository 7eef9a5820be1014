#pragma once
// Steps of the record commands that the benchmarks run without a dialog.

#include <optional>

#include "core/DistroRecord.h"
#include "ui/RecordForm.h"

namespace kitrova::ui {

class TMainForm;

// The six texts as Windows-1251 fields, each cut to its first 255 bytes; nullopt when a
// text holds a character Windows-1251 cannot.
std::optional<core::DistroRecord> RecordFromTexts(const RecordTexts& texts);

// The add command once its dialog is confirmed: the record becomes CurrentRecord and the
// new last position, the table is sorted by name and saved, and the grid refilled. A
// failed save throws, with the grid already refilled from the table.
void StoreNewRecord(TMainForm& main, const core::DistroRecord& record);

}  // namespace kitrova::ui
