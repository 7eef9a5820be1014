// Starting an installer the system cannot open: the one error box names the file and gives
// the system's reason; nothing else changes.
#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>
#include <system_error>

#include "main_test_support.h"
#include "platform/Cp1251.h"
#include "platform/Dialogs.h"

namespace kitrova::testing {
namespace {

namespace fs = std::filesystem;
using platform::MessageButtons;
using platform::MessageKind;

// The text of the error the system's "open" throws for `path`, or "" when it started.
QString OpenFailure(const QString& path) {
  try {
    platform::OpenWithShell(path);
  } catch (const platform::ShellOpenError& error) {
    return QString::fromUtf8(error.what());
  }
  return {};
}

TEST(ShellOpenTest, AFileTheSystemCannotOpenGivesTheSystemsReason) {
  TempFolder folder;
  WriteFileBytes(folder / "setup.exe", "MZ");
  const QString missing = platform::PathToQString(folder / "gone" / "setup.exe");
  const QString present = platform::PathToQString(folder / "setup.exe");
  struct Case {
    const char* what;
    QString path;
    QString reason;
  };
  const Case cases[] = {
      {"a file that is not there", missing,
       QString::fromLocal8Bit(
           std::make_error_code(std::errc::no_such_file_or_directory).message())},
      // The offscreen platform that runs the tests has no launcher at all.
      {"no program that opens files", present, QStringLiteral("xdg-utils")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString text = OpenFailure(c.path);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Не удаётся открыть файл ") + c.path + ": "))
        << text.toStdString();
    EXPECT_TRUE(text.contains(c.reason)) << text.toStdString();
  }
}

class RunFailureTest : public MainWindowTest {};

TEST_F(RunFailureTest, TheRunCommandShowsTheFailureInOneErrorBox) {
  writeSettings(catalogPath());
  writeCatalog({Rec("Far")});
  const std::string onDisk = ReadFileBytes(catalogPath());
  start();
  form->BaseStringGrid->SetRow(1);
  dialogs.shellFailures = {QStringLiteral("Нет такого файла или каталога")};
  form->RunSpeedButtonClick();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(
      dialogs.messages[0].text,
      QStringLiteral("Не удаётся открыть файл C:\\d\\Far.exe: Нет такого файла или каталога"));
  EXPECT_EQ(form->CurrentRow(), 1);
  EXPECT_EQ(ReadFileBytes(catalogPath()), onDisk);
}

}  // namespace
}  // namespace kitrova::testing
