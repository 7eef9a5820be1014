// The catalog at the edges of a run: a working copy named as the last catalog, a working
// copy that could not be taken, and a catalog that could not be put back at exit.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/CatalogFile.h"
#include "main_test_support.h"
#include "ui/uAddForm.h"

namespace kitrova::ui {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageKind;
using testing::CatalogBytes;
using testing::ReadFileBytes;
using testing::SampleRecords;
using testing::WriteFileBytes;

class CloseEdgesTest : public testing::MainWindowTest {
 protected:
  fs::path workingCopy() const { return core::WorkingCopyPath(folder.path()); }

  void expectOneError(const QString& part) {
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains(part)) << dialogs.messages[0].text.toStdString();
    dialogs.clear();
  }
};

TEST_F(CloseEdgesTest, WorkingCopyNamedAsTheLastCatalogIsRefusedAndSurvivesTheExit) {
  const std::string records = CatalogBytes(SampleRecords());
  WriteFileBytes(workingCopy(), records);
  fs::create_directory(folder / "sub");
  const fs::path named = folder / "sub" / ".." / "_TMP.krv";
  writeSettings(named);
  const std::string settingsBefore = ReadFileBytes(folder / "settings.ini");
  start();
  TAddForm addForm(folder.path(), dialogs);
  MainFormDialogs forms;
  forms.AddForm = &addForm;
  form->SetDialogs(forms);

  expectOneError(platform::PathToQString(named));
  ASSERT_FALSE(state->CatalogLoaded);  // else the add command below would show its dialog
  EXPECT_EQ(form->GridModel->rowCount(), 1);

  // Nothing may write to it now: not a record command, not a reload.
  form->AddSpeedButtonClick();
  expectOneError(QStringLiteral("не была прочитана"));
  form->OpenSpeedButtonClick();  // cancelled: the current catalog would be read again
  expectOneError(QStringLiteral("рабочая копия"));

  dialogs.answers = {MessageAnswer::No};
  form->close();
  EXPECT_EQ(dialogs.messages.size(), 1u);  // only the question: nothing had changed
  EXPECT_EQ(ReadFileBytes(workingCopy()), records);
  EXPECT_EQ(ReadFileBytes(folder / "settings.ini"), settingsBefore);
}

TEST_F(CloseEdgesTest, NoWorkingCopyMeansChangesStayAndTheUserIsToldTwice) {
  writeSettings(catalogPath());
  writeCatalog(SampleRecords());
  fs::create_directories(workingCopy() / "inside");  // the copy cannot be taken
  start();
  expectOneError(QStringLiteral("нельзя будет отменить при выходе"));

  const std::string changed = CatalogBytes({SampleRecords()[1]});
  WriteFileBytes(catalogPath(), changed);  // as a record command would have saved
  dialogs.answers = {MessageAnswer::No};
  form->close();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].kind, MessageKind::Error);
  EXPECT_TRUE(dialogs.messages[1].text.contains(platform::PathToQString(catalogPath())));
  EXPECT_TRUE(dialogs.messages[1].text.contains(QStringLiteral("не отменены")));
  EXPECT_EQ(ReadFileBytes(catalogPath()), changed);
  EXPECT_TRUE(fs::is_directory(workingCopy() / "inside"));
}

}  // namespace
}  // namespace kitrova::ui
