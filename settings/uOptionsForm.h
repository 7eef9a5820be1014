#pragma once
// The settings dialog: the installer folder and the backup switch.

#include <QString>

#include <filesystem>

#include "platform/Dialogs.h"
#include "platform/ModalDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QCheckBox;

namespace kitrova::settings {

class TOptionsForm : public platform::ModalDialog {
  Q_OBJECT
 public:
  // Runs FormCreate: loads the controls from settings.ini once.
  TOptionsForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
               QWidget* parent = nullptr);

  QLabel* PathLabel = nullptr;
  QLineEdit* DistroPathEdit = nullptr;
  QPushButton* SelectButton1 = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;
  QLabel* Label1 = nullptr;
  QCheckBox* BackUpCheckBox = nullptr;

  // The folder OK will store; kept for the whole run, the edit box only displays it.
  const QString& ChosenFolder() const { return chosenFolder_; }

 public slots:
  void FormCreate();
  void SelectButton1Click();
  void OKButtonClick();
  void CancelButtonClick();

 private:
  std::filesystem::path programFolder_;
  platform::Dialogs& dialogs_;
  QString chosenFolder_;
};

}  // namespace kitrova::settings
