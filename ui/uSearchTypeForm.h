#pragma once

#include "ui/SearchDialog.h"

namespace kitrova::ui {

class TSearchTypeForm : public SearchDialog {
  Q_OBJECT
 public:
  explicit TSearchTypeForm(platform::Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kitrova::ui
