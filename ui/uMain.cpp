#include "ui/uMain.h"

#include <QAction>
#include <QBitmap>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/CatalogFile.h"
#include "core/CatalogOps.h"
#include "core/FileLock.h"
#include "core/FileReplace.h"
#include "platform/Cp1251.h"
#include "platform/ModalDialog.h"
#include "settings/Settings.h"
#include "ui/StringGrid.h"

namespace kitrova::ui {

namespace {

const QString kCaption = QStringLiteral("База дистрибутивов.");
const QString kNewBaseText = QStringLiteral(
    "Создана новая база base.krv. Вы можете создать свою базу, выбрав соответствующий пункт "
    "меню или нажав соответствующую кнопку на панели инструментов.");
const QString kSaveQuestion = QStringLiteral("Сохранить изменения в базе?");
const QString kWorkingCopyKept =
    QStringLiteral("Прежнее содержимое базы осталось в файле _tmp.krv в папке программы.");
const QString kNoWayBackText = QStringLiteral(
    "Рабочая копия базы не создана, поэтому изменения в этой базе нельзя будет отменить при "
    "выходе из программы.");

QString StartupWorkingCopyText(const std::filesystem::path& path) {
  return QStringLiteral(
             "В settings.ini последней базой назван файл \"%1\" — рабочая копия базы: программа "
             "удаляет его при выходе, поэтому открыть его как базу нельзя. Файл оставлен как "
             "есть; откройте или создайте базу.")
      .arg(platform::PathToQString(path));
}

QString ChangesKeptText(const std::filesystem::path& path) {
  return QStringLiteral(
             "Изменения в базе \"%1\" не отменены и остались в ней: рабочую копию этой базы "
             "создать не удалось, поэтому вернуть её прежнее содержимое нельзя.")
      .arg(platform::PathToQString(path));
}

QString ReloadedText(const std::filesystem::path& path, bool recordGone) {
  QString text = QStringLiteral(
                     "Файл базы \"%1\" изменила другая программа. База прочитана заново: в "
                     "таблице то, что сейчас записано в файле.")
                     .arg(platform::PathToQString(path));
  if (recordGone) {
    text += QStringLiteral(" Выбранной записи в ней больше нет, поэтому команда не выполнена.");
  }
  return text;
}

// The first table position holding exactly `record`, or 0.
int PositionOf(const core::CatalogTable& table, const core::DistroRecord& record) {
  for (int k = 1; k <= table.count(); ++k) {
    if (std::memcmp(&table.at(k), &record, sizeof record) == 0) return k;
  }
  return 0;
}

QString LockHeldText(const core::LockHeldError& error) {
  const core::LockHolder& holder = error.holder();
  QString who = QString::fromStdString(holder.who);
  if (holder.pid != 0) who += QStringLiteral(", процесс %1").arg(holder.pid);
  return QStringLiteral(
             "База \"%1\" открыта в другой программе%2. Изменять базу может только одна "
             "программа сразу; закройте её там и повторите.")
      .arg(platform::PathToQString(error.path()),
           who.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(who));
}

QString OthersChangesQuestion(const std::filesystem::path& path) {
  return QStringLiteral(
             "Базу \"%1\" за это время изменяла и другая программа. Если вернуть базу к "
             "виду, какой она была при открытии, пропадут и эти изменения. Вернуть прежнее "
             "содержимое базы? (\"Нет\" оставит базу как есть, со всеми изменениями.)")
      .arg(platform::PathToQString(path));
}

QString WorkingCopyMovedText(const std::filesystem::path& kept) {
  return QStringLiteral("Прежнее содержимое базы сохранено в файле \"%1\".")
      .arg(QDir::toNativeSeparators(platform::PathToQString(kept)));
}

// Designed sizes, in pixels at a screen 1024 wide.
constexpr int kToolBarHeight = 47;
constexpr int kButtonSize = 40;
constexpr int kWideButtonWidth = 41;  // the second button
constexpr int kPanel0Width = 250;
constexpr int kPanel1Width = 50;
constexpr int kRowHeight = 20;
constexpr int kWindowFontPoints = 8;
constexpr int kGridFontPoints = 9;
constexpr std::array<int, kGridColumns> kDesignedColumnWidths = {165, 213, 154, 69, 200};
constexpr int kDesignedScreenWidth = 1024;
constexpr int kDesignedScreenHeight = 768;

struct ToolButtonInfo {
  const char* name;
  const char* hint;
  const char* picture;
};

// The tool bar from left to right.
const std::array<ToolButtonInfo, 9> kButtons = {{
    {"NewBaseSpeedButton", "Новая база дистрибутивов", "new.bmp"},
    {"OpenSpeedButton", "Открыть базу дистрибутивов", "open.bmp"},
    {"AddSpeedButton", "Добавить дистрибутив", "add.bmp"},
    {"EditSpeedButton", "Изменить свойства дистрибутива", "edit.bmp"},
    {"DelSpeedButton", "Удалить запись", "del.bmp"},
    {"RunSpeedButton", "Запустить установку", "run.bmp"},
    {"SearchSpeedButton", "Поиск дистрибутива по имени", "search.bmp"},
    {"SetSpeedButton", "Настройки программы", "options.bmp"},
    {"HelpSpeedButton", "О программе", "help.bmp"},
}};

int Scaled(int value, int multiplier, int divisor) {
  return std::max(1, value * multiplier / divisor);
}

// The frame around the window; none until the window manager has framed it. While it
// reparents the window the margins may read negative, which counts as none yet.
QMargins FrameMargins(const QWindow* window) {
  const QMargins margins = window ? window->frameMargins() : QMargins();
  const bool sane =
      margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
  return sane ? margins : QMargins();
}

QString ProgramFolderText(const std::filesystem::path& folder) {
  return QDir::toNativeSeparators(platform::PathToQString(folder));
}

}  // namespace

TMainForm::TMainForm(core::CatalogState& state, platform::Dialogs& dialogs, QSize screenSize,
                     QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs), screenSize_(screenSize) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(kCaption);
  // Only our own pop-up menu; no tool-bar menu from the main window.
  setContextMenuPolicy(Qt::NoContextMenu);

  BuildToolBar();
  BuildGrid();
  BuildStatusBar();
  BuildMenus();
  ApplyMetrics(1, 1);
  Wire();

  OpenDialog1.filter = QStringLiteral("Файлы баз дистрибутивов|*.krv");
  OpenDialog1.defaultSuffix = QStringLiteral("krv");

  resize(outerSize_);
  FormResize();
  FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildToolBar() {
  ButtonsToolBar = new QToolBar(this);
  ButtonsToolBar->setObjectName(QStringLiteral("ButtonsToolBar"));
  ButtonsToolBar->setMovable(false);
  ButtonsToolBar->setFloatable(false);
  ButtonsToolBar->toggleViewAction()->setVisible(false);
  ButtonsToolBar->setContentsMargins(0, 0, 0, 0);
  ButtonsToolBar->setIconSize(QSize(32, 32));
  addToolBar(Qt::TopToolBarArea, ButtonsToolBar);

  std::array<QToolButton**, 9> targets = {&NewBaseSpeedButton, &OpenSpeedButton, &AddSpeedButton,
                                          &EditSpeedButton,    &DelSpeedButton,  &RunSpeedButton,
                                          &SearchSpeedButton,  &SetSpeedButton,  &HelpSpeedButton};
  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    auto* button = new QToolButton(ButtonsToolBar);
    button->setObjectName(QString::fromLatin1(kButtons[i].name));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setToolTip(QString::fromUtf8(kButtons[i].hint));
    button->setFocusPolicy(Qt::NoFocus);
    // Mouse moves without a pressed button reach the filter only with tracking on.
    button->setMouseTracking(true);
    button->installEventFilter(this);
    ButtonsToolBar->addWidget(button);
    *targets[i] = button;
  }
}

void TMainForm::BuildGrid() {
  BaseStringGrid = new TStringGrid(this);
  BaseStringGrid->setObjectName(QStringLiteral("BaseStringGrid"));
  GridModel = new DistroGridModel(state_.DistroTable, BaseStringGrid);
  GridModel->setObjectName(QStringLiteral("GridModel"));
  BaseStringGrid->setModel(GridModel);
  BaseStringGrid->setFrameShape(QFrame::StyledPanel);
  setCentralWidget(BaseStringGrid);
}

void TMainForm::BuildStatusBar() {
  LocalStatusBar = new QStatusBar(this);
  LocalStatusBar->setObjectName(QStringLiteral("LocalStatusBar"));
  LocalStatusBar->setSizeGripEnabled(true);
  StatusPanel0 = new QLabel(LocalStatusBar);
  StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
  StatusPanel1 = new QLabel(LocalStatusBar);
  StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setTextFormat(Qt::PlainText);
    LocalStatusBar->addWidget(panel);
  }
  setStatusBar(LocalStatusBar);
}

void TMainForm::BuildMenus() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  setMenuBar(MainMenu1);

  auto item = [](QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  auto separator = [](QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };

  N1 = MainMenu1->addMenu(QStringLiteral("Файл"));
  N1->setObjectName(QStringLiteral("N1"));
  N5 = item(N1, "N5", QStringLiteral("Новая база"));
  N6 = item(N1, "N6", QStringLiteral("Открыть базу"));
  N7 = separator(N1, "N7");
  N8 = item(N1, "N8", QStringLiteral("Выход"));

  N2 = MainMenu1->addMenu(QStringLiteral("Запись"));
  N2->setObjectName(QStringLiteral("N2"));
  N9 = item(N2, "N9", QStringLiteral("Новая запись"));
  N10 = item(N2, "N10", QStringLiteral("Редактировать запись"));
  N11 = item(N2, "N11", QStringLiteral("Удалить запись"));
  N13 = separator(N2, "N13");
  N12 = item(N2, "N12", QStringLiteral("Поиск дистрибутива по имени"));
  N14 = item(N2, "N14", QStringLiteral("Поиск дистрибутива по году сборки"));
  N15 = item(N2, "N15", QStringLiteral("Поиск дистрибутива по типу"));

  // "Настройки" is a command of the menu bar itself, without a drop-down.
  N3 = MainMenu1->addAction(QStringLiteral("Настройки"));
  N3->setObjectName(QStringLiteral("N3"));

  N4 = MainMenu1->addMenu(QStringLiteral("Помощь"));
  N4->setObjectName(QStringLiteral("N4"));
  N16 = item(N4, "N16", QStringLiteral("Справка"));
  N17 = item(N4, "N17", QStringLiteral("О программе"));

  ActionPopupMenu = new QMenu(this);
  ActionPopupMenu->setObjectName(QStringLiteral("ActionPopupMenu"));
  N18 = item(ActionPopupMenu, "N18", QStringLiteral("Новая запись"));
  N19 = item(ActionPopupMenu, "N19", QStringLiteral("Редактировать запись"));
  N20 = item(ActionPopupMenu, "N20", QStringLiteral("Удалить запись"));
}

void TMainForm::Wire() {
  auto onClick = [this](QToolButton* button, auto handler) {
    connect(button, &QToolButton::clicked, this, handler);
  };
  auto onTrigger = [this](QAction* action, auto handler) {
    connect(action, &QAction::triggered, this, handler);
  };

  onClick(NewBaseSpeedButton, &TMainForm::NewBaseSpeedButtonClick);
  onTrigger(N5, &TMainForm::NewBaseSpeedButtonClick);
  onClick(OpenSpeedButton, &TMainForm::OpenSpeedButtonClick);
  onTrigger(N6, &TMainForm::OpenSpeedButtonClick);
  onTrigger(N8, &TMainForm::N8Click);

  onClick(AddSpeedButton, &TMainForm::AddSpeedButtonClick);
  onTrigger(N9, &TMainForm::AddSpeedButtonClick);
  onTrigger(N18, &TMainForm::AddSpeedButtonClick);
  onClick(EditSpeedButton, &TMainForm::EditSpeedButtonClick);
  onTrigger(N10, &TMainForm::EditSpeedButtonClick);
  onTrigger(N19, &TMainForm::EditSpeedButtonClick);
  onClick(DelSpeedButton, &TMainForm::DelSpeedButtonClick);
  onTrigger(N11, &TMainForm::DelSpeedButtonClick);
  onTrigger(N20, &TMainForm::DelSpeedButtonClick);

  onClick(RunSpeedButton, &TMainForm::RunSpeedButtonClick);

  onClick(SearchSpeedButton, &TMainForm::SearchSpeedButtonClick);
  onTrigger(N12, &TMainForm::SearchSpeedButtonClick);
  onTrigger(N14, &TMainForm::N14Click);
  onTrigger(N15, &TMainForm::N15Click);

  onClick(SetSpeedButton, &TMainForm::SetSpeedButtonClick);
  onTrigger(N3, &TMainForm::SetSpeedButtonClick);
  onClick(HelpSpeedButton, &TMainForm::HelpSpeedButtonClick);
  onTrigger(N16, &TMainForm::N16Click);
  onTrigger(N17, &TMainForm::N17Click);

  connect(BaseStringGrid, &TStringGrid::MouseDown, this, &TMainForm::BaseStringGridMouseDown);
  connect(BaseStringGrid, &TStringGrid::DblClick, this, &TMainForm::BaseStringGridDblClick);
}

void TMainForm::ApplyMetrics(int multiplier, int divisor) {
  const auto s = [&](int value) { return Scaled(value, multiplier, divisor); };

  QFont windowFont = platform::DialogFont();
  windowFont.setPointSize(s(kWindowFontPoints));
  setFont(windowFont);
  QFont gridFont(QStringLiteral("Arial"));
  gridFont.setPointSize(s(kGridFontPoints));
  BaseStringGrid->setFont(gridFont);

  ButtonsToolBar->setFixedHeight(s(kToolBarHeight));
  for (QToolButton* button :
       {NewBaseSpeedButton, OpenSpeedButton, AddSpeedButton, EditSpeedButton, DelSpeedButton,
        RunSpeedButton, SearchSpeedButton, SetSpeedButton, HelpSpeedButton}) {
    const int width = button == OpenSpeedButton ? kWideButtonWidth : kButtonSize;
    button->setFixedSize(s(width), s(kButtonSize));
  }
  StatusPanel0->setFixedWidth(s(kPanel0Width));
  StatusPanel1->setFixedWidth(s(kPanel1Width));
  BaseStringGrid->verticalHeader()->setMinimumSectionSize(1);
  BaseStringGrid->verticalHeader()->setDefaultSectionSize(s(kRowHeight));
  for (int c = 0; c < kGridColumns; ++c) {
    BaseStringGrid->setColumnWidth(c, s(kDesignedColumnWidths[static_cast<std::size_t>(c)]));
  }
}

QStringList TMainForm::StartupHeaderTexts() {
  return {QStringLiteral("Название"), QStringLiteral("Тип программы"), QStringLiteral("Лицензия"),
          QStringLiteral("Год сборки"), QStringLiteral("Примечание")};
}

QStringList TMainForm::OpenHeaderTexts() {
  return {QStringLiteral("Название"), QStringLiteral("Тип программы"), QStringLiteral("Лицензия"),
          QStringLiteral("Год выпуска"), QStringLiteral("Примечание")};
}

QSize TMainForm::ScaledWindowSize(QSize screen, QSize designed) {
  if (screen.width() == kDesignedScreenWidth) return designed;
  return {screen.width() * designed.width() / kDesignedScreenWidth,
          screen.height() * designed.height() / kDesignedScreenHeight};
}

QString TMainForm::HintOf(const QToolButton* button) {
  if (!button) return {};
  for (const ToolButtonInfo& info : kButtons) {
    if (button->objectName() == QLatin1String(info.name)) return QString::fromUtf8(info.hint);
  }
  return {};
}

QStringList TMainForm::PictureLoadOrder() {
  return {QStringLiteral("new.bmp"),    QStringLiteral("open.bmp"),    QStringLiteral("add.bmp"),
          QStringLiteral("edit.bmp"),   QStringLiteral("help.bmp"),    QStringLiteral("run.bmp"),
          QStringLiteral("search.bmp"), QStringLiteral("options.bmp"), QStringLiteral("del.bmp")};
}

bool TMainForm::LoadPictures() {
  const std::array<QToolButton*, 9> byPicture = {
      NewBaseSpeedButton, OpenSpeedButton,   AddSpeedButton, EditSpeedButton, HelpSpeedButton,
      RunSpeedButton,     SearchSpeedButton, SetSpeedButton, DelSpeedButton};
  const QStringList files = PictureLoadOrder();
  for (std::size_t i = 0; i < byPicture.size(); ++i) {
    const QString path = QDir::toNativeSeparators(platform::PathToQString(
        state_.ProgramFolder / "Pic" / files[static_cast<int>(i)].toStdString()));
    QImage image;
    if (!QFileInfo(path).isFile()) {
      platform::ShowErrorText(dialogs_, this, QStringLiteral("Файл не найден: %1").arg(path));
      return false;
    }
    if (!image.load(path) || image.isNull()) {
      platform::ShowErrorText(dialogs_, this,
                              QStringLiteral("Не удаётся прочитать рисунок: %1").arg(path));
      return false;
    }
    // As with tool-bar glyphs, the colour of the bottom-left pixel is see-through.
    QPixmap picture = QPixmap::fromImage(image);
    const QColor clear = image.pixelColor(0, image.height() - 1);
    picture.setMask(picture.createMaskFromColor(clear, Qt::MaskInColor));
    byPicture[i]->setIcon(QIcon(picture));
    byPicture[i]->setIconSize(picture.size());
  }
  return true;
}

void TMainForm::FormCreate() {
  // Backup copies killed half way left temporary files no later copy would remove.
  core::RemoveDeadTemporaries(core::BackupFolderPath(state_.ProgramFolder));
  try {
    // 1. Pictures.
    if (!LoadPictures()) return;

    // 2. Screen scaling: only the width is tested.
    if (screenSize_.width() != kDesignedScreenWidth && screenSize_.width() > 0) {
      outerSize_ = ScaledWindowSize(screenSize_, outerSize_);
      ApplyMetrics(screenSize_.width(), kDesignedScreenWidth);
      resize(outerSize_);
      FormResize();
    }

    // 3. The open dialog starts in the program's folder.
    OpenDialog1.initialFolder = ProgramFolderText(state_.ProgramFolder) + QDir::separator();

    // 4. A grid of one row holding the header texts.
    GridModel->cutToHeader();
    GridModel->setHeaderTexts(StartupHeaderTexts());
    BaseStringGrid->SetRow(0);

    // 5. Settings; this step reports its own failures and start-up goes on.
    settings::ReadStartupSettings(state_, dialogs_, this);

    // The working copy is deleted at exit, so it never becomes the current catalog; start-up
    // goes on as after a catalog that could not be read.
    if (core::IsWorkingCopy(state_.ProgramFolder, state_.CurrentBasePath)) {
      platform::ShowErrorText(dialogs_, this, StartupWorkingCopyText(state_.CurrentBasePath));
      return;
    }

    // 6. A missing catalog is created from the seed.
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(state_.CurrentBasePath, ec))) {
      core::SeedCatalog(state_);
      dialogs_.message(this, platform::MessageKind::Information, kNewBaseText,
                       platform::MessageButtons::Ok);
      try {
        settings::WriteLastBase(state_);
      } catch (const std::exception&) {
        platform::ShowErrorText(dialogs_, this, settings::kConfigErrorText);
      }
    }

    // 7.-9. Load, sort, show, backup switch, working copy.
    core::OpenCatalog(state_, state_.CurrentBasePath);
    if (state_.DistroTable.count() > 0) FillGrid();
    settings::LoadBackupFlag(state_, dialogs_, this);
    TakeWorkingCopyOrWarn();
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

void TMainForm::TakeWorkingCopyOrWarn() {
  try {
    core::TakeWorkingCopy(state_);
  } catch (const std::exception& error) {
    platform::ShowErrorText(dialogs_, this,
                            QString::fromUtf8(error.what()) + QLatin1Char('\n') + kNoWayBackText);
  }
}

int TMainForm::CurrentRow() const {
  return BaseStringGrid->Row();
}

void TMainForm::FillGrid() {
  GridModel->refill();
  BaseStringGrid->SetRow(0);
}

void TMainForm::FlushSelection() {
  BaseStringGrid->SetRow(0);
}

void TMainForm::ReportError(const std::exception& error) {
  if (const auto* held = dynamic_cast<const core::LockHeldError*>(&error)) {
    platform::ShowErrorText(dialogs_, this, LockHeldText(*held));
    return;
  }
  platform::ShowException(dialogs_, this, error);
}

TMainForm::DiskCheck TMainForm::ReloadIfChangedOnDisk(const core::DistroRecord* keep) {
  if (!core::ChangedOnDisk(state_)) return DiskCheck::Unchanged;
  try {
    core::ReloadChangedCatalog(state_);
  } catch (...) {
    FillGrid();
    throw;
  }
  FillGrid();
  const int position = keep ? PositionOf(state_.DistroTable, *keep) : 0;
  BaseStringGrid->SetRow(position);
  const bool gone = keep && position == 0;
  dialogs_.message(this, platform::MessageKind::Information,
                   ReloadedText(state_.CurrentBasePath, gone), platform::MessageButtons::Ok);
  return gone ? DiskCheck::RecordGone : DiskCheck::Reloaded;
}

void TMainForm::FormActivate() {
  if (checkingDisk_) return;
  checkingDisk_ = true;
  try {
    ReloadIfChangedOnDisk();
  } catch (const std::exception& error) {
    ReportError(error);
  }
  checkingDisk_ = false;
}

void TMainForm::FormResize() {
  // The outer width: the inner width and the frame around it. While the window manager
  // reparents the window X11 may report a frame that is not there yet, or a negative one;
  // widths taken from such a reading left every column 0 wide, a blank grid until the next
  // resize. So the last whole frame counts, and the inner width when none is known yet.
  if (const QMargins frame = FrameMargins(windowHandle()); !frame.isNull()) knownFrame_ = frame;
  const int w = width() + knownFrame_.left() + knownFrame_.right();
  BaseStringGrid->setColumnWidth(0, w / 5);
  BaseStringGrid->setColumnWidth(1, w / 5);
  BaseStringGrid->setColumnWidth(2, w / 5);
  BaseStringGrid->setColumnWidth(3, w / 10);
  BaseStringGrid->setColumnWidth(4, w / 2);
  // The tool bar spans the window in its layout; keep its own width in step as well.
  ButtonsToolBar->resize(w, ButtonsToolBar->height());
}

void TMainForm::FormClose() {
  const platform::MessageAnswer answer =
      dialogs_.message(this, platform::MessageKind::Confirmation, kSaveQuestion,
                       platform::MessageButtons::YesNoMustChoose);
  bool keepWorkingCopy = false;
  if (answer == platform::MessageAnswer::No) {
    if (!core::WorkingCopyIsCurrent(state_)) {
      // A working copy of another catalog is never restored; but the user must know that
      // nothing was undone. Without a loaded catalog nothing could have changed.
      if (state_.CatalogLoaded) {
        platform::ShowErrorText(dialogs_, this, ChangesKeptText(state_.CurrentBasePath));
      }
    } else {
      try {
        // Another program's records would go with ours: only an explicit Yes drops them.
        const bool othersWrote = state_.ChangedElsewhere || core::ChangedOnDisk(state_);
        if (!othersWrote ||
            dialogs_.message(this, platform::MessageKind::Confirmation,
                             OthersChangesQuestion(state_.CurrentBasePath),
                             platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes) {
          core::RestoreWorkingCopy(state_);
        }
      } catch (const std::exception& error) {
        // The working copy is now the only copy of the earlier content: it goes where the
        // next start's working copy cannot replace it.
        QString where;
        try {
          where =
              WorkingCopyMovedText(core::KeepWorkingCopyInBackup(state_, core::CurrentMoment()));
        } catch (const std::exception&) {
          where = kWorkingCopyKept;
          keepWorkingCopy = true;
        }
        platform::ShowErrorText(dialogs_, this,
                                QString::fromUtf8(error.what()) + QLatin1Char('\n') + where);
      }
    }
  }
  if (!keepWorkingCopy) core::DeleteWorkingCopy(state_);
}

void TMainForm::NewBaseSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(NewBaseSpeedButton));
}
void TMainForm::OpenSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(OpenSpeedButton));
}
void TMainForm::AddSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(AddSpeedButton));
}
void TMainForm::EditSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(EditSpeedButton));
}
void TMainForm::DelSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(DelSpeedButton));
}
void TMainForm::RunSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(RunSpeedButton));
}
void TMainForm::SearchSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(SearchSpeedButton));
}
void TMainForm::SetSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(SetSpeedButton));
}
void TMainForm::HelpSpeedButtonMouseMove() {
  StatusPanel0->setText(HintOf(HelpSpeedButton));
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormClose();
  // Closing cannot be cancelled.
  event->accept();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!placed_) FitOuterSize();
}

bool TMainForm::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::WindowActivate) FormActivate();
  // Under X11 the frame is unknown at first showing and no event announces it: look again
  // after each event until the window manager has framed the window.
  if (placed_ && !frameCounted_) FitOuterSize();
  return handled;
}

void TMainForm::FitOuterSize() {
  const QMargins margins = FrameMargins(windowHandle());
  const bool known = !margins.isNull();
  if (placed_ && (frameCounted_ || !known)) return;
  placed_ = true;
  frameCounted_ = known;
  // The designed size is the outer size, frame included; centre it on the desktop.
  const QScreen* where = screen();
  if (where == nullptr) {
    resize(outerSize_.shrunkBy(margins));
    return;
  }
  const QPoint outerTopLeft =
      where->availableGeometry().center() - QPoint(outerSize_.width() / 2, outerSize_.height() / 2);
  if (!known) {
    resize(outerSize_);
    move(outerTopLeft);
    return;
  }
  // Placed by its client area, which does not depend on how the frame is positioned.
  frameTarget_ = QRect(outerTopLeft, outerSize_);
  firstFrame_ = frameGeometry();
  askedMargins_ = margins;
  setGeometry(frameTarget_.marginsRemoved(margins));
  // The inner size may be unchanged, and then no resize follows to count the frame.
  FormResize();
  // A window manager still busy framing the window may drop that request: check back a few
  // times, briefly, so a later move by the user is never undone.
  settleChecks_ = 5;
  QTimer::singleShot(150, this, &TMainForm::SettlePlacement);
}

void TMainForm::SettlePlacement() {
  // Asked again only while the frame sits where the window manager first put it: any other
  // geometry is ours, granted, or somebody else's (the user's, a tiling window manager's),
  // and neither may be undone.
  const QRect frame = frameGeometry();
  if (settleChecks_ <= 0 || !isVisible() || frame == frameTarget_) return;
  // A frame read while the window manager was still building it (X11 reports a part of it
  // then) made our own request miss: that miss is ours to mend, with the frame as it is now.
  const QMargins margins = FrameMargins(windowHandle());
  const bool ownMiss = !margins.isNull() && margins != askedMargins_;
  if (!ownMiss && frame != firstFrame_) return;
  --settleChecks_;
  if (!margins.isNull()) {
    askedMargins_ = margins;
    firstFrame_ = frame;
    setGeometry(frameTarget_.marginsRemoved(margins));
  }
  QTimer::singleShot(150, this, &TMainForm::SettlePlacement);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    using MouseMove = void (TMainForm::*)();
    const std::array<std::pair<QToolButton*, MouseMove>, 9> handlers = {{
        {NewBaseSpeedButton, &TMainForm::NewBaseSpeedButtonMouseMove},
        {OpenSpeedButton, &TMainForm::OpenSpeedButtonMouseMove},
        {AddSpeedButton, &TMainForm::AddSpeedButtonMouseMove},
        {EditSpeedButton, &TMainForm::EditSpeedButtonMouseMove},
        {DelSpeedButton, &TMainForm::DelSpeedButtonMouseMove},
        {RunSpeedButton, &TMainForm::RunSpeedButtonMouseMove},
        {SearchSpeedButton, &TMainForm::SearchSpeedButtonMouseMove},
        {SetSpeedButton, &TMainForm::SetSpeedButtonMouseMove},
        {HelpSpeedButton, &TMainForm::HelpSpeedButtonMouseMove},
    }};
    for (const auto& [button, handler] : handlers) {
      if (watched == button) (this->*handler)();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace kitrova::ui
