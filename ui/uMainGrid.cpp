#include "ui/uMain.h"

// Filled in with the commands of this part.
namespace kitrova::ui {

void TMainForm::BaseStringGridMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {}
void TMainForm::BaseStringGridDblClick() {}
void TMainForm::RunSpeedButtonClick() {}

}  // namespace kitrova::ui
