#include "ui/uEditForm.h"

namespace kitrova::ui {

TEditForm::TEditForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
                     QWidget* parent)
    : RecordForm(EditFormLook(), std::move(programFolder), dialogs, parent) {}

}  // namespace kitrova::ui
