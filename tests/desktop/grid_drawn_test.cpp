// The main window started again and again under a real X server and window manager: each
// time the grid must be on the screen (header texts and rows), with its columns sized from
// the window's outer width, frame included.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/CatalogState.h"
#include "support/RecordTexts.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"

namespace kitrova {
namespace {

constexpr int kStarts = 25;

// Pixels dark enough to be text or grid lines, in what the screen shows of `widget`.
int DarkPixelsOnScreen(QWidget& widget) {
  const QPoint topLeft = widget.mapToGlobal(QPoint(0, 0));
  const QImage shot = widget.screen()
                          ->grabWindow(0, topLeft.x(), topLeft.y(), widget.width(), widget.height())
                          .toImage();
  int dark = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      if (qGray(shot.pixel(x, y)) < 96) ++dark;
    }
  }
  return dark;
}

TEST(GridDrawnTest, EveryStartShowsTheGridWithColumnsFromTheOuterWidth) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X server with a window manager (tools/with_window_manager.sh)";
  }
  testing::TempFolder folder;
  folder.installAssets();
  testing::WriteFileBytes(folder / "settings.ini",
                          "[lastbase]\r\npath=" + (folder / "base.krv").string() +
                              "\r\n[dir]\r\npath=" + folder.path().string() + "/\r\n");
  std::vector<testing::RecordTexts> records;
  for (int k = 0; k < 2000; ++k) {
    records.push_back(testing::Rec(QStringLiteral("Program %1").arg(k)));
  }
  testing::WriteFileBytes(folder / "base.krv", testing::CatalogBytes(records));
  const QSize screen = QGuiApplication::primaryScreen()->size();

  for (int start = 1; start <= kStarts; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    core::CatalogState state(folder.path());
    testing::ScriptedDialogs dialogs;
    auto form = std::make_unique<ui::TMainForm>(state, dialogs, screen);
    form->show();
    if (!QTest::qWaitFor([&] { return form->frameGeometry().size() != form->geometry().size(); },
                         5000)) {
      GTEST_SKIP() << "no window manager put a frame around the window";
    }
    ui::TStringGrid& grid = *form->BaseStringGrid;
    QWidget& cells = *grid.viewport();
    // Header texts and rows reach the screen without any help: no click, no resize.
    EXPECT_TRUE(QTest::qWaitFor([&] { return DarkPixelsOnScreen(cells) > 500; }, 3000))
        << DarkPixelsOnScreen(cells) << " dark pixels in the grid";
    const QSize designed =
        ui::TMainForm::ScaledWindowSize(screen, QSize(ui::kDesignedWidth, ui::kDesignedHeight));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->frameGeometry().size() == designed; }, 3000));
    const int outer = form->frameGeometry().width();
    EXPECT_EQ(grid.columnWidth(0), outer / 5);
    EXPECT_EQ(grid.columnWidth(3), outer / 10);
    EXPECT_EQ(grid.columnWidth(4), outer / 2);
    form->hide();
    form.reset();
  }
}

}  // namespace
}  // namespace kitrova
