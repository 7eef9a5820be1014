// The window is never a second writer that overwrites another: kitrova-cli is refused while
// the window holds the catalog, a catalog changed on disk is read again before any change,
// and "Нет" at exit never drops another program's records without asking.

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/CatalogFile.h"
#include "core/FileLock.h"
#include "platform/Cp1251.h"
#include "settings/Settings.h"
#include "support/ModalDriver.h"
#include "support/Processes.h"
#include "support/RecordTexts.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/RecordForm.h"
#include "ui/StringGrid.h"
#include "ui/uAddForm.h"
#include "ui/uEditForm.h"
#include "ui/uMain.h"

namespace kitrova::ui {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using testing::ModalDriver;
using testing::ReadFileBytes;
using testing::Rec;
using testing::WriteFileBytes;

const QString kReloaded = QStringLiteral("изменила другая программа");
const QString kNotCarriedOut = QStringLiteral("команда не выполнена");

class WindowAndCliTest : public ::testing::Test {
 public:
  WindowAndCliTest() {
    folder.installAssets();
    catalog = folder / "cat.krv";
  }

  void Start(const std::vector<RecordTexts>& records) {
    WriteFileBytes(catalog, testing::CatalogBytes(records));
    settings::WriteSetting(folder.path(), settings::kLastBaseSection, settings::kPathKey,
                           catalog.string());
    settings::WriteSetting(folder.path(), settings::kDirSection, settings::kPathKey,
                           folder.path().string());
    state = std::make_unique<core::CatalogState>(folder.path());
    main = std::make_unique<TMainForm>(*state, dialogs, QSize(1024, 768));
    add = std::make_unique<TAddForm>(folder.path(), dialogs);
    edit = std::make_unique<TEditForm>(folder.path(), dialogs);
    MainFormDialogs forms;
    forms.AddForm = add.get();
    forms.EditForm = edit.get();
    main->SetDialogs(forms);
    ASSERT_TRUE(state->CatalogLoaded);
  }

  void Close() {
    main.reset();
    state.reset();
  }

  QStringList FileNames() const {
    const std::string bytes = ReadFileBytes(catalog);
    QStringList names;
    for (std::size_t at = 0; at + core::kRecordSize <= bytes.size(); at += core::kRecordSize) {
      core::DistroRecord r;
      std::memcpy(&r, bytes.data() + at, sizeof r);
      names << platform::FromCp1251(r.Name.view());
    }
    return names;
  }

  QStringList GridNames() const {
    QStringList names;
    for (int row = 1; row < main->GridModel->rowCount(); ++row) {
      names << main->GridModel->data(main->GridModel->index(row, 0)).toString();
    }
    return names;
  }

  void AddThroughDialog(const QString& name, const std::function<void()>& meanwhile = {}) {
    ModalDriver modals;
    modals.answer(*add, [&](RecordForm& f) {
      f.SetTexts(Rec(name));
      if (meanwhile) meanwhile();
      f.AddButton->click();
    });
    main->AddSpeedButtonClick();
  }

  bool Said(const QString& words) const {
    for (const QString& text : dialogs.texts()) {
      if (text.contains(words)) return true;
    }
    return false;
  }

  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  fs::path catalog;
  std::unique_ptr<core::CatalogState> state;
  std::unique_ptr<TMainForm> main;
  std::unique_ptr<TAddForm> add;
  std::unique_ptr<TEditForm> edit;
};

TEST_F(WindowAndCliTest, ImportWhileTheWindowHasTheCatalogIsRefusedAndNothingIsLost) {
  Start({Rec("Alpha"), Rec("Beta")});
  WriteFileBytes(folder / "more.csv", "Name\nImported1\nImported2\nImported3\n");
  const std::vector<std::string> import = {"import", catalog.string(),
                                           (folder / "more.csv").string()};
  const std::string bytes = ReadFileBytes(catalog);
  const auto time = fs::last_write_time(catalog);
  const fs::path errors = folder / "errors.txt";

  EXPECT_EQ(testing::RunProgram(KITROVA_CLI_EXE, import, errors.string()), 2);
  EXPECT_NE(ReadFileBytes(errors).find("open in Kitrova, process " +
                                       std::to_string(core::CurrentProcessId())),
            std::string::npos)
      << ReadFileBytes(errors);
  EXPECT_EQ(ReadFileBytes(catalog), bytes);
  EXPECT_EQ(fs::last_write_time(catalog), time);

  AddThroughDialog(QStringLiteral("Gamma"));
  EXPECT_EQ(FileNames(), QStringList({"Alpha", "Beta", "Gamma"}));
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();

  Close();
  EXPECT_EQ(testing::RunProgram(KITROVA_CLI_EXE, import), 0);
  EXPECT_EQ(FileNames(),
            QStringList({"Alpha", "Beta", "Gamma", "Imported1", "Imported2", "Imported3"}));
}

TEST_F(WindowAndCliTest, ACatalogChangedOnDiskIsReadAgainBeforeAnyChange) {
  using Command = std::function<void(WindowAndCliTest&, const std::function<void()>&)>;
  const Command add = [](WindowAndCliTest& t, auto& meanwhile) {
    t.AddThroughDialog("New", meanwhile);
  };
  const Command edit = [](WindowAndCliTest& t, auto& meanwhile) {
    t.main->BaseStringGrid->SetRow(1);
    ModalDriver modals;
    modals.answer(*t.edit, [&](RecordForm& f) {
      f.NameEdit->setText("Alpha2");
      if (meanwhile) meanwhile();
      f.AddButton->click();
    });
    t.main->EditSpeedButtonClick();
  };
  const Command editGone = [](WindowAndCliTest& t, auto&) {
    t.main->BaseStringGrid->SetRow(1);
    ModalDriver noDialog;
    t.main->EditSpeedButtonClick();
  };
  const Command erase = [](WindowAndCliTest& t, auto& meanwhile) {
    t.main->BaseStringGrid->SetRow(1);
    t.dialogs.onMessage = [&](const testing::MessageRecord& m) {
      if (meanwhile && m.kind == platform::MessageKind::Confirmation) meanwhile();
    };
    t.main->DelSpeedButtonClick();
    t.dialogs.onMessage = nullptr;
  };
  const Command activate = [](WindowAndCliTest& t, auto&) {
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(t.main.get(), &activation);
    QApplication::sendEvent(t.main.get(), &activation);
  };
  const QStringList keeps = {"Alpha", "Beta", "Outside"};
  const QStringList drops = {"Beta", "Outside"};
  struct Case {
    const char* name;
    Command command;
    QStringList outside;  // what another program writes, without taking the lock
    bool duringDialog;    // while the dialog or question is open, else before the command
    QStringList fileAfter;
    std::size_t messages;
    bool notCarriedOut;
  };
  const Case cases[] = {
      {"add", add, keeps, false, {"Alpha", "Beta", "New", "Outside"}, 1, false},
      {"add, dialog open", add, keeps, true, {"Alpha", "Beta", "New", "Outside"}, 1, false},
      {"edit", edit, keeps, false, {"Alpha2", "Beta", "Outside"}, 1, false},
      {"edit, dialog open", edit, keeps, true, {"Alpha2", "Beta", "Outside"}, 1, false},
      {"edit, record gone", editGone, drops, false, drops, 1, true},
      {"edit, record gone with dialog open", edit, drops, true, drops, 1, true},
      {"delete", erase, keeps, false, {"Beta", "Outside"}, 2, false},
      {"delete, record gone at the question", erase, drops, true, drops, 2, true},
      {"window activated", activate, keeps, false, keeps, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start({Rec("Alpha"), Rec("Beta")});
    const auto writeOutside = [&] {
      std::vector<RecordTexts> records;
      for (const QString& name : c.outside) records.push_back(Rec(name));
      WriteFileBytes(catalog, testing::CatalogBytes(records));
    };
    if (!c.duringDialog) writeOutside();
    dialogs.clear();
    c.command(*this, c.duringDialog ? writeOutside : std::function<void()>());

    EXPECT_EQ(FileNames(), c.fileAfter);
    EXPECT_EQ(GridNames(), c.fileAfter);
    EXPECT_EQ(dialogs.texts().size(), c.messages);
    EXPECT_TRUE(Said(kReloaded));
    EXPECT_EQ(Said(kNotCarriedOut), c.notCarriedOut);
    EXPECT_TRUE(state->ChangedElsewhere);
    Close();
  }
}

TEST_F(WindowAndCliTest, ACatalogThatCannotBeReadAgainIsNeverWritten) {
  Start({Rec("Alpha")});
  fs::remove(catalog);
  fs::create_directory(catalog);
  ModalDriver noDialog;
  main->AddSpeedButtonClick();
  main->AddSpeedButtonClick();
  ASSERT_EQ(dialogs.texts().size(), 2u);
  EXPECT_TRUE(Said(QStringLiteral("не была прочитана")));
  EXPECT_FALSE(state->CatalogLoaded);
  EXPECT_TRUE(fs::is_directory(catalog));
}

TEST_F(WindowAndCliTest, NoAtExitAsksBeforeDroppingAnotherProgramsRecords) {
  struct Case {
    const char* name;
    bool outsideWrite;
    std::deque<MessageAnswer> answers;  // the save question, then the new one
    QStringList fileAfter;
    std::size_t questions;
  };
  const Case cases[] = {
      {"nobody else wrote", false, {MessageAnswer::No}, {"Alpha"}, 1},
      {"put back anyway", true, {MessageAnswer::No, MessageAnswer::Yes}, {"Alpha"}, 2},
      {"keep them", true, {MessageAnswer::No, MessageAnswer::No}, {"Alpha", "Mine", "Outside"}, 2},
      {"closed box keeps them",
       true,
       {MessageAnswer::No, MessageAnswer::Closed},
       {"Alpha", "Mine", "Outside"},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start({Rec("Alpha")});
    AddThroughDialog(QStringLiteral("Mine"));
    if (c.outsideWrite) {
      WriteFileBytes(catalog, testing::CatalogBytes({Rec("Alpha"), Rec("Mine"), Rec("Outside")}));
    }
    dialogs.clear();
    dialogs.answers = c.answers;
    main->FormClose();
    EXPECT_EQ(dialogs.texts().size(), c.questions);
    EXPECT_EQ(FileNames(), c.fileAfter);
    EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
    Close();
  }
}

TEST_F(WindowAndCliTest, OpeningACatalogAnotherProgramHoldsIsRefused) {
  Start({Rec("Alpha")});
  const fs::path other = folder / "other.krv";
  WriteFileBytes(other, testing::CatalogBytes({Rec("Other")}));
  const core::FileLock elsewhere = core::LockCatalog(other, core::kProgramLockHolder);
  dialogs.fileAnswers = {platform::PathToQString(other)};
  main->OpenSpeedButtonClick();
  ASSERT_EQ(dialogs.texts().size(), 1u);
  EXPECT_TRUE(Said(QStringLiteral("открыта в другой программе (Kitrova, процесс %1)")
                       .arg(core::CurrentProcessId())));
  EXPECT_EQ(state->CurrentBasePath, catalog);
  EXPECT_EQ(GridNames(), QStringList({"Alpha"}));
  AddThroughDialog(QStringLiteral("Beta"));
  EXPECT_EQ(FileNames(), QStringList({"Alpha", "Beta"}));
}

}  // namespace
}  // namespace kitrova::ui
