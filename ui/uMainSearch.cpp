#include "ui/uMain.h"

// Filled in with the commands of this part.
namespace kitrova::ui {

void TMainForm::SearchSpeedButtonClick() {}
void TMainForm::N14Click() {}
void TMainForm::N15Click() {}
void TMainForm::SelectGridRows(int, int) {}

}  // namespace kitrova::ui
