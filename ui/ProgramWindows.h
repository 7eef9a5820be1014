#pragma once
// Every window of the program after the splash, created once in the entry's order and handed
// to the main window. The entry, the start-up benchmark and the screenshot tool share it, so
// what they measure and show is what the program builds.

#include <QSize>

#include "core/CatalogState.h"
#include "platform/Dialogs.h"
#include "settings/uOptionsForm.h"
#include "ui/uAboutForm.h"
#include "ui/uAddForm.h"
#include "ui/uEditForm.h"
#include "ui/uMain.h"
#include "ui/uNameNewForm.h"
#include "ui/uSearchForm.h"
#include "ui/uSearchTypeForm.h"
#include "ui/uSearchYearForm.h"

namespace kitrova::ui {

struct ProgramWindows {
  ProgramWindows(core::CatalogState& state, platform::Dialogs& dialogs, QSize screen)
      : mainForm(state, dialogs, screen),
        addForm(state.ProgramFolder, dialogs),
        aboutForm(state.ProgramFolder, dialogs),
        searchForm(dialogs),
        optionsForm(state.ProgramFolder, dialogs),
        editForm(state.ProgramFolder, dialogs),
        searchTypeForm(dialogs),
        searchYearForm(dialogs) {
    mainForm.SetDialogs({&addForm, &aboutForm, &searchForm, &optionsForm, &editForm,
                         &nameNewBaseForm, &searchTypeForm, &searchYearForm});
  }
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  TMainForm mainForm;
  TAddForm addForm;
  TAboutForm aboutForm;
  TSearchForm searchForm;
  settings::TOptionsForm optionsForm;
  TEditForm editForm;
  TNameNewBaseForm nameNewBaseForm;
  TSearchTypeForm searchTypeForm;
  TSearchYearForm searchYearForm;
};

}  // namespace kitrova::ui
