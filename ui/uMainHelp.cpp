#include "ui/uMain.h"

// Filled in with the commands of this part.
namespace kitrova::ui {

void TMainForm::SetSpeedButtonClick() {}
void TMainForm::HelpSpeedButtonClick() {}
void TMainForm::N17Click() {}
void TMainForm::N16Click() {}
void TMainForm::N8Click() {}

}  // namespace kitrova::ui
