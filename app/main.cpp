// The program's entry: splash for two seconds, then the main window and every dialog.

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/AppSetup.h"
#include "app/SingleInstance.h"
#include "core/CatalogState.h"
#include "platform/Cp1251.h"
#include "platform/Dialogs.h"
#include "ui/ProgramWindows.h"
#include "ui/uSplash.h"

using namespace kitrova;

int main(int argc, char* argv[]) {
  // Answered before any window or display: scripts and packagers ask this.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("kitrova %s\n", KITROVA_VERSION);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
  }
  QApplication application(argc, argv);
  app::SetUpApplication();
  // Qt's own buttons and dialogs speak the program's language; without the file, Qt's texts.
  QTranslator qtTexts;
  app::LoadQtTranslation(qtTexts, QCoreApplication::applicationDirPath());

  const auto programFolder = app::ProgramFolderForThisRun();
  platform::QtDialogs dialogs;
  // Before anything is written to the program folder: a second start only raises the first.
  app::SingleInstance instance(programFolder);
  if (!instance.IsFirst()) {
    if (!instance.AskRunningToRaise()) {
      dialogs.message(nullptr, platform::MessageKind::Information, app::AlreadyRunningText(),
                      platform::MessageButtons::Ok);
    }
    return 0;
  }
  core::CatalogState state(programFolder);

  auto splash = std::make_unique<ui::TForm1>(programFolder, dialogs);
  splash->show();
  splash->repaint();
  QApplication::processEvents();
  // Wait in the event loop (not spinning) until the splash timer has switched itself off.
  if (splash->Timer1->isActive()) {
    QEventLoop wait;
    QObject::connect(splash->Timer1, &QTimer::timeout, &wait, &QEventLoop::quit,
                     Qt::QueuedConnection);
    wait.exec();
  }

  const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size()
                                                        : QSize(1024, 768);
  ui::ProgramWindows windows(state, dialogs, screen);

  splash->hide();
  splash.reset();

  QObject::connect(&instance, &app::SingleInstance::RaiseRequested, &windows.mainForm,
                   [&main = windows.mainForm] {
                     main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
                     main.show();
                     main.raise();
                     main.activateWindow();
                   });
  windows.mainForm.show();
  return application.exec();
}
