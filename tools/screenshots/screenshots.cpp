// Opens every window of Kitrova on a prepared program folder, the way a user reaches it, and
// saves a picture of each, frame included, to the output folder. Run under an X server with
// a window manager (tools/screenshot.sh).
//
//   kitrova_screenshots <program folder> <output folder>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <cstdio>
#include <functional>

#include "app/AppSetup.h"
#include "core/CatalogState.h"
#include "platform/Cp1251.h"
#include "platform/Dialogs.h"
#include "ui/ProgramWindows.h"
#include "ui/SearchDialog.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"
#include "ui/uSplash.h"

#include <QLineEdit>
#include <QPushButton>

using namespace kitrova;

namespace {

QString g_output;

// Lets the window manager frame and the window paint itself, then saves it with its frame.
void Photograph(QWidget* window, const QString& name) {
  // Mapped late on a cold display, a window grabbed from the screen comes out black.
  if (!QTest::qWaitForWindowExposed(window, 10000)) {
    std::fprintf(stderr, "%s: not exposed\n", qPrintable(name));
  }
  const bool frameless = window->windowFlags().testFlag(Qt::FramelessWindowHint);
  // A framed window is ready once the window manager's frame is known (while it reparents
  // the window the margins read negative).
  const auto framed = [window, frameless] {
    if (frameless) return true;
    const QMargins m = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    return m.left() >= 0 && m.top() > 0 && m.right() >= 0 && m.bottom() >= 0;
  };
  if (!QTest::qWaitFor(framed, 3000)) std::fprintf(stderr, "%s: no frame\n", qPrintable(name));
  QTest::qWait(500);
  // Without a frame there is nothing of the window manager's to show: the window draws
  // itself, whatever the screen shows at that moment.
  const QRect area =
      window->windowHandle() ? window->windowHandle()->frameGeometry() : window->frameGeometry();
  const QPixmap picture =
      frameless ? window->grab()
                : window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  const QString path = QDir(g_output).filePath(name + QStringLiteral(".png"));
  if (!picture.save(path)) std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
  std::printf("saved %s\n", qPrintable(path));
}

// Runs `open` (which shows a modal window and returns when it closes); once the modal
// window is up, `fill` prepares it, it is photographed, and `finish` closes it.
void WhileModal(const QString& name, const std::function<void()>& open,
                const std::function<void(QWidget*)>& fill,
                const std::function<void(QWidget*)>& finish) {
  auto* poll = new QTimer;
  poll->setInterval(100);
  QObject::connect(poll, &QTimer::timeout, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    if (fill) fill(modal);
    Photograph(modal, name);
    finish(modal);
  });
  poll->start();
  open();
}

void CloseBox(QWidget* window) {
  window->close();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: kitrova_screenshots <program folder> <output folder>\n");
    return 2;
  }
  app::SetUpApplication();
  QTranslator qtTexts;
  app::LoadQtTranslation(qtTexts, QCoreApplication::applicationDirPath());
  const auto programFolder = platform::PathFromQString(QString::fromLocal8Bit(argv[1]));
  g_output = QString::fromLocal8Bit(argv[2]);

  core::CatalogState state(programFolder);
  platform::QtDialogs dialogs;

  ui::TForm1 splash(programFolder, dialogs);
  splash.show();
  Photograph(&splash, QStringLiteral("splash"));
  splash.hide();

  ui::ProgramWindows windows(state, dialogs, QGuiApplication::primaryScreen()->size());
  ui::TMainForm& mainForm = windows.mainForm;
  mainForm.show();
  QTest::qWait(1000);
  Photograph(&mainForm, QStringLiteral("main"));

  WhileModal(
      QStringLiteral("add"), [&] { mainForm.AddSpeedButtonClick(); },
      [&](QWidget*) {
        windows.addForm.NameEdit->setText(QStringLiteral("Notepad++"));
        windows.addForm.YearEdit->setText(QStringLiteral("2005"));
      },
      [&](QWidget*) { windows.addForm.CancelButton->click(); });

  mainForm.BaseStringGrid->SetRow(3);
  WhileModal(
      QStringLiteral("edit"), [&] { mainForm.EditSpeedButtonClick(); }, nullptr,
      [&](QWidget*) { windows.editForm.CancelButton->click(); });

  WhileModal(
      QStringLiteral("search"), [&] { mainForm.N15Click(); },
      [&](QWidget*) {
        windows.searchTypeForm.SearchPromptEdit->setText(QStringLiteral("Браузеры"));
      },
      [&](QWidget*) { windows.searchTypeForm.SearchButton->click(); });
  Photograph(&mainForm, QStringLiteral("search-selection"));

  WhileModal(
      QStringLiteral("name"), [&] { mainForm.NewBaseSpeedButtonClick(); }, nullptr,
      [&](QWidget*) { windows.nameNewBaseForm.Button2->click(); });

  WhileModal(
      QStringLiteral("settings"), [&] { mainForm.SetSpeedButtonClick(); }, nullptr,
      [&](QWidget*) { windows.optionsForm.CancelButton->click(); });

  WhileModal(
      QStringLiteral("folder"),
      [&] { dialogs.chooseFolder(&mainForm, QStringLiteral("Выберите папку с дистрибутивами")); },
      nullptr, CloseBox);

  WhileModal(
      QStringLiteral("about"), [&] { mainForm.N17Click(); }, nullptr, CloseBox);

  WhileModal(
      QStringLiteral("help"), [&] { mainForm.N16Click(); }, nullptr, CloseBox);

  // The question at closing; "Да" keeps the catalog as it is.
  WhileModal(
      QStringLiteral("question"), [&] { mainForm.close(); }, nullptr,
      [](QWidget* box) {
        if (auto* question = qobject_cast<QMessageBox*>(box)) {
          question->button(QMessageBox::Yes)->click();
        }
      });
  return 0;
}
