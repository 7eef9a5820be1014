#pragma once
// The main window: tool bar, catalog grid, status bar, menus, and every command.
// Handlers live in several files: uMain.cpp (start-up, grid refill, hints, resize, close),
// uMainGrid.cpp (mouse on the grid, running an installer), uMainRecords.cpp (add, edit,
// delete), uMainSearch.cpp (the three searches), uMainFiles.cpp (new and open catalog),
// uMainHelp.cpp (settings, About, help, exit).

#include <QMainWindow>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <exception>

#include "core/CatalogState.h"
#include "platform/Dialogs.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace kitrova::settings {
class TOptionsForm;
}

namespace kitrova::ui {

class TStringGrid;
class DistroGridModel;
class TAddForm;
class TEditForm;
class TAboutForm;
class TSearchForm;
class TSearchTypeForm;
class TSearchYearForm;
class TNameNewBaseForm;

// The dialogs, created after the main window; a missing one makes its command do nothing.
struct MainFormDialogs {
  TAddForm* AddForm = nullptr;
  TAboutForm* AboutForm = nullptr;
  TSearchForm* SearchForm = nullptr;
  settings::TOptionsForm* OptionsForm = nullptr;
  TEditForm* EditForm = nullptr;
  TNameNewBaseForm* NameNewBaseForm = nullptr;
  TSearchTypeForm* SearchTypeForm = nullptr;
  TSearchYearForm* SearchYearForm = nullptr;
};

inline constexpr int kDesignedWidth = 813;
inline constexpr int kDesignedHeight = 549;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  // Builds the window and runs FormCreate. `screenSize` is the screen it scales itself for.
  TMainForm(core::CatalogState& state, platform::Dialogs& dialogs, QSize screenSize,
            QWidget* parent = nullptr);
  ~TMainForm() override;

  void SetDialogs(const MainFormDialogs& forms) { forms_ = forms; }
  const MainFormDialogs& Forms() const { return forms_; }
  core::CatalogState& State() { return state_; }
  platform::Dialogs& Dialogs() { return dialogs_; }

  // Controls, by the names the rest of the program and the tests use.
  QToolBar* ButtonsToolBar = nullptr;
  QToolButton* NewBaseSpeedButton = nullptr;
  QToolButton* OpenSpeedButton = nullptr;
  QToolButton* AddSpeedButton = nullptr;
  QToolButton* EditSpeedButton = nullptr;
  QToolButton* DelSpeedButton = nullptr;
  QToolButton* RunSpeedButton = nullptr;
  QToolButton* SearchSpeedButton = nullptr;
  QToolButton* SetSpeedButton = nullptr;
  QToolButton* HelpSpeedButton = nullptr;
  TStringGrid* BaseStringGrid = nullptr;
  DistroGridModel* GridModel = nullptr;
  QStatusBar* LocalStatusBar = nullptr;
  QLabel* StatusPanel0 = nullptr;  // 250 px: the last hint
  QLabel* StatusPanel1 = nullptr;  // 50 px: stays empty
  QMenuBar* MainMenu1 = nullptr;
  QMenu* N1 = nullptr;    // "Файл"
  QMenu* N2 = nullptr;    // "Запись"
  QAction* N3 = nullptr;  // "Настройки", a command itself
  QMenu* N4 = nullptr;    // "Помощь"
  QAction *N5 = nullptr, *N6 = nullptr, *N7 = nullptr, *N8 = nullptr;
  QAction *N9 = nullptr, *N10 = nullptr, *N11 = nullptr, *N12 = nullptr, *N13 = nullptr;
  QAction *N14 = nullptr, *N15 = nullptr, *N16 = nullptr, *N17 = nullptr;
  QMenu* ActionPopupMenu = nullptr;
  QAction *N18 = nullptr, *N19 = nullptr, *N20 = nullptr;
  platform::FileDialogOptions OpenDialog1;

  static QStringList StartupHeaderTexts();  // "... Год сборки ..."
  static QStringList OpenHeaderTexts();     // "... Год выпуска ..."
  // Window size for a screen: unchanged at width 1024, else scaled with integer division.
  static QSize ScaledWindowSize(QSize screen, QSize designed);
  // The hint of each tool-bar button, also its tool tip and its status-bar text.
  static QString HintOf(const QToolButton* button);
  // The picture files of the tool bar in the order start-up loads them, e.g. "new.bmp".
  static QStringList PictureLoadOrder();

  // The grid's current row; 0 means no record is selected.
  int CurrentRow() const;
  void FillGrid();
  void FlushSelection();
  void SelectGridRows(int first, int last);
  // Shows a failed step's or command's error in the standard error box.
  void ReportError(const std::exception& error);
  // TakeWorkingCopy for the catalog just made current. A failure is reported, adding that
  // this catalog's changes cannot be undone at exit; it ends nothing else.
  void TakeWorkingCopyOrWarn();
  // When another program changed the current catalog on disk: reads it again, shows it and
  // says so. With `keep`, the command works on that record: it is selected again where the
  // catalog read still has it, else the box adds that the command was not carried out. A
  // catalog that cannot be read again is not written any more: the error is thrown for the
  // command's handler.
  enum class DiskCheck { Unchanged, Reloaded, RecordGone };
  DiskCheck ReloadIfChangedOnDisk(const core::DistroRecord* keep = nullptr);
  // Where the pop-up menu opened last (for tests; popup() returns at once, the menu is not
  // modal).
  QPoint LastPopupPosition() const { return lastPopupPosition_; }

 public slots:
  void FormCreate();
  void FormResize();
  void FormClose();
  // The window became active: what it shows is checked against the file on disk.
  void FormActivate();

  void NewBaseSpeedButtonMouseMove();
  void OpenSpeedButtonMouseMove();
  void AddSpeedButtonMouseMove();
  void EditSpeedButtonMouseMove();
  void DelSpeedButtonMouseMove();
  void RunSpeedButtonMouseMove();
  void SearchSpeedButtonMouseMove();
  void SetSpeedButtonMouseMove();
  void HelpSpeedButtonMouseMove();

  void AddSpeedButtonClick();
  void EditSpeedButtonClick();
  void DelSpeedButtonClick();

  void BaseStringGridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                               QPoint point);
  void BaseStringGridDblClick();
  void RunSpeedButtonClick();

  void SearchSpeedButtonClick();
  void N14Click();
  void N15Click();

  void NewBaseSpeedButtonClick();
  void OpenSpeedButtonClick();

  void SetSpeedButtonClick();
  void HelpSpeedButtonClick();
  void N17Click();
  void N16Click();
  void N8Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildToolBar();
  void BuildGrid();
  void BuildStatusBar();
  void BuildMenus();
  void Wire();
  // Sizes and fonts of the controls at multiplier/divisor of their designed values.
  void ApplyMetrics(int multiplier, int divisor);
  // Step 1 of FormCreate; false (after the error box) when a picture cannot be loaded.
  bool LoadPictures();
  void RunSelected();
  // Gives the window its outer size and centres it once the frame around it is known.
  void FitOuterSize();
  // Puts the frame where the fit meant it when the window manager has not done so yet.
  void SettlePlacement();

  core::CatalogState& state_;
  platform::Dialogs& dialogs_;
  QSize screenSize_;
  MainFormDialogs forms_;
  QPoint lastPopupPosition_;
  // The outer size the window is given when it is first shown.
  QSize outerSize_{kDesignedWidth, kDesignedHeight};
  bool placed_ = false;
  // A window manager reports the frame only after the window is shown.
  bool frameCounted_ = false;
  // Where the frame was meant to go, where the window manager first put it, and how many
  // more times to check it got there.
  QRect frameTarget_;
  QRect firstFrame_;
  // The frame the last request was reckoned with.
  QMargins askedMargins_;
  // The last frame the window manager reported whole; none until it framed the window.
  QMargins knownFrame_;
  int settleChecks_ = 0;
  // A check on activation is under way (its box activates the window again).
  bool checkingDisk_ = false;
};

}  // namespace kitrova::ui
