#pragma once

#include "ui/RecordForm.h"

namespace kitrova::ui {

class TAddForm : public RecordForm {
  Q_OBJECT
 public:
  // Runs FormCreate.
  TAddForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
           QWidget* parent = nullptr);
};

}  // namespace kitrova::ui
