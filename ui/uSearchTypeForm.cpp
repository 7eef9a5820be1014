#include "ui/uSearchTypeForm.h"

namespace kitrova::ui {

namespace {
SearchDialogLook TypeLook() {
  return {QStringLiteral("Поиск дистрибутива по типу"), QStringLiteral("Тип дистрибутива"),
          QSize(355, 106), QStringLiteral("Введите тип дистрибутива для поиска!")};
}
}  // namespace

TSearchTypeForm::TSearchTypeForm(platform::Dialogs& dialogs, QWidget* parent)
    : SearchDialog(TypeLook(), dialogs, parent) {
  setObjectName(QStringLiteral("SearchTypeForm"));
}

}  // namespace kitrova::ui
