// The splash and About windows: layout, creation set-up, timer and closing by a click.
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/ModalDriver.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/uAboutForm.h"
#include "ui/uSplash.h"

namespace kitrova::ui {
namespace {

using platform::kPlatformNt;
using platform::kPlatformWin9x;
using platform::MessageButtons;
using platform::MessageKind;
using testing::ScriptedDialogs;
using testing::TempFolder;

SystemFacts Facts(int platformId, int major, int minor, std::uint32_t build,
                  std::string servicePack = "") {
  SystemFacts facts;
  facts.version.ok = true;
  facts.version.platformId = platformId;
  facts.version.major = major;
  facts.version.minor = minor;
  facts.version.build = build;
  facts.version.servicePack = std::move(servicePack);
  facts.memory.ok = true;
  facts.memory.totalPhysicalBytes = 536'870'912;
  facts.memory.memoryLoad = 45;
  return facts;
}

SystemFacts WindowsXp() {
  return Facts(kPlatformNt, 5, 1, 2600, "Service Pack 2");
}

std::filesystem::path PicturePath(const TempFolder& folder) {
  return folder.path() / "Pic" / "splash.bmp";
}

void WritePicture(const TempFolder& folder, QSize size) {
  std::filesystem::create_directories(folder.path() / "Pic");
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(10, 80, 160));
  ASSERT_TRUE(image.save(QString::fromStdString(PicturePath(folder).string()), "BMP"));
}

class SplashWindow : public ::testing::Test {
 protected:
  void SetUp() override { WritePicture(folder, QSize(129, 129)); }

  TempFolder folder;
  ScriptedDialogs dialogs;
};

TEST_F(SplashWindow, LayoutOfTheBorderlessWindow) {
  TForm1 splash(folder.path(), dialogs, WindowsXp());
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash.size(), QSize(393, 196));
  EXPECT_EQ(splash.palette().color(QPalette::Window), QColor(255, 251, 240));
  EXPECT_TRUE(splash.autoFillBackground());

  EXPECT_EQ(splash.Label1->text(), "Kitrova");
  EXPECT_EQ(splash.Label2->text(), QStringLiteral("версия 0.01"));
  EXPECT_FALSE(splash.Label3->text().isEmpty());
  EXPECT_EQ(splash.Label1->pos(), QPoint(24, 16));
  EXPECT_EQ(splash.Label2->pos(), QPoint(80, 48));
  EXPECT_EQ(splash.Label4->pos(), QPoint(8, 80));
  EXPECT_EQ(splash.Label5->pos(), QPoint(8, 104));
  EXPECT_EQ(splash.PhysMem->pos(), QPoint(8, 136));
  EXPECT_EQ(splash.FreeRes->pos(), QPoint(8, 152));
  EXPECT_EQ(splash.Label3->pos(), QPoint(176, 168));
  EXPECT_EQ(splash.Image1->geometry(), QRect(256, 8, 129, 129));

  EXPECT_TRUE(splash.Label1->font().bold());
  EXPECT_EQ(splash.Label1->font().pixelSize(), 21);
  EXPECT_EQ(splash.Label2->font().pixelSize(), 13);
  EXPECT_EQ(splash.Label4->font().pixelSize(), 12);
  EXPECT_EQ(splash.Label5->font().pixelSize(), 11);
  EXPECT_EQ(splash.PhysMem->font().pixelSize(), 11);
  EXPECT_EQ(splash.FreeRes->font().pixelSize(), 11);
  EXPECT_EQ(splash.Label3->font().pixelSize(), 12);

  // Labels grow with their text: the long lines are not cut at the design width.
  for (QLabel* label : {splash.Label4, splash.Label5, splash.PhysMem, splash.FreeRes}) {
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
  }
  // The notice fits inside the window, clear of its right edge.
  EXPECT_LE(splash.Label3->x() + splash.Label3->width(), 393);
}

TEST_F(SplashWindow, XpFillsTheLinesAndIsTranslucent) {
  TForm1 splash(folder.path(), dialogs, WindowsXp());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(splash.Label4->text(), "Windows XP");
  EXPECT_EQ(splash.Label5->text(), QStringLiteral("Версия 5.1(Build 2600 )"));
  EXPECT_EQ(splash.PhysMem->text(), MemoryLine(536'870'912, QLocale()));
  EXPECT_TRUE(splash.PhysMem->text().contains("524"));
  EXPECT_TRUE(splash.PhysMem->text().endsWith("288 KB"));
  EXPECT_EQ(splash.FreeRes->text(), QStringLiteral("Свободно 55 %"));
  EXPECT_TRUE(splash.Translucent());
  EXPECT_NEAR(splash.windowOpacity(), 225 / 255.0, 0.005);
}

TEST_F(SplashWindow, NtFourAndTwoThousandAreTranslucentToo) {
  EXPECT_TRUE(TForm1(folder.path(), dialogs, Facts(kPlatformNt, 4, 0, 1381)).Translucent());
  EXPECT_TRUE(TForm1(folder.path(), dialogs, Facts(kPlatformNt, 5, 0, 2195)).Translucent());
}

TEST_F(SplashWindow, NinetyEightSecondEditionStaysOpaque) {
  TForm1 splash(folder.path(), dialogs, Facts(kPlatformWin9x, 4, 10, 2222, " A "));
  EXPECT_EQ(splash.Label4->text(), "Windows 98SE");
  EXPECT_EQ(splash.Label5->text(), QStringLiteral("Версия 4.10(Build 2222 )"));
  EXPECT_FALSE(splash.Translucent());
  EXPECT_DOUBLE_EQ(splash.windowOpacity(), 1.0);

  TForm1 plain(folder.path(), dialogs, Facts(kPlatformWin9x, 4, 10, 1998, ""));
  EXPECT_EQ(plain.Label4->text(), "Windows 98");
  EXPECT_FALSE(plain.Translucent());
}

TEST_F(SplashWindow, VistaIsUnknownAndOpaque) {
  TForm1 splash(folder.path(), dialogs, Facts(kPlatformNt, 6, 0, 6000));
  EXPECT_EQ(splash.Label4->text(), QStringLiteral("Операционная система не определена"));
  EXPECT_EQ(splash.Label5->text(), QStringLiteral("Версия 6.0(Build 6000 )"));
  EXPECT_FALSE(splash.Translucent());
}

TEST_F(SplashWindow, AFailedMemoryQueryKeepsTheCaptions) {
  SystemFacts facts = WindowsXp();
  facts.memory = {};
  TForm1 splash(folder.path(), dialogs, facts);
  EXPECT_EQ(splash.PhysMem->text(), "PhysMem");
  EXPECT_EQ(splash.FreeRes->text(), "FreeRes");
  EXPECT_EQ(splash.Label4->text(), "Windows XP");
}

TEST_F(SplashWindow, PictureIsDrawnAtItsOwnSizeAndClipped) {
  WritePicture(folder, QSize(200, 150));
  TForm1 splash(folder.path(), dialogs, WindowsXp());
  EXPECT_EQ(splash.Image1->pixmap().size(), QSize(200, 150));
  EXPECT_EQ(splash.Image1->size(), QSize(129, 129));
  EXPECT_FALSE(splash.Image1->hasScaledContents());
  EXPECT_EQ(splash.Image1->alignment(), Qt::AlignLeft | Qt::AlignTop);
}

TEST_F(SplashWindow, SystemFactsOfThisComputer) {
  TForm1 splash(folder.path(), dialogs);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_NE(splash.PhysMem->text(), "PhysMem");
  EXPECT_TRUE(splash.FreeRes->text().startsWith(QStringLiteral("Свободно ")));
  EXPECT_TRUE(splash.Label5->text().startsWith(QStringLiteral("Версия ")));
}

class MissingPicture : public ::testing::Test {
 protected:
  void ExpectStoppedAtThePicture(const TForm1& window) {
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(
        dialogs.messages[0].text.contains(QString::fromStdString(PicturePath(folder).string())))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(window.Label4->text(), "OS");
    EXPECT_EQ(window.Label5->text(), "Type");
    EXPECT_EQ(window.PhysMem->text(), "PhysMem");
    EXPECT_EQ(window.FreeRes->text(), "FreeRes");
    EXPECT_FALSE(window.Translucent());
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    // The window itself is still usable and its timer runs.
    EXPECT_TRUE(window.Timer1->isActive());
  }

  TempFolder folder;
  ScriptedDialogs dialogs;
};

TEST_F(MissingPicture, NoFileStopsTheSetUp) {
  TForm1 splash(folder.path(), dialogs, WindowsXp());
  ExpectStoppedAtThePicture(splash);
}

TEST_F(MissingPicture, UnreadableFileStopsTheSetUp) {
  std::filesystem::create_directories(folder.path() / "Pic");
  testing::WriteFileBytes(PicturePath(folder), "BM not really a bitmap");
  TForm1 splash(folder.path(), dialogs, WindowsXp());
  ExpectStoppedAtThePicture(splash);
}

TEST_F(MissingPicture, AFolderInPlaceOfTheFileStopsTheSetUp) {
  std::filesystem::create_directories(PicturePath(folder));
  TAboutForm about(folder.path(), dialogs, WindowsXp());
  ExpectStoppedAtThePicture(about);
}

TEST_F(SplashWindow, TimerRunsTwoSecondsAndOnlySwitchesItselfOff) {
  TForm1 splash(folder.path(), dialogs, WindowsXp());
  EXPECT_EQ(splash.Timer1->interval(), 2000);
  EXPECT_TRUE(splash.Timer1->isActive());
  splash.show();
  splash.Timer1Timer();
  EXPECT_FALSE(splash.Timer1->isActive());
  EXPECT_TRUE(splash.isVisible());
  EXPECT_EQ(splash.result(), QDialog::Rejected);
  EXPECT_EQ(splash.Label4->text(), "Windows XP");
  EXPECT_TRUE(dialogs.messages.empty());
}

// The entry waits in a local event loop that the timer's first tick ends.
TEST_F(SplashWindow, TheEntrysWaitEndsWhenTheTimerSwitchesOff) {
  TForm1 splash(folder.path(), dialogs, WindowsXp());
  splash.Timer1->start(5);
  splash.show();
  QEventLoop wait;
  QObject::connect(splash.Timer1, &QTimer::timeout, &wait, &QEventLoop::quit, Qt::QueuedConnection);
  QTimer guard;
  guard.setSingleShot(true);
  bool timedOut = false;
  QObject::connect(&guard, &QTimer::timeout, &wait, [&] {
    timedOut = true;
    wait.quit();
  });
  guard.start(10'000);
  wait.exec();
  EXPECT_FALSE(timedOut);
  EXPECT_FALSE(splash.Timer1->isActive());
  EXPECT_TRUE(splash.isVisible());
}

class AboutWindow : public SplashWindow {
 protected:
  // Shows the window modally and clicks `target` once the modal loop runs.
  bool ClosedByClickOn(TAboutForm& about, QWidget* target, Qt::MouseButton button,
                       QPoint at = QPoint(2, 2)) {
    bool stillOpen = false;
    testing::ExecModal(about, [&] {
      QTest::mouseClick(target, button, Qt::NoModifier, at);
      stillOpen = about.isVisible();
      if (stillOpen) about.reject();
    });
    return !stillOpen;
  }
};

TEST_F(AboutWindow, KeepsTheSplashLayoutWithAOneSecondTimer) {
  TAboutForm about(folder.path(), dialogs, WindowsXp());
  EXPECT_EQ(about.Timer1->interval(), 1000);
  EXPECT_TRUE(about.Timer1->isActive());
  EXPECT_EQ(about.size(), QSize(393, 196));
  EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(about.Label4->text(), "Windows XP");
  EXPECT_EQ(about.FreeRes->text(), QStringLiteral("Свободно 55 %"));
  EXPECT_TRUE(about.Translucent());
  about.Timer1Timer();
  EXPECT_FALSE(about.Timer1->isActive());
  EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutWindow, ClosesOnAClickAnywhere) {
  TAboutForm about(folder.path(), dialogs, WindowsXp());
  EXPECT_TRUE(ClosedByClickOn(about, &about, Qt::LeftButton, QPoint(200, 100)));
  EXPECT_EQ(about.result(), QDialog::Rejected);
  for (QWidget* target :
       std::initializer_list<QWidget*>{about.Image1, about.Label1, about.Label2, about.Label3,
                                       about.Label4, about.Label5, about.PhysMem, about.FreeRes}) {
    EXPECT_TRUE(ClosedByClickOn(about, target, Qt::LeftButton))
        << target->objectName().toStdString();
  }
  // It can be shown again after every close.
  EXPECT_TRUE(ClosedByClickOn(about, about.Image1, Qt::LeftButton, QPoint(120, 120)));
}

TEST_F(AboutWindow, RightClickEscAndEnterDoNotClose) {
  TAboutForm about(folder.path(), dialogs, WindowsXp());
  EXPECT_FALSE(ClosedByClickOn(about, &about, Qt::RightButton, QPoint(200, 100)));
  EXPECT_FALSE(ClosedByClickOn(about, about.Label1, Qt::RightButton));

  bool stillOpen = false;
  testing::ExecModal(about, [&] {
    QTest::keyClick(&about, Qt::Key_Escape);
    QTest::keyClick(&about, Qt::Key_Return);
    QTest::keyClick(&about, Qt::Key_Enter);
    stillOpen = about.isVisible();
    about.reject();
  });
  EXPECT_TRUE(stillOpen);
}

TEST_F(AboutWindow, NamedHandlersEachClose) {
  TAboutForm about(folder.path(), dialogs, WindowsXp());
  using Handler = void (TAboutForm::*)();
  for (Handler handler :
       {&TAboutForm::FormClick, &TAboutForm::Image1Click, &TAboutForm::Label1Click,
        &TAboutForm::Label2Click, &TAboutForm::Label3Click, &TAboutForm::PhysMemClick,
        &TAboutForm::FreeResClick}) {
    bool stillOpen = true;
    testing::ExecModal(about, [&] {
      (about.*handler)();
      stillOpen = about.isVisible();
      if (stillOpen) about.reject();
    });
    EXPECT_FALSE(stillOpen);
  }
}

}  // namespace
}  // namespace kitrova::ui
