#include <QString>

#include "settings/Settings.h"
#include "settings/uOptionsForm.h"
#include "ui/uAboutForm.h"
#include "ui/uMain.h"

namespace kitrova::ui {

namespace {
// Line feed before carriage return, in that order, between the lines.
const QString kHelpText =
    QStringLiteral("Эта версия программы пока не содержит помощи.") + QStringLiteral("\n\r") +
    QStringLiteral("Если у вас есть какие-либо предложения,") + QStringLiteral("\n\r") +
    QStringLiteral("то пишите мне по адресу электронной почты kitrova@example.org");
}  // namespace

void TMainForm::SetSpeedButtonClick() {
  if (forms_.OptionsForm == nullptr) return;
  FlushSelection();
  forms_.OptionsForm->exec();
  // Whatever closed the dialog, the switch is read back from the file.
  settings::LoadBackupFlag(state_, dialogs_, this);
}

void TMainForm::HelpSpeedButtonClick() {
  if (forms_.AboutForm == nullptr) return;
  FlushSelection();
  forms_.AboutForm->exec();
}

void TMainForm::N17Click() {
  if (forms_.AboutForm == nullptr) return;
  forms_.AboutForm->exec();
}

void TMainForm::N16Click() {
  platform::ShowErrorText(dialogs_, this, kHelpText);
}

// The close box's own road, so FormClose asks about saving.
void TMainForm::N8Click() {
  close();
}

}  // namespace kitrova::ui
