#include "ui/uSearchForm.h"

namespace kitrova::ui {

namespace {
SearchDialogLook NameLook() {
  return {QStringLiteral("Поиск дистрибутива по имени"), QStringLiteral("Имя дистрибутива"),
          QSize(355, 105), QStringLiteral("Введите имя дистрибутива для поиска!")};
}
}  // namespace

TSearchForm::TSearchForm(platform::Dialogs& dialogs, QWidget* parent)
    : SearchDialog(NameLook(), dialogs, parent) {
  setObjectName(QStringLiteral("SearchForm"));
}

}  // namespace kitrova::ui
