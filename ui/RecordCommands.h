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

// The record the edit command stores: the texts as RecordFromTexts makes them, except that a
// field whose text reads back as it did right after the dialog was filled (`shown`) keeps
// its stored bytes, whatever the control could not show of them (an empty or non-digit
// year, say). The comment always comes from the memo, whose line breaks are CR LF.
std::optional<core::DistroRecord> EditedRecord(const RecordTexts& texts, const RecordTexts& shown,
                                               const core::DistroRecord& stored);

// The add command once its dialog is confirmed: the record becomes CurrentRecord and the
// new last position, the table is sorted by name and saved, and the grid refilled. A
// failed save throws, with the grid already refilled from the table.
void StoreNewRecord(TMainForm& main, const core::DistroRecord& record);

}  // namespace kitrova::ui
