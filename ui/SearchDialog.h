#pragma once
// The search dialog shared by the three searches; each search's class only gives its look.

#include <QSize>
#include <QString>

#include "platform/Dialogs.h"
#include "platform/ModalDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kitrova::ui {

struct SearchDialogLook {
  QString caption;
  QString labelText;
  QSize clientSize;
  QString emptyPromptText;  // shown when "Искать" is pressed with an empty field
};

class SearchDialog : public platform::ModalDialog {
  Q_OBJECT
 public:
  // Runs FormCreate.
  SearchDialog(const SearchDialogLook& look, platform::Dialogs& dialogs, QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLineEdit* SearchPromptEdit = nullptr;
  QPushButton* SearchButton = nullptr;
  QPushButton* CancelButton = nullptr;

 public slots:
  void FormCreate();
  void FormClick();
  void SearchButtonClick();
  void CancelButtonClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  platform::Dialogs& dialogs_;
  QString emptyPromptText_;
};

}  // namespace kitrova::ui
