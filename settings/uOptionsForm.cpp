#include "settings/uOptionsForm.h"

#include <QCheckBox>
#include <QFont>
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

// Labels keep their designed place and only grow when the platform's font is wider.
void PlaceLabel(QLabel* label, int left, int top, int width, int height) {
  const QSize hint = label->sizeHint();
  label->setGeometry(left, top, qMax(width, hint.width()), qMax(height, hint.height()));
}

}  // namespace

TOptionsForm::TOptionsForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
                           QWidget* parent)
    : platform::ModalDialog(parent), programFolder_(std::move(programFolder)), dialogs_(dialogs) {
  setObjectName(QStringLiteral("OptionsForm"));
  setWindowTitle(QStringLiteral("Настройки программы"));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);  // 8 point at 96 dots per inch
  setFont(font);
  resize(kClientWidth, kClientHeight);

  PathLabel = new QLabel(QStringLiteral("Путь к папке с дистрибутивами"), this);
  PathLabel->setObjectName(QStringLiteral("PathLabel"));
  PlaceLabel(PathLabel, 8, 8, 161, 13);

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
  PlaceLabel(Label1, 8, 80, 117, 13);

  BackUpCheckBox = new QCheckBox(QStringLiteral("Делать резервную копию базы"), this);
  BackUpCheckBox->setObjectName(QStringLiteral("BackUpCheckBox"));
  BackUpCheckBox->setGeometry(8, 96, qMax(201, BackUpCheckBox->sizeHint().width()), 17);

  for (QPushButton* button : {SelectButton1, OKButton, CancelButton}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
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
    BackUpCheckBox->setChecked(ReadSetting(programFolder_, kBackupSection, kDoKey) == "yes");
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
    WriteSetting(programFolder_, kDirSection, kPathKey, *folder);
    WriteSetting(programFolder_, kBackupSection, kDoKey,
                 BackUpCheckBox->isChecked() ? "yes" : "no");
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
