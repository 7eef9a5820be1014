#include "ui/uAddForm.h"

namespace kitrova::ui {

TAddForm::TAddForm(std::filesystem::path programFolder, platform::Dialogs& dialogs, QWidget* parent)
    : RecordForm(AddFormLook(), std::move(programFolder), dialogs, parent) {}

}  // namespace kitrova::ui
