#pragma once

#include "ui/SearchDialog.h"

namespace kitrova::ui {

class TSearchYearForm : public SearchDialog {
  Q_OBJECT
 public:
  explicit TSearchYearForm(platform::Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kitrova::ui
