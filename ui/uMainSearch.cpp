// The three searches: re-sort by the searched field, ask for the text, select the block of
// rows from the first to the last match.

#include <QLineEdit>

#include <exception>
#include <optional>
#include <string>

#include "core/Search.h"
#include "core/Sort.h"
#include "platform/Cp1251.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"
#include "ui/uSearchForm.h"
#include "ui/uSearchTypeForm.h"
#include "ui/uSearchYearForm.h"

namespace kitrova::ui {

namespace {

const QString kNothingFoundText = QStringLiteral("Ничего не найдено!");

struct SearchCommand {
  void (*sort)(core::CatalogTable&);
  void (*search)(core::CatalogState&);
  // By year and by type go back to name order when the user cancels.
  bool sortByNameOnCancel;
};

void RunSearch(TMainForm& form, SearchDialog* dialog, const SearchCommand& command) {
  if (dialog == nullptr) return;
  core::CatalogState& state = form.State();
  try {
    form.FlushSelection();
    command.sort(state.DistroTable);
    form.FillGrid();

    dialog->SearchPromptEdit->clear();
    dialog->exec();

    const QString text = dialog->SearchPromptEdit->text();
    if (text.isEmpty()) {
      if (command.sortByNameOnCancel) {
        core::SortByName(state.DistroTable);
        form.FillGrid();
      }
      return;
    }

    // The catalog holds only Windows-1251 text, so a character outside it can match
    // nothing; searching a replaced text would find the wrong records.
    const std::optional<std::string> prompt = platform::ToCp1251(text);
    if (!prompt) {
      platform::ShowErrorText(
          form.Dialogs(), &form,
          QStringLiteral("Ничего не найдено: символа \"%1\" не может быть в базе "
                         "(она хранит текст в кодировке Windows-1251).")
              .arg(platform::FirstUnencodable(text)));
      return;
    }

    state.SearchPrompt = *prompt;
    command.search(state);
    const core::SearchResultList& results = state.SearchResults;
    if (results.found) {
      form.SelectGridRows(results.first(), results.last());
    } else {
      platform::ShowErrorText(form.Dialogs(), &form, kNothingFoundText);
    }
  } catch (const std::exception& error) {
    form.ReportError(error);
  }
}

}  // namespace

void TMainForm::SearchSpeedButtonClick() {
  RunSearch(*this, forms_.SearchForm, {&core::SortByName, &core::SearchByName, false});
}

void TMainForm::N14Click() {
  RunSearch(*this, forms_.SearchYearForm, {&core::SortByYear, &core::SearchByYear, true});
}

void TMainForm::N15Click() {
  RunSearch(*this, forms_.SearchTypeForm, {&core::SortByType, &core::SearchByType, true});
}

void TMainForm::SelectGridRows(int first, int last) {
  BaseStringGrid->setFocus(Qt::OtherFocusReason);
  BaseStringGrid->SelectRows(first, last);
}

}  // namespace kitrova::ui
