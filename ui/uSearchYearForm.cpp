#include "ui/uSearchYearForm.h"

namespace kitrova::ui {

namespace {
SearchDialogLook YearLook() {
  return {QStringLiteral("Поиск дистрибутива по году сборки"),
          QStringLiteral("Год сборки дистрибутива"), QSize(357, 105),
          QStringLiteral("Введите год сборки дистрибутива для поиска!")};
}
}  // namespace

TSearchYearForm::TSearchYearForm(platform::Dialogs& dialogs, QWidget* parent)
    : SearchDialog(YearLook(), dialogs, parent) {
  setObjectName(QStringLiteral("SearchYearForm"));
}

}  // namespace kitrova::ui
