// The main window centres itself once its frame is known and may ask again briefly while
// the window manager has not followed; a move or resize made meanwhile by anyone else stays.
#include <QApplication>

#include <gtest/gtest.h>

#include <functional>

#include "main_test_support.h"

namespace kitrova::testing {
namespace {

class MainPlacementTest : public MainWindowTest {
 protected:
  MainPlacementTest() {
    writeSettings(catalogPath());
    writeCatalog(SampleRecords());
  }
};

TEST_F(MainPlacementTest, AChangeMadeWhileSettlingIsNeverUndone) {
  struct Change {
    const char* what;
    std::function<void(ui::TMainForm&)> make;
  };
  const Change changes[] = {
      {"resize",
       [](ui::TMainForm& f) { f.resize(1000 - (f.frameGeometry().width() - f.width()), 600); }},
      {"move", [](ui::TMainForm& f) { f.move(f.pos() + QPoint(37, 23)); }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    startShown();
    change.make(*form);
    QApplication::processEvents();
    const QRect changed = form->frameGeometry();
    // Longer than the window ever re-asks for its place.
    QTest::qWait(1200);
    EXPECT_EQ(form->frameGeometry(), changed);
    form.reset();
  }
}

}  // namespace
}  // namespace kitrova::testing
