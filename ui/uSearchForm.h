#pragma once

#include "ui/SearchDialog.h"

namespace kitrova::ui {

class TSearchForm : public SearchDialog {
  Q_OBJECT
 public:
  explicit TSearchForm(platform::Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kitrova::ui
