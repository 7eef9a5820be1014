#include "ui/uMain.h"

// Filled in with the commands of this part.
namespace kitrova::ui {

void TMainForm::NewBaseSpeedButtonClick() {}
void TMainForm::OpenSpeedButtonClick() {}

}  // namespace kitrova::ui
