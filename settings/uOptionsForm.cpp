#include "settings/uOptionsForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <exception>
#include <optional>
#include <string>

#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "settings/Settings.h"

namespace kitrova::settings {

namespace {

// Outer 369 x 190 with a sizeable frame of 4 and a caption of 19 pixels.
constexpr int kClientWidth = 361;
constexpr int kClientHeight = 163;

}  // namespace

TOptionsForm::TOptionsForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
                           QWidget* parent)
    : platform::ModalDialog(parent), programFolder_(std::move(programFolder)), dialogs_(dialogs) {
  setObjectName(QStringLiteral("OptionsForm"));
  setWindowTitle(QStringLiteral("Настройки программы"));
  setFont(platform::DialogFont());
  resize(kClientWidth, kClientHeight);

  PathLabel = new QLabel(QStringLiteral("Путь к папке с дистрибутивами"), this);
  PathLabel->setObjectName(QStringLiteral("PathLabel"));
  platform::PlaceLabel(PathLabel, 8, 8, 161, 13);

  DistroPathEdit = new QLineEdit(this);
  DistroPathEdit->setObjectName(QStringLiteral("DistroPathEdit"));
  DistroPathEdit->setGeometry(8, 32, 345, 21);

  SelectButton1 = new QPushButton(QStringLiteral("Выбрать"), this);
  SelectButton1->setObjectName(QStringLiteral("SelectButton1"));
  SelectButton1->setGeometry(280, 64, 75, 25);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(200, 128, 75, 25);

  CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setGeometry(280, 128, 75, 25);

  Label1 = new QLabel(QStringLiteral("Резервная копия базы"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  platform::PlaceLabel(Label1, 8, 80, 117, 13);

  BackUpCheckBox = new QCheckBox(QStringLiteral("Делать резервную копию базы"), this);
  BackUpCheckBox->setObjectName(QStringLiteral("BackUpCheckBox"));
  BackUpCheckBox->setGeometry(8, 96, qMax(201, BackUpCheckBox->sizeHint().width()), 17);

  clearDefaultButtons();
  setTabOrder(DistroPathEdit, SelectButton1);
  setTabOrder(SelectButton1, OKButton);
  setTabOrder(OKButton, CancelButton);
  setTabOrder(CancelButton, BackUpCheckBox);

  connect(SelectButton1, &QPushButton::clicked, this, &TOptionsForm::SelectButton1Click);
  connect(OKButton, &QPushButton::clicked, this, &TOptionsForm::OKButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &TOptionsForm::CancelButtonClick);

  FormCreate();
}

void TOptionsForm::FormCreate() {
  try {
    chosenFolder_ = ReadInstallerFolder(programFolder_);
    DistroPathEdit->setText(chosenFolder_);
    BackUpCheckBox->setChecked(ReadBackupFlag(programFolder_));
  } catch (const std::exception&) {
    dialogs_.message(this, platform::MessageKind::Error, kConfigErrorText,
                     platform::MessageButtons::Yes);
  }
}

void TOptionsForm::SelectButton1Click() {
  chosenFolder_ = ChooseFolder(dialogs_, this, kChooseFolderTitle, kBifReturnOnlyFsDirs);
  const QString unencodable = platform::FirstUnencodable(chosenFolder_);
  if (!unencodable.isEmpty()) {
    // Refused here, as a cancelled browse, rather than failing later at OK.
    chosenFolder_.clear();
    dialogs_.message(this, platform::MessageKind::Error, UnencodableFolderText(unencodable),
                     platform::MessageButtons::Yes);
  }
  if (!chosenFolder_.isEmpty()) DistroPathEdit->setText(chosenFolder_);
}

void TOptionsForm::OKButtonClick() {
  if (chosenFolder_.isEmpty()) {
    reject();
    return;
  }
  // Text typed into the box is replaced: only a chosen folder is ever stored.
  DistroPathEdit->setText(chosenFolder_);
  try {
    const std::optional<std::string> folder = platform::ToCp1251(DistroPathEdit->text());
    if (!folder) throw platform::IniWriteError("the folder cannot be held in Windows-1251");
    WriteDistroFolder(programFolder_, *folder);
    WriteBackupFlag(programFolder_, BackUpCheckBox->isChecked());
  } catch (const std::exception&) {
    dialogs_.message(this, platform::MessageKind::Error, kConfigErrorText,
                     platform::MessageButtons::Yes);
  }
  reject();
}

void TOptionsForm::CancelButtonClick() {
  chosenFolder_.clear();
  reject();
}

}  // namespace kitrova::settings
