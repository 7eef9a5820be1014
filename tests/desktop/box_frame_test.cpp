// Windows shown before the main window is up, under a real X server: their whole frame,
// decorations included, is centred on the screen. A window manager frames a window only
// once it is up; without one the frame is the window itself.
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
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

// tools/with_window_manager.sh starts openbox and says so.
bool Managed() {
  return qEnvironmentVariableIsSet("KITROVA_WM_READY");
}

// The frame as the window system has it now.
QRect Frame(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return handle != nullptr ? handle->frameGeometry() : window.frameGeometry();
}

// How far the frame's centre lies from the centre of the screen's free area, per axis.
QPointF OffCentre(const QWidget& window) {
  const QRectF area = window.screen()->availableGeometry().toRectF();
  const QRectF frame = Frame(window).toRectF();
  return frame.center() - area.center();
}

bool WithinAPixel(const QPointF& off) {
  return std::abs(off.x()) <= 1.0 && std::abs(off.y()) <= 1.0;
}

struct Seen {
  bool framed = false;
  QPointF off{1000, 1000};
};

// Once the window is up and, under a window manager, framed: where its frame sits.
Seen Look(const QWidget& window) {
  Seen seen;
  seen.framed =
      !Managed() || QTest::qWaitFor([&] { return Frame(window).size() != window.size(); }, 5000);
  static_cast<void>(QTest::qWaitFor([&] { return WithinAPixel(OffCentre(window)); }, 3000));
  seen.off = OffCentre(window);
  return seen;
}

// Shows the window the way start-up does and answers it once it has been seen.
using ShowAndLook = std::function<Seen()>;

Seen ShowBox(bool hiddenOwner, MessageKind kind, MessageButtons buttons, const QString& text) {
  QWidget owner;  // the main window during start-up: created, not shown yet
  owner.setGeometry(0, 0, 300, 200);
  QtDialogs dialogs;
  testing::ModalDriver modals(std::chrono::seconds(10));
  Seen seen;
  modals.answerAny<QMessageBox>([&](QMessageBox& box) {
    seen = Look(box);
    box.buttons().front()->click();
  });
  dialogs.message(hiddenOwner ? &owner : nullptr, kind, text, buttons);
  return seen;
}

Seen ShowDialog() {
  ModalDialog dialog;
  dialog.resize(312, 95);
  Seen seen;
  testing::ExecModal(dialog, [&] {
    seen = Look(dialog);
    dialog.reject();
  });
  return seen;
}

Seen ShowFolderChooser() {
  QWidget owner;
  QtDialogs dialogs;
  testing::ModalDriver modals(std::chrono::seconds(10));
  Seen seen;
  modals.answerAny<QFileDialog>([&](QFileDialog& chooser) {
    seen = Look(chooser);
    chooser.reject();
  });
  dialogs.chooseFolder(&owner, QStringLiteral("Папка с дистрибутивами"));
  return seen;
}

struct Case {
  const char* name;
  ShowAndLook show;
};

class StartupFrameTest : public ::testing::TestWithParam<Case> {};

TEST_P(StartupFrameTest, WholeFrameIsCentredOnTheScreen) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X server (tools/with_window_manager.sh)";
  }
  const Seen seen = GetParam().show();
  if (!seen.framed) GTEST_SKIP() << "the window manager put no frame around the window";
  EXPECT_TRUE(WithinAPixel(seen.off)) << "off by " << seen.off.x() << "," << seen.off.y();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, StartupFrameTest,
    ::testing::Values(
        Case{"FirstRun",
             [] {
               return ShowBox(true, MessageKind::Information, MessageButtons::Ok,
                              QStringLiteral("Это первый запуск программы.\n\rУкажите папку "
                                             "с дистрибутивами."));
             }},
        Case{"RefusedWorkingCopy",
             [] {
               return ShowBox(true, MessageKind::Error, MessageButtons::Ok,
                              QStringLiteral("Не удаётся создать рабочую копию базы ").repeated(6));
             }},
        Case{"QuestionWithNoOwner",
             [] {
               return ShowBox(false, MessageKind::Confirmation, MessageButtons::YesNoMustChoose,
                              QStringLiteral("Сохранить изменения в базе?"));
             }},
        Case{"ProgramDialog", ShowDialog}, Case{"FolderChooser", ShowFolderChooser}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kitrova::platform
