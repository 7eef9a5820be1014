// The entry's set-up seen on real Qt boxes: Russian standard buttons, the help text drawn as
// three lines, start-up boxes centred on the screen, the application's version and icon.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

#include "app/AppSetup.h"
#include "platform/Cp1251.h"
#include "platform/Dialogs.h"
#include "support/ModalDriver.h"
#include "support/TempFolder.h"

namespace kitrova::app {
namespace {

using platform::MessageButtons;
using platform::MessageKind;

// Runs `act` on the next message box once it is up, then presses its first button.
void WhenBoxShows(testing::ModalDriver& modals, std::function<void(QMessageBox*)> act) {
  modals.answerAny<QMessageBox>([act = std::move(act)](QMessageBox& box) {
    act(&box);
    box.buttons().front()->click();
  });
}

QString Shown(QAbstractButton* button) {
  return button == nullptr ? QString() : button->text().remove(QLatin1Char('&'));
}

TEST(AppSetupTest, QtButtonsSpeakRussianWhenTheTranslationIsInstalled) {
  testing::ModalDriver modals;
  QTranslator translator;
  if (!LoadQtTranslation(translator, QCoreApplication::applicationDirPath())) {
    GTEST_SKIP() << "qtbase_ru.qm is not installed (Debian: qt6-translations-l10n)";
  }
  platform::QtDialogs dialogs;
  QString yes, no, ok;
  WhenBoxShows(modals, [&](QMessageBox* box) {
    yes = Shown(box->button(QMessageBox::Yes));
    no = Shown(box->button(QMessageBox::No));
  });
  dialogs.message(nullptr, MessageKind::Confirmation, QStringLiteral("Сохранить?"),
                  MessageButtons::YesNo);
  WhenBoxShows(modals, [&](QMessageBox* box) { ok = Shown(box->button(QMessageBox::Ok)); });
  dialogs.message(nullptr, MessageKind::Error, QStringLiteral("Ошибка"), MessageButtons::Ok);
  QCoreApplication::removeTranslator(&translator);

  EXPECT_EQ(yes, QStringLiteral("Да"));
  EXPECT_EQ(no, QStringLiteral("Нет"));
  EXPECT_TRUE(ok == QStringLiteral("OK") || ok == QStringLiteral("ОК")) << ok.toStdString();
}

TEST(AppSetupTest, WindowsLineBreaksAreDrawnOnceAndTheTextIsKept) {
  testing::ModalDriver modals;
  const QString text = QStringLiteral("Первая.\n\rВторая,\n\rтретья a@b.c");
  platform::QtDialogs dialogs;
  QString kept, drawn;
  WhenBoxShows(modals, [&](QMessageBox* box) {
    kept = box->text();
    for (const QLabel* label : box->findChildren<QLabel*>()) {
      if (label->isVisible() && label->text().contains(QStringLiteral("Первая"))) {
        drawn = label->text();
      }
    }
  });
  dialogs.message(nullptr, MessageKind::Error, text, MessageButtons::Ok);
  EXPECT_EQ(kept, text);
  EXPECT_EQ(drawn, QStringLiteral("Первая.\nВторая,\nтретья a@b.c"));
  EXPECT_EQ(platform::ShownLines(QStringLiteral("a\r\nb\rc")), QStringLiteral("a\nb\nc"));
}

TEST(AppSetupTest, BoxOverAWindowNotYetShownIsCentredOnTheScreenInFront) {
  testing::ModalDriver modals;
  // The main window during start-up: created, placed nowhere yet, not shown.
  QWidget hiddenOwner;
  hiddenOwner.setGeometry(0, 0, 300, 200);
  platform::QtDialogs dialogs;
  QPoint centre;
  bool inFront = false;
  WhenBoxShows(modals, [&](QMessageBox* box) {
    centre = box->frameGeometry().center();
    inFront = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  });
  dialogs.message(&hiddenOwner, MessageKind::Information, QStringLiteral("Первый запуск"),
                  MessageButtons::Ok);
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((centre - screenCentre).manhattanLength(), 4)
      << centre.x() << "," << centre.y() << " vs " << screenCentre.x() << "," << screenCentre.y();
  EXPECT_TRUE(inFront);
}

TEST(AppSetupTest, ApplicationCarriesItsVersionAndIcon) {
  SetUpApplication();
  EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Kitrova"));
  EXPECT_FALSE(QApplication::applicationVersion().isEmpty());
  const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(48, 48)));
  EXPECT_TRUE(sizes.contains(QSize(256, 256)));
  QWidget window;
  EXPECT_FALSE(window.windowIcon().isNull());
}

TEST(AppSetupTest, QtsOwnTranslationComesBeforeACopyBesideTheExecutable) {
  const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const QString qtFile = QDir(qtFolder).filePath(QStringLiteral("qtbase_ru.qm"));
  if (!QFileInfo::exists(qtFile)) {
    GTEST_SKIP() << "qtbase_ru.qm is not installed (Debian: qt6-translations-l10n)";
  }
  testing::TempFolder portable;
  const QString copy =
      QDir(platform::PathToQString(portable.path())).filePath(QStringLiteral("qtbase_ru.qm"));
  ASSERT_TRUE(QFile::copy(qtFile, copy));
  QTranslator translator;
  ASSERT_TRUE(LoadQtTranslation(translator, platform::PathToQString(portable.path())));
  QCoreApplication::removeTranslator(&translator);
  EXPECT_EQ(QFileInfo(translator.filePath()).canonicalFilePath(),
            QFileInfo(qtFile).canonicalFilePath());
}

TEST(AppSetupTest, TheWindowNamesTheDesktopEntryThatLaunchesIt) {
  SetUpApplication();
  // X11 docks match the window's class (Qt takes the application name) to StartupWMClass;
  // Wayland compositors match the desktop file name.
  QFile entry(QStringLiteral(KITROVA_ASSETS_DIR "/linux/") + QGuiApplication::desktopFileName() +
              QStringLiteral(".desktop"));
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly)) << entry.fileName().toStdString();
  const QStringList lines = QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'));
  EXPECT_TRUE(lines.contains(QStringLiteral("StartupWMClass=") + QApplication::applicationName()));
}

}  // namespace
}  // namespace kitrova::app
