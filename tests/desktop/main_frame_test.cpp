// The main window under a real X server and window manager: the designed outer size is the
// size with the frame, which the window manager reports only after the window is shown.
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "core/CatalogState.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/uMain.h"

namespace kitrova {
namespace {

TEST(MainWindowFrameTest, OuterSizeIsTheDesignedSizeOnceTheFrameIsKnown) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X server with a window manager (tools/with_window_manager.sh)";
  }
  testing::TempFolder folder;
  folder.installAssets();
  testing::WriteFileBytes(folder / "settings.ini",
                          "[dir]\r\npath=" + folder.path().string() + "/\r\n");
  core::CatalogState state(folder.path());
  testing::ScriptedDialogs dialogs;
  const QSize screen = QGuiApplication::primaryScreen()->size();
  ui::TMainForm form(state, dialogs, screen);
  form.show();

  const bool framed =
      QTest::qWaitFor([&] { return form.frameGeometry().size() != form.geometry().size(); }, 5000);
  if (!framed) GTEST_SKIP() << "no window manager put a frame around the window";
  const QSize expected =
      ui::TMainForm::ScaledWindowSize(screen, QSize(ui::kDesignedWidth, ui::kDesignedHeight));
  const QPoint centre = form.screen()->availableGeometry().center();
  const auto centred = [&] {
    return (form.frameGeometry().center() - centre).manhattanLength() <= 4;
  };
  const bool placed =
      QTest::qWaitFor([&] { return form.frameGeometry().size() == expected && centred(); }, 3000);
  EXPECT_TRUE(placed);
  EXPECT_EQ(form.frameGeometry().size(), expected);
  // Still centred on the desktop once the frame is counted.
  EXPECT_TRUE(centred()) << form.frameGeometry().x() << "," << form.frameGeometry().y();
  form.hide();
}

}  // namespace
}  // namespace kitrova
