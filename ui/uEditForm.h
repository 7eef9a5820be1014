#pragma once

#include "ui/RecordForm.h"

namespace kitrova::ui {

class TEditForm : public RecordForm {
  Q_OBJECT
 public:
  TEditForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
            QWidget* parent = nullptr);
};

}  // namespace kitrova::ui
