// Windows shown before the main window is up, under a real X server: their whole frame,
// decorations included, is centred on the screen. A window manager frames a window only
// once it is up; without one the frame is the window itself.
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "platform/Dialogs.h"
#include "platform/ModalDialog.h"
#include "support/ModalDriver.h"

namespace kitrova::platform {
namespace {

QPointF OffCentre(const QWidget& window) {
  return window.windowHandle()->frameGeometry().toRectF().center() -
         window.screen()->availableGeometry().toRectF().center();
}

bool WithinAPixel(const QPointF& off) {
  return std::abs(off.x()) <= 1.0 && std::abs(off.y()) <= 1.0;
}

struct Case {
  const char* name;
  // Shows one window the way start-up does; `owner` is the main window, not shown yet.
  std::function<void(QtDialogs&, QWidget* owner)> show;
};

class StartupFrameTest : public ::testing::TestWithParam<Case> {};

TEST_P(StartupFrameTest, WholeFrameIsCentredOnTheScreen) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X server (tools/with_window_manager.sh)";
  }
  // tools/with_window_manager.sh starts openbox and says so.
  const bool managed = qEnvironmentVariableIsSet("KITROVA_WM_READY");
  QWidget owner;
  owner.setGeometry(0, 0, 300, 200);
  QtDialogs dialogs;
  testing::ModalDriver modals(std::chrono::seconds(10));
  bool framed = false;
  QPointF off;
  modals.answerAny<QDialog>([&](QDialog& window) {
    const auto frame = [&] { return window.windowHandle()->frameGeometry().size(); };
    framed = !managed || QTest::qWaitFor([&] { return frame() != window.size(); }, 5000);
    static_cast<void>(QTest::qWaitFor([&] { return WithinAPixel(OffCentre(window)); }, 3000));
    off = OffCentre(window);
    window.reject();
  });
  GetParam().show(dialogs, &owner);
  if (!framed) GTEST_SKIP() << "the window manager put no frame around the window";
  EXPECT_TRUE(WithinAPixel(off)) << "off by " << off.x() << "," << off.y();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, StartupFrameTest,
    ::testing::Values(
        Case{"FirstRun",
             [](QtDialogs& d, QWidget* owner) {
               d.message(owner, MessageKind::Information,
                         QStringLiteral("Это первый запуск программы.\n\rУкажите папку."),
                         MessageButtons::Ok);
             }},
        Case{"LongError",
             [](QtDialogs& d, QWidget* owner) {
               d.message(owner, MessageKind::Error,
                         QStringLiteral("Не удаётся создать рабочую копию базы ").repeated(6),
                         MessageButtons::Ok);
             }},
        Case{"QuestionWithNoOwner",
             [](QtDialogs& d, QWidget*) {
               d.message(nullptr, MessageKind::Confirmation, QStringLiteral("Сохранить?"),
                         MessageButtons::YesNoMustChoose);
             }},
        Case{"FolderChooser",
             [](QtDialogs& d, QWidget* owner) { d.chooseFolder(owner, QStringLiteral("Папка")); }},
        Case{"ProgramDialog",
             [](QtDialogs&, QWidget*) {
               ModalDialog dialog;
               dialog.resize(312, 95);
               dialog.exec();
             }}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kitrova::platform
