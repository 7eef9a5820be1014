#include "ui/uMain.h"

// Filled in with the commands of this part.
namespace kitrova::ui {

void TMainForm::AddSpeedButtonClick() {}
void TMainForm::EditSpeedButtonClick() {}
void TMainForm::DelSpeedButtonClick() {}

}  // namespace kitrova::ui
