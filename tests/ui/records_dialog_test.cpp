// The add and edit dialogs on their own: layout, the year's four-position read-back, what
// each button leaves in the fields (the only thing the commands read), and refusals.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/uAddForm.h"
#include "ui/uEditForm.h"

namespace kitrova::ui {
namespace {

using platform::MessageButtons;
using platform::MessageKind;
using testing::ScriptedDialogs;
using testing::TempFolder;

const QString kFolder = QStringLiteral("/srv/distros");

// Types any text, one key event per character (QTest::keyClicks takes Latin-1 only).
void Type(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

class RecordDialogTest : public ::testing::Test {
 protected:
  RecordDialogTest() {
    settings::WriteSetting(folder.path(), settings::kDirSection, settings::kPathKey,
                           kFolder.toStdString());
    form = std::make_unique<TAddForm>(folder.path(), dialogs);
  }

  void Fill(const RecordTexts& texts) { form->SetTexts(texts); }

  TempFolder folder;
  ScriptedDialogs dialogs;
  std::unique_ptr<RecordForm> form;
};

const RecordTexts kComplete{QStringLiteral("7-Zip"),     QStringLiteral("Утилиты"),
                            QStringLiteral("Freeware"),  QStringLiteral("2005"),
                            QStringLiteral("архиватор"), QStringLiteral("C:\\d\\7z.exe")};

// --- Layout -------------------------------------------------------------------------------

struct Look {
  const char* name;
  std::function<std::unique_ptr<RecordForm>(const std::filesystem::path&, platform::Dialogs&)> make;
  QString caption, addCaption;
  int field, pathButton, button;
};

class RecordDialogLookTest : public ::testing::TestWithParam<Look> {
 protected:
  TempFolder folder;
  ScriptedDialogs dialogs;
};

TEST_P(RecordDialogLookTest, ControlsCaptionsPlacesAndTabOrder) {
  const Look& look = GetParam();
  auto form = look.make(folder.path(), dialogs);
  EXPECT_EQ(form->windowTitle(), look.caption);
  EXPECT_EQ(form->AddButton->text(), look.addCaption);
  EXPECT_EQ(form->CancelButton->text(), QStringLiteral("Отмена"));
  EXPECT_EQ(form->ClearButton->text(), QStringLiteral("Очистить"));
  EXPECT_EQ(form->PathButton->text(), QStringLiteral("..."));
  EXPECT_EQ(form->size(), QSize(427, 398));

  const int w = look.field;
  EXPECT_EQ(form->NameEdit->geometry(), QRect(8, 24, w, 21));
  EXPECT_EQ(form->TypeComboBox->geometry(), QRect(8, 72, w, 21));
  EXPECT_EQ(form->LicenseComboBox->geometry(), QRect(8, 120, w, 21));
  EXPECT_EQ(form->PathEdit->geometry(), QRect(8, 168, 369, 21));
  EXPECT_EQ(form->PathButton->geometry(), QRect(384, 168, look.pathButton, 25));
  EXPECT_EQ(form->YearEdit->geometry(), QRect(8, 216, 408, 21));
  EXPECT_EQ(form->CommentMemo->geometry(), QRect(8, 264, w, 89));
  EXPECT_EQ(form->ClearButton->geometry(), QRect(8, 368, look.button, 25));
  EXPECT_EQ(form->AddButton->geometry(), QRect(256, 368, look.button, 25));
  EXPECT_EQ(form->CancelButton->geometry(), QRect(344, 368, look.button, 25));

  const std::pair<QLabel*, QString> labels[] = {
      {form->NameLabel, QStringLiteral("Название программы")},
      {form->TypeLabel, QStringLiteral("Тип программы")},
      {form->LicenseLabel, QStringLiteral("Лицензия")},
      {form->Label1, QStringLiteral("Путь к дистрибутиву")},
      {form->YearLabel, QStringLiteral("Год сборки дистрибутива")},
      {form->CommentLabel, QStringLiteral("Примечание")}};
  const QPoint places[] = {{8, 8}, {8, 56}, {8, 104}, {8, 152}, {8, 200}, {8, 248}};
  for (std::size_t i = 0; i < std::size(labels); ++i) {
    EXPECT_EQ(labels[i].first->text(), labels[i].second);
    EXPECT_EQ(labels[i].first->pos(), places[i]) << labels[i].second.toStdString();
    EXPECT_GE(labels[i].first->width(), labels[i].first->sizeHint().width()) << "caption cut";
  }

  // The focus chain, read from the add button, visits the ten inputs in their tab order.
  const std::vector<QWidget*> order = {form->AddButton,    form->CancelButton,    form->NameEdit,
                                       form->TypeComboBox, form->LicenseComboBox, form->CommentMemo,
                                       form->PathEdit,     form->PathButton,      form->ClearButton,
                                       form->YearEdit};
  std::vector<QWidget*> seen{form->AddButton};
  for (QWidget* w = form->AddButton->nextInFocusChain(); w != form->AddButton;
       w = w->nextInFocusChain()) {
    if (std::find(order.begin(), order.end(), w) != order.end()) seen.push_back(w);
  }
  EXPECT_EQ(seen, order);
}

INSTANTIATE_TEST_SUITE_P(
    Twins, RecordDialogLookTest,
    ::testing::Values(Look{"Add",
                           [](const std::filesystem::path& f, platform::Dialogs& d) {
                             return std::make_unique<TAddForm>(f, d);
                           },
                           QStringLiteral("Добавление дистрибутива в базу"),
                           QStringLiteral("Добавить"), 409, 33, 75},
                      Look{"Edit",
                           [](const std::filesystem::path& f, platform::Dialogs& d) {
                             return std::make_unique<TEditForm>(f, d);
                           },
                           QStringLiteral("Изменение параметров дистрибутива"),
                           QStringLiteral("Изменить"), 408, 32, 74}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordDialogTest, ListsMemoAndFileDialogAreAsDesigned) {
  const QStringList types = RecordForm::TypeItems();
  ASSERT_EQ(types.size(), 17);
  ASSERT_EQ(form->TypeComboBox->count(), 17);
  for (int i = 0; i < types.size(); ++i) EXPECT_EQ(form->TypeComboBox->itemText(i), types[i]);
  EXPECT_EQ(types.first(), QStringLiteral("Антивирусы"));
  EXPECT_EQ(types.last(), QStringLiteral("Утилиты"));
  const int email = types.indexOf(QStringLiteral("Е-mail"));
  ASSERT_EQ(email, 4);
  EXPECT_EQ(types[email][0].unicode(), 0x0415) << "Cyrillic Ie, not Latin E";
  EXPECT_EQ(types[3], QStringLiteral("Графика"));
  EXPECT_EQ(types[5], QStringLiteral("Защита"));

  EXPECT_EQ(RecordForm::LicenseItems(),
            (QStringList{"Demo", "Freeware", "Open Source", "Shareware", "Trial", "Warez"}));
  EXPECT_EQ(form->LicenseComboBox->count(), 6);
  EXPECT_TRUE(form->TypeComboBox->isEditable());
  EXPECT_TRUE(form->LicenseComboBox->isEditable());
  EXPECT_EQ(form->TypeComboBox->maxVisibleItems(), 15);
  EXPECT_EQ(form->LicenseComboBox->maxVisibleItems(), 8);

  EXPECT_EQ(form->CommentMemo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(form->CommentMemo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(form->CommentMemo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

  EXPECT_EQ(form->OpenDialog1.filter,
            QStringLiteral("Файлы дистрибутивов|*.exe;*.msi;*.zip;*.rar"));
  EXPECT_TRUE(form->OpenDialog1.defaultSuffix.isEmpty());
}

// --- The year -----------------------------------------------------------------------------

TEST_F(RecordDialogTest, YearSetTextReadsBackAsFourPositions) {
  YearMaskEdit& year = *form->YearEdit;
  EXPECT_EQ(year.YearText(), QStringLiteral("    ")) << "a new dialog";
  const std::pair<QString, QString> cases[] = {
      {"2005", "2005"}, {"20", "20  "},   {"", "    "},       {"  5 ", "  5 "},
      {"   9", "   9"}, {"19x7", "19 7"}, {"123456", "1234"}, {"    ", "    "},
  };
  for (const auto& [in, out] : cases) {
    year.SetYearText(in);
    EXPECT_EQ(year.YearText(), out) << '"' << in.toStdString() << '"';
    EXPECT_EQ(year.YearText().size(), 4);
  }
}

TEST_F(RecordDialogTest, YearTypedKeepsEachDigitInItsPosition) {
  YearMaskEdit& year = *form->YearEdit;
  year.SetYearText({});
  year.setCursorPosition(0);
  QTest::keyClicks(&year, "1999");
  EXPECT_EQ(year.YearText(), QStringLiteral("1999"));

  // A digit in a later position with the earlier ones unfilled keeps blanks in front.
  year.SetYearText({});
  year.setCursorPosition(2);
  QTest::keyClicks(&year, "5");
  EXPECT_EQ(year.YearText(), QStringLiteral("  5 "));
  year.setCursorPosition(3);
  QTest::keyClicks(&year, "7");
  EXPECT_EQ(year.YearText(), QStringLiteral("  57"));

  // Backspace empties one position and leaves the others where they were.
  year.SetYearText(QStringLiteral("2005"));
  year.setCursorPosition(2);
  QTest::keyClick(&year, Qt::Key_Backspace);
  EXPECT_EQ(year.YearText(), QStringLiteral("2 05"));

  // Letters do not enter a digit position.
  year.SetYearText({});
  year.setCursorPosition(0);
  QTest::keyClicks(&year, "ab");
  EXPECT_EQ(year.YearText(), QStringLiteral("    "));
}

// --- Read-back of the other fields -------------------------------------------------------

TEST_F(RecordDialogTest, ReadBackKeepsTypedTextAndLineBreaks) {
  QTest::keyClicks(form->NameEdit, "  Far  ");
  // A prefix of a list item and a text outside the list both stay as typed.
  Type(form->TypeComboBox->lineEdit(), QStringLiteral("Игр"));
  QTest::keyClicks(form->LicenseComboBox->lineEdit(), "GPL");
  QTest::keyClick(form->LicenseComboBox->lineEdit(), Qt::Key_Return);
  QTest::keyClicks(form->CommentMemo, "one");
  QTest::keyClick(form->CommentMemo, Qt::Key_Return);
  QTest::keyClicks(form->CommentMemo, "two");

  const RecordTexts texts = form->Texts();
  EXPECT_EQ(texts.name, QStringLiteral("  Far  "));
  EXPECT_EQ(texts.type, QStringLiteral("Игр"));
  EXPECT_EQ(texts.license, QStringLiteral("GPL"));
  EXPECT_EQ(form->LicenseComboBox->count(), 6) << "typed text is not added to the list";
  EXPECT_EQ(texts.comment, QStringLiteral("one\r\ntwo"));

  // Set and read back: the form the commands store is the form they put in.
  form->SetTexts({"n", "Игры", "Demo", "1998", "a\r\nb\r\n", "p"});
  const RecordTexts again = form->Texts();
  EXPECT_EQ(again.type, QStringLiteral("Игры"));
  EXPECT_EQ(form->TypeComboBox->currentIndex(), 6) << "a list item is selected in the list";
  EXPECT_EQ(again.license, QStringLiteral("Demo"));
  EXPECT_EQ(again.comment, QStringLiteral("a\r\nb\r\n"));
}

TEST_F(RecordDialogTest, ClearEmptiesAllSixAndStaysOpen) {
  Fill(kComplete);
  form->show();
  form->ClearButton->click();
  EXPECT_TRUE(form->isVisible());
  const RecordTexts texts = form->Texts();
  EXPECT_EQ(texts.name, QString());
  EXPECT_EQ(texts.type, QString());
  EXPECT_EQ(texts.license, QString());
  EXPECT_EQ(texts.year, QStringLiteral("    "));
  EXPECT_EQ(texts.comment, QString());
  EXPECT_EQ(texts.path, QString());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecordDialogTest, CancelEmptiesThenCloses) {
  Fill(kComplete);
  form->show();
  form->CancelButton->click();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->NameEdit->text().isEmpty()) << "reads as cancelled";
  EXPECT_TRUE(form->PathEdit->text().isEmpty());
  EXPECT_TRUE(form->CommentMemo->toPlainText().isEmpty());
}

TEST_F(RecordDialogTest, CloseBoxLeavesTheFields) {
  Fill(kComplete);
  form->show();
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->Texts().name, kComplete.name);
  EXPECT_EQ(form->Texts().comment, kComplete.comment);
}

// --- The add button's checks -------------------------------------------------------------

TEST_F(RecordDialogTest, EachRequiredFieldMissingIsRefusedWithOnePlainBox) {
  for (QString RecordTexts::*field :
       {&RecordTexts::name, &RecordTexts::type, &RecordTexts::license, &RecordTexts::path}) {
    RecordTexts texts = kComplete;
    texts.*field = QString();
    Fill(texts);
    form->show();
    dialogs.clear();
    form->AddButton->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Заполните все поля!"));
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Texts().comment, kComplete.comment) << "fields keep their text";
  }
  // Several fields missing still give one box.
  Fill({});
  dialogs.clear();
  form->AddButton->click();
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(form->isVisible());
}

TEST_F(RecordDialogTest, BlanksCountAsFilledAndYearAndCommentAreNotRequired) {
  Fill({" ", " ", " ", "", "", " "});
  form->show();
  form->AddButton->click();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->Texts().name, QStringLiteral(" ")) << "closed with its fields filled";
  EXPECT_EQ(form->Texts().year, QStringLiteral("    "));
}

TEST_F(RecordDialogTest, TextWindows1251CannotHoldIsRefusedNamingItsField) {
  const std::pair<QString RecordTexts::*, QString> cases[] = {
      {&RecordTexts::comment,
       QStringLiteral("Поле «Примечание» содержит символ «😀», который нельзя сохранить в базе.")},
      {&RecordTexts::name, QStringLiteral("Поле «Название программы» содержит символ «😀», "
                                          "который нельзя сохранить в базе.")},
      {&RecordTexts::path, QStringLiteral("Поле «Путь к дистрибутиву» содержит символ «😀», "
                                          "который нельзя сохранить в базе.")},
  };
  for (const auto& [field, message] : cases) {
    RecordTexts texts = kComplete;
    texts.*field += QStringLiteral("x😀y");
    Fill(texts);
    form->show();
    dialogs.clear();
    form->AddButton->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, message);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(form->isVisible()) << "the dialog stays open";
    EXPECT_EQ(form->Texts().*field, texts.*field) << "nothing is replaced";
  }
  RecordTexts chinese = kComplete;
  chinese.type = QStringLiteral("工具");
  Fill(chinese);
  EXPECT_EQ(form->FirstUnencodableField(), QStringLiteral("Тип программы"));
  EXPECT_EQ(form->UnencodableMessage(),
            QStringLiteral(
                "Поле «Тип программы» содержит символ «工», который нельзя сохранить в базе."));
  Fill(kComplete);
  EXPECT_TRUE(form->UnencodableMessage().isEmpty()) << "Cyrillic is fine";
}

// --- Enter and Esc -----------------------------------------------------------------------

TEST_F(RecordDialogTest, EscDoesNothingAndEnterPressesOnlyTheFocusedButton) {
  Fill(kComplete);
  form->show();
  QTest::keyClick(form->NameEdit, Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());
  form->NameEdit->setFocus();
  QTest::keyClick(form->NameEdit, Qt::Key_Return);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form->Texts().name, kComplete.name);

  form->CancelButton->setFocus();
  QTest::keyClick(form->CancelButton, Qt::Key_Return);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->NameEdit->text().isEmpty());
}

// --- The browse button and the creation step ---------------------------------------------

TEST_F(RecordDialogTest, AddDialogStartsEmptyInTheInstallerFolder) {
  EXPECT_EQ(form->OpenDialog1.initialFolder, kFolder);
  EXPECT_TRUE(form->Texts().name.isEmpty());
  EXPECT_TRUE(form->Texts().type.isEmpty()) << "not the first list item";
  EXPECT_EQ(form->Texts().year, QStringLiteral("    "));

  TEditForm edit(folder.path(), dialogs);
  EXPECT_TRUE(edit.OpenDialog1.initialFolder.isEmpty()) << "the edit dialog has no creation step";
  EXPECT_TRUE(edit.Texts().type.isEmpty());
}

TEST_F(RecordDialogTest, BrowseReadsTheFolderAfreshAndCancelKeepsThePath) {
  form->PathEdit->setText(QStringLiteral("typed by hand"));
  form->PathButton->click();
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].initialFolder, kFolder);
  EXPECT_EQ(dialogs.fileRequests[0].filter, kDistroFileFilter);
  EXPECT_TRUE(dialogs.fileRequests[0].defaultSuffix.isEmpty());
  EXPECT_EQ(form->PathEdit->text(), QStringLiteral("typed by hand")) << "cancelled";

  // The settings dialog changed the folder in between.
  settings::WriteSetting(folder.path(), settings::kDirSection, settings::kPathKey, "/mnt/other");
  dialogs.fileAnswers.push_back(QStringLiteral("/mnt/other/setup.msi"));
  form->PathButton->click();
  ASSERT_EQ(dialogs.fileRequests.size(), 2u);
  EXPECT_EQ(dialogs.fileRequests[1].initialFolder, QStringLiteral("/mnt/other"));
  EXPECT_EQ(form->PathEdit->text(), QStringLiteral("/mnt/other/setup.msi"));
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace kitrova::ui
