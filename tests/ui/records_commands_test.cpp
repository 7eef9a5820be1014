// Add, edit and delete on a real main window with real dialogs: what reaches the table, the
// file, the grid and the backup folder, in which order, and what is refused.

#include <QAbstractItemModel>
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/CatalogFile.h"
#include "core/CatalogOps.h"
#include "core/Sort.h"
#include "platform/Cp1251.h"
#include "settings/Settings.h"
#include "support/ModalDriver.h"
#include "support/RecordTexts.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/RecordCommands.h"
#include "ui/StringGrid.h"
#include "ui/uAddForm.h"
#include "ui/uEditForm.h"
#include "ui/uMain.h"

namespace kitrova::ui {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageKind;
using testing::ModalDriver;
using testing::ReadFileBytes;
using testing::Rec;
using testing::ScriptedDialogs;
using testing::TempFolder;
using testing::WriteFileBytes;

const QString kChooseDistro = QStringLiteral("Выберите дистрибутив!");
const QString kDeleteQuestion = QStringLiteral("Удалить запись о дистрибутиве?");

using Step = std::function<void(RecordForm&)>;

Step Confirm(const RecordTexts& texts) {
  return [texts](RecordForm& f) {
    f.SetTexts(texts);
    f.AddButton->click();
  };
}
Step CloseBox(const RecordTexts& texts) {
  return [texts](RecordForm& f) {
    f.SetTexts(texts);
    f.close();
  };
}
Step Cancel() {
  return [](RecordForm& f) { f.CancelButton->click(); };
}

class RecordCommandsTest : public ::testing::Test {
 protected:
  void Start(const std::vector<RecordTexts>& records, bool backup = false) {
    main.reset();
    add.reset();
    edit.reset();
    state.reset();
    if (!assetsInstalled_) {
      folder.installAssets();
      assetsInstalled_ = true;
    }
    catalog = folder / "cat.krv";
    WriteFileBytes(catalog, testing::CatalogBytes(records));
    settings::WriteSetting(folder.path(), settings::kLastBaseSection, settings::kPathKey,
                           catalog.string());
    settings::WriteSetting(folder.path(), settings::kDirSection, settings::kPathKey,
                           folder.path().string());
    settings::WriteSetting(folder.path(), settings::kBackupSection, settings::kDoKey,
                           backup ? "yes" : "no");
    dialogs.clear();
    state = std::make_unique<core::CatalogState>(folder.path());
    main = std::make_unique<TMainForm>(*state, dialogs, QSize(1024, 768));
    add = std::make_unique<TAddForm>(folder.path(), dialogs);
    edit = std::make_unique<TEditForm>(folder.path(), dialogs);
    MainFormDialogs forms;
    forms.AddForm = add.get();
    forms.EditForm = edit.get();
    main->SetDialogs(forms);
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    ASSERT_TRUE(state->CatalogLoaded);
    ASSERT_EQ(state->DistroTable.count(), static_cast<int>(records.size()));
    ASSERT_EQ(state->BackupEnabled, backup);
  }

  static std::string Image(const core::DistroRecord& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
  }

  QStringList FileNames() const {
    const std::string bytes = ReadFileBytes(catalog);
    EXPECT_EQ(bytes.size() % core::kRecordSize, 0u);
    QStringList names;
    for (std::size_t at = 0; at + core::kRecordSize <= bytes.size(); at += core::kRecordSize) {
      core::DistroRecord r;
      std::memcpy(&r, bytes.data() + at, sizeof r);
      names << platform::FromCp1251(r.Name.view());
    }
    return names;
  }
  QStringList TableNames() const {
    QStringList names;
    for (int k = 1; k <= state->DistroTable.count(); ++k) {
      names << platform::FromCp1251(state->DistroTable.at(k).Name.view());
    }
    return names;
  }
  int GridRows() const { return main->BaseStringGrid->model()->rowCount(); }
  QString Grid(int row, int column) const {
    const QAbstractItemModel* m = main->BaseStringGrid->model();
    return m->data(m->index(row, column)).toString();
  }
  QStringList GridNames() const {
    QStringList names;
    for (int row = 1; row < GridRows(); ++row) names << Grid(row, 0);
    return names;
  }
  int BackupCopies() const {
    int n = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder / "Backup", ec)) {
      if (entry.path().filename().string().rfind("backup", 0) == 0) ++n;
    }
    return n;
  }
  void RemoveBackupCopies() const {
    for (const auto& entry : fs::directory_iterator(folder / "Backup")) {
      if (entry.path().filename().string().rfind("backup", 0) == 0) fs::remove(entry.path());
    }
  }
  void Select(int row) {
    main->BaseStringGrid->SetRow(row);
    ASSERT_EQ(main->CurrentRow(), row);
  }

  TempFolder folder;
  fs::path catalog;
  ScriptedDialogs dialogs;
  std::unique_ptr<core::CatalogState> state;
  std::unique_ptr<TAddForm> add;
  std::unique_ptr<TEditForm> edit;
  std::unique_ptr<TMainForm> main;

 private:
  bool assetsInstalled_ = false;
};

// --- Add ---------------------------------------------------------------------------------

TEST_F(RecordCommandsTest, AddToAnEmptyCatalog) {
  Start({});
  ModalDriver modals;
  const RecordTexts texts{"7-Zip", "Утилиты", "Freeware", "2005", "архиватор", "C:\\d\\7z.exe"};
  modals.answer(*add, [&](RecordForm& f) {
    EXPECT_TRUE(f.Texts().name.isEmpty()) << "the add dialog starts empty";
    Confirm(texts)(f);
  });
  main->AddSpeedButtonClick();

  EXPECT_EQ(modals.shown(*add), 1);
  EXPECT_TRUE(dialogs.messages.empty());
  ASSERT_EQ(state->DistroTable.count(), 1);
  const std::string file = ReadFileBytes(catalog);
  ASSERT_EQ(file.size(), 1536u);
  EXPECT_EQ(file, Image(*RecordFromTexts(texts)));
  EXPECT_EQ(file.substr(256, 8), std::string("\x07\xD3\xF2\xE8\xEB\xE8\xF2\xFB", 8))
      << "Утилиты in Windows-1251";
  EXPECT_EQ(platform::FromCp1251(state->CurrentRecord.Name.view()), QStringLiteral("7-Zip"));
  EXPECT_EQ(GridRows(), 2);
  EXPECT_EQ(Grid(1, 0), QStringLiteral("7-Zip"));
  EXPECT_EQ(Grid(1, 4), QStringLiteral("архиватор"));
  EXPECT_EQ(main->CurrentRow(), 0) << "nothing selected";
  EXPECT_TRUE(add->Texts().name.isEmpty()) << "emptied for the next add";
  EXPECT_TRUE(add->Texts().path.isEmpty());
}

TEST_F(RecordCommandsTest, AddedRecordsStandAtTheirNamePlaceAndMayRepeat) {
  Start({Rec("Beta"), Rec("Delta")});
  Select(2);
  ModalDriver modals;
  modals.answer(*add, [&](RecordForm& f) {
    EXPECT_EQ(main->CurrentRow(), 0) << "selection cleared before the dialog";
    Confirm(Rec("charlie"))(f);
  });
  modals.answer(*add, Confirm(Rec("charlie")));
  main->AddSpeedButtonClick();
  main->AddSpeedButtonClick();

  const QStringList expected{"Beta", "charlie", "charlie", "Delta"};
  EXPECT_EQ(TableNames(), expected);
  EXPECT_EQ(FileNames(), expected);
  EXPECT_EQ(GridNames(), expected);
  EXPECT_EQ(main->CurrentRow(), 0);
  // After an add, edit and delete find nothing selected.
  main->EditSpeedButtonClick();
  main->DelSpeedButtonClick();
  EXPECT_EQ(dialogs.texts(), (std::vector<QString>{kChooseDistro, kChooseDistro}));
}

TEST_F(RecordCommandsTest, CommentOf300CharactersIsStoredAs255) {
  Start({});
  ModalDriver modals;
  RecordTexts texts = Rec("Long");
  texts.comment = QString(300, QChar(0x0436));  // ж
  modals.answer(*add, Confirm(texts));
  main->AddSpeedButtonClick();

  const core::DistroField& comment = state->DistroTable.at(1).Comment;
  EXPECT_EQ(comment.length, 255);
  EXPECT_EQ(comment.str(), std::string(255, '\xE6'));
  EXPECT_EQ(ReadFileBytes(catalog).substr(1024, 1), std::string(1, '\xFF'));
}

TEST_F(RecordCommandsTest, FullTableIsRefusedBeforeTheDialog) {
  std::vector<RecordTexts> records;
  for (int i = 0; i < core::kCatalogCapacity; ++i) records.push_back(Rec(QString::number(i)));
  Start(records);
  const auto before = fs::file_size(catalog);
  ModalDriver modals;
  main->AddSpeedButtonClick();

  EXPECT_EQ(modals.shown(*add), 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("10000")))
      << dialogs.messages[0].text.toStdString();
  EXPECT_EQ(state->DistroTable.count(), core::kCatalogCapacity);
  EXPECT_EQ(fs::file_size(catalog), before);
}

// --- Edit --------------------------------------------------------------------------------

TEST_F(RecordCommandsTest, EditFillsTheDialogAndARenamedRecordMoves) {
  RecordTexts alpha = Rec("Alpha", "Игры");
  alpha.comment = QStringLiteral("first\r\nsecond");
  alpha.year = QStringLiteral("19  ");
  Start({alpha, Rec("Bravo"), Rec("Charlie")});
  Select(1);
  ModalDriver modals;
  modals.answer(*edit, [&](RecordForm& f) {
    const RecordTexts shown = f.Texts();
    EXPECT_EQ(shown.name, alpha.name);
    EXPECT_EQ(shown.type, alpha.type);
    EXPECT_EQ(shown.license, alpha.license);
    EXPECT_EQ(shown.year, alpha.year);
    EXPECT_EQ(shown.comment, alpha.comment);
    EXPECT_EQ(shown.path, alpha.path);
    f.NameEdit->setText(QStringLiteral("Zulu"));
    f.AddButton->click();
  });
  main->EditSpeedButtonClick();

  EXPECT_TRUE(dialogs.messages.empty());
  const QStringList expected{"Bravo", "Charlie", "Zulu"};
  EXPECT_EQ(TableNames(), expected);
  EXPECT_EQ(FileNames(), expected);
  EXPECT_EQ(GridNames(), expected);
  RecordTexts zulu = alpha;
  zulu.name = QStringLiteral("Zulu");
  EXPECT_EQ(Image(state->DistroTable.at(3)), Image(*RecordFromTexts(zulu)))
      << "the other fields, line breaks included, are kept byte for byte";
  EXPECT_EQ(main->CurrentRow(), 0);
  EXPECT_TRUE(edit->Texts().name.isEmpty()) << "emptied after a confirmed edit";
}

TEST_F(RecordCommandsTest, EditWithoutASelectionLeavesABackupCopyThenRefuses) {
  Start({Rec("Alpha")}, /*backup=*/true);
  int copiesAtMessage = -1;
  dialogs.onMessage = [&](const testing::MessageRecord&) { copiesAtMessage = BackupCopies(); };
  ModalDriver modals;
  main->EditSpeedButtonClick();

  EXPECT_EQ(modals.shown(*edit), 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, kChooseDistro);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(copiesAtMessage, 1) << "the backup copy comes before the check";
}

// --- The close box and cancel ------------------------------------------------------------

TEST_F(RecordCommandsTest, CloseBoxConfirmsWithTheFieldsUnvalidated) {
  Start({Rec("Bravo")});
  ModalDriver modals;
  modals.answer(*add, CloseBox({"Alpha", "", "", "", "", ""}));
  main->AddSpeedButtonClick();
  ASSERT_EQ(TableNames(), (QStringList{"Alpha", "Bravo"}));
  const core::DistroRecord& alpha = state->DistroTable.at(1);
  EXPECT_EQ(alpha.Type.length, 0);
  EXPECT_EQ(alpha.Year.str(), "    ") << "an unfilled year is four blanks";
  EXPECT_EQ(alpha.Path.length, 0);
  EXPECT_TRUE(dialogs.messages.empty()) << "no check ran";

  Select(2);
  modals.answer(*edit, [](RecordForm& f) {
    f.PathEdit->clear();
    f.close();
  });
  main->EditSpeedButtonClick();
  EXPECT_EQ(state->DistroTable.at(2).Path.length, 0);
  EXPECT_EQ(ReadFileBytes(catalog).substr(1536 + 1280, 1), std::string(1, '\0'));
}

TEST_F(RecordCommandsTest, CancelledDialogsChangeNothing) {
  Start({Rec("Alpha"), Rec("Bravo")});
  const std::string before = ReadFileBytes(catalog);
  ModalDriver modals;
  modals.answer(*add, Cancel());
  // An emptied name closed by the close box is a cancel too; the dialog keeps its fields.
  modals.answer(*add, CloseBox({"", "Игры", "", "", "", ""}));
  main->AddSpeedButtonClick();
  main->AddSpeedButtonClick();
  EXPECT_EQ(add->Texts().type, QStringLiteral("Игры"));

  modals.answer(*edit, Cancel());
  modals.answer(*edit, [](RecordForm& f) {
    f.NameEdit->clear();
    f.close();
  });
  Select(2);
  main->EditSpeedButtonClick();
  Select(1);
  main->EditSpeedButtonClick();

  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(ReadFileBytes(catalog), before);
  EXPECT_EQ(TableNames(), (QStringList{"Alpha", "Bravo"}));
  EXPECT_EQ(GridRows(), 3);
}

// --- Text Windows-1251 cannot hold --------------------------------------------------------

TEST_F(RecordCommandsTest, UnencodableTextIsNeverStored) {
  Start({Rec("Alpha")});
  const QString emoji = QStringLiteral("😀");

  // The add button refuses it and the dialog stays open until the text is fixed.
  ModalDriver modals;
  modals.answer(*add, [&](RecordForm& f) {
    RecordTexts texts = Rec("Bravo");
    texts.comment = QStringLiteral("смайл ") + emoji;
    f.SetTexts(texts);
    f.AddButton->click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(dialogs.messages.size(), 1u);
    f.CommentMemo->setPlainText(QStringLiteral("смайл"));
    f.AddButton->click();
  });
  main->AddSpeedButtonClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(
      dialogs.messages[0].text,
      QStringLiteral("Поле «Примечание» содержит символ «😀», который нельзя сохранить в базе."));
  EXPECT_EQ(TableNames(), (QStringList{"Alpha", "Bravo"}));
  EXPECT_EQ(platform::FromCp1251(state->DistroTable.at(2).Comment.view()), QStringLiteral("смайл"));

  // The close box skips that check: the command refuses and shows the dialog again, with
  // the fields as they were; a cancel then ends it with nothing stored.
  const std::string afterAdd = ReadFileBytes(catalog);
  dialogs.clear();
  modals.answer(*add, CloseBox({QStringLiteral("工具"), "", "", "", "", ""}));
  modals.answer(*add, [](RecordForm& f) {
    EXPECT_EQ(f.Texts().name, QStringLiteral("工具"));
    f.CancelButton->click();
  });
  main->AddSpeedButtonClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("«Название программы»")));
  EXPECT_EQ(ReadFileBytes(catalog), afterAdd);
  EXPECT_EQ(state->DistroTable.count(), 2);

  // The same for edit; fixing the text and closing again stores the fixed text.
  dialogs.clear();
  Select(1);
  modals.answer(*edit, [&](RecordForm& f) {
    f.PathEdit->setText(QStringLiteral("C:\\") + emoji + QStringLiteral(".exe"));
    f.close();
  });
  modals.answer(*edit, [](RecordForm& f) {
    f.PathEdit->setText(QStringLiteral("C:\\ok.exe"));
    f.close();
  });
  main->EditSpeedButtonClick();
  EXPECT_EQ(modals.shown(*edit), 2);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("«Путь к дистрибутиву»")));
  EXPECT_EQ(state->DistroTable.at(1).Path.str(), "C:\\ok.exe");
}

// --- Delete ------------------------------------------------------------------------------

struct DeleteCase {
  int records;
  int row;
  QStringList left;
  int current;
};

TEST_F(RecordCommandsTest, DeleteAtFirstMiddleLastAndOnlyRow) {
  const QStringList all{"Alpha", "Bravo", "Charlie"};
  const DeleteCase cases[] = {
      {3, 1, {"Bravo", "Charlie"}, 1},
      {3, 2, {"Alpha", "Charlie"}, 2},
      {3, 3, {"Alpha", "Bravo"}, 2},
      {1, 1, {}, 0},
  };
  for (const DeleteCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.records << " records, row " << c.row);
    std::vector<RecordTexts> records;
    for (int i = 0; i < c.records; ++i) records.push_back(Rec(all[i]));
    Start(records);
    Select(c.row);
    dialogs.answers.push_back(MessageAnswer::Yes);
    main->DelSpeedButtonClick();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kDeleteQuestion);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(TableNames(), c.left);
    EXPECT_EQ(FileNames(), c.left);
    EXPECT_EQ(GridNames(), c.left);
    EXPECT_EQ(fs::file_size(catalog), 1536u * c.left.size());
    EXPECT_EQ(main->CurrentRow(), c.current);
  }
}

TEST_F(RecordCommandsTest, DeleteAfterATypeSortWritesTypeOrderAndAddSortsByNameAgain) {
  Start({Rec("Alpha", "Сети"), Rec("Bravo", "Аудио"), Rec("Charlie", "Игры")});
  core::SortByType(state->DistroTable);  // as a press on the Type header does
  main->FillGrid();
  ASSERT_EQ(GridNames(), (QStringList{"Bravo", "Charlie", "Alpha"}));
  Select(1);
  dialogs.answers.push_back(MessageAnswer::Yes);
  main->DelSpeedButtonClick();
  EXPECT_EQ(FileNames(), (QStringList{"Charlie", "Alpha"}));
  EXPECT_EQ(GridNames(), (QStringList{"Charlie", "Alpha"}));
  EXPECT_EQ(main->CurrentRow(), 1);

  ModalDriver modals;
  modals.answer(*add, Confirm(Rec("Delta")));
  main->AddSpeedButtonClick();
  EXPECT_EQ(FileNames(), (QStringList{"Alpha", "Charlie", "Delta"}));
}

TEST_F(RecordCommandsTest, OnlyAnExplicitYesDeletesAndTheBackupComesFirst) {
  Start({Rec("Alpha"), Rec("Bravo")}, /*backup=*/true);
  const std::string before = ReadFileBytes(catalog);
  for (MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Closed}) {
    RemoveBackupCopies();
    dialogs.clear();
    int copiesAtQuestion = -1;
    dialogs.onMessage = [&](const testing::MessageRecord&) { copiesAtQuestion = BackupCopies(); };
    dialogs.answers.push_back(answer);
    Select(2);
    main->DelSpeedButtonClick();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kDeleteQuestion});
    EXPECT_EQ(copiesAtQuestion, 1);
    EXPECT_EQ(BackupCopies(), 1) << "the backup copy stays";
    EXPECT_EQ(ReadFileBytes(catalog), before);
    EXPECT_EQ(TableNames(), (QStringList{"Alpha", "Bravo"}));
  }
  // No selection: the backup copy, then the refusal, and no question.
  RemoveBackupCopies();
  dialogs.clear();
  int copiesAtMessage = -1;
  dialogs.onMessage = [&](const testing::MessageRecord&) { copiesAtMessage = BackupCopies(); };
  main->FillGrid();
  main->DelSpeedButtonClick();
  EXPECT_EQ(dialogs.texts(), std::vector<QString>{kChooseDistro});
  EXPECT_EQ(copiesAtMessage, 1);
}

// --- Refusals and failures ---------------------------------------------------------------

TEST_F(RecordCommandsTest, CatalogThatWasNotReadIsNeverRewritten) {
  Start({Rec("Alpha")}, /*backup=*/true);
  const std::string before = ReadFileBytes(catalog);
  state->CatalogLoaded = false;
  ModalDriver modals;
  main->AddSpeedButtonClick();
  Select(1);
  main->EditSpeedButtonClick();
  Select(1);
  main->DelSpeedButtonClick();

  EXPECT_EQ(modals.shown(*add) + modals.shown(*edit), 0);
  ASSERT_EQ(dialogs.messages.size(), 3u);
  for (const auto& m : dialogs.messages) {
    EXPECT_EQ(m.kind, MessageKind::Error);
    EXPECT_EQ(m.text, dialogs.messages[0].text);
    EXPECT_NE(m.text, kChooseDistro);
  }
  EXPECT_EQ(ReadFileBytes(catalog), before);
  EXPECT_EQ(state->DistroTable.count(), 1);
  EXPECT_EQ(BackupCopies(), 0);
}

TEST_F(RecordCommandsTest, FailedSaveReportsAndTheGridShowsTheTable) {
  Start({Rec("Alpha"), Rec("Charlie")});
  // A folder where the catalog file should be refuses the save.
  fs::remove(catalog);
  fs::create_directories(catalog / "inside");
  // Taken for the window's own last write, so only the save fails, not the change check.
  core::NoteWritten(*state);

  ModalDriver modals;
  modals.answer(*add, Confirm(Rec("Bravo")));
  main->AddSpeedButtonClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(TableNames(), (QStringList{"Alpha", "Bravo", "Charlie"})) << "kept in memory";
  EXPECT_EQ(GridNames(), TableNames());

  dialogs.clear();
  Select(1);
  dialogs.answers.push_back(MessageAnswer::Yes);
  main->DelSpeedButtonClick();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].kind, MessageKind::Error);
  EXPECT_EQ(TableNames(), (QStringList{"Bravo", "Charlie"}));
  EXPECT_EQ(GridNames(), TableNames());
  EXPECT_TRUE(fs::is_directory(catalog));
}

// --- Every place that runs a command ------------------------------------------------------

TEST_F(RecordCommandsTest, ToolButtonsMenuAndPopUpItemsRunTheCommands) {
  Start({Rec("Alpha")});
  ModalDriver modals;
  for (int i = 0; i < 3; ++i) modals.answer(*add, Cancel());
  main->AddSpeedButton->click();
  main->N9->trigger();
  main->N18->trigger();
  EXPECT_EQ(modals.shown(*add), 3);

  main->EditSpeedButton->click();
  main->N10->trigger();
  main->N19->trigger();
  main->DelSpeedButton->click();
  main->N11->trigger();
  main->N20->trigger();
  EXPECT_EQ(dialogs.texts(), std::vector<QString>(6, kChooseDistro));
}

}  // namespace
}  // namespace kitrova::ui
