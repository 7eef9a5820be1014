// The edit command through the real edit dialog: every field the user leaves alone is
// saved back byte for byte, whatever bytes it holds.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "core/CatalogOps.h"
#include "main_test_support.h"
#include "support/ModalDriver.h"
#include "ui/uEditForm.h"

namespace kitrova::ui {
namespace {

using core::RecordField;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

// The 128 bytes of one half of the code page, in order.
std::string Half(int half) {
  std::string bytes;
  for (int b = half * 128; b < half * 128 + 128; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

core::DistroRecord Filled(const std::string& bytes) {
  core::DistroRecord record{};
  for (int f = 0; f < core::kFieldCount; ++f) {
    core::FieldOf(record, static_cast<RecordField>(f)).assign(bytes);
  }
  return record;
}

// A stored comment's lone LF or CR comes back as CR LF, as the platform's memo gives it.
std::string WithCrLf(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (bytes[i] == '\r' || bytes[i] == '\n') {
      out += "\r\n";
    } else {
      out += bytes[i];
    }
  }
  return out;
}

class RecordBytesTest : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    writeSettings(catalogPath());
    writeCatalog({});
    start();
    editForm = std::make_unique<TEditForm>(folder.path(), dialogs, form.get());
    MainFormDialogs forms;
    forms.EditForm = editForm.get();
    form->SetDialogs(forms);
  }

  std::unique_ptr<TEditForm> editForm;
};

TEST_F(RecordBytesTest, EveryByteOfAFieldLeftAloneIsSavedBackAsItWas) {
  struct Change {
    RecordField field;
    std::function<void(RecordForm&)> type;
    std::string stored;
  };
  const Change changes[] = {
      {RecordField::Name, [](RecordForm& f) { f.NameEdit->setText("Новое имя"); },
       "\xcd\xee\xe2\xee\xe5 \xe8\xec\xff"},
      {RecordField::Type, [](RecordForm& f) { f.TypeComboBox->setEditText("Игры"); },
       "\xc8\xe3\xf0\xfb"},
      {RecordField::License, [](RecordForm& f) { f.LicenseComboBox->setEditText("Trial"); },
       "Trial"},
      {RecordField::Year, [](RecordForm& f) { f.YearEdit->SetYearText("1999"); }, "1999"},
      {RecordField::Comment,
       [](RecordForm& f) { f.CommentMemo->setPlainText(QStringLiteral("x\u00a0y")); }, "x\xa0y"},
      {RecordField::Path, [](RecordForm& f) { f.PathEdit->setText("C:\\new.exe"); }, "C:\\new.exe"},
  };
  for (int half = 0; half < 2; ++half) {
    const core::DistroRecord stored = Filled(Half(half));
    for (const Change& change : changes) {
      SCOPED_TRACE(::testing::Message()
                   << "half " << half << ", field " << static_cast<int>(change.field));
      WriteFileBytes(catalogPath(),
                     std::string(reinterpret_cast<const char*>(&stored), sizeof stored));
      core::OpenCatalog(*state, catalogPath());
      form->FillGrid();
      form->BaseStringGrid->SetRow(1);
      {
        testing::ModalDriver modals;
        modals.answer(*editForm, [&](RecordForm& f) {
          change.type(f);
          f.AddButton->click();
        });
        form->EditSpeedButtonClick();
      }
      ASSERT_EQ(dialogs.messages.size(), 0u) << dialogs.messages[0].text.toStdString();

      const std::string file = ReadFileBytes(catalogPath());
      ASSERT_EQ(file.size(), sizeof(core::DistroRecord));
      core::DistroRecord saved{};
      std::memcpy(static_cast<void*>(&saved), file.data(), sizeof saved);
      for (int f = 0; f < core::kFieldCount; ++f) {
        const auto field = static_cast<RecordField>(f);
        std::string expected = Half(half);
        if (field == change.field)
          expected = change.stored;
        else if (field == RecordField::Comment)
          expected = WithCrLf(expected);
        EXPECT_EQ(core::FieldOf(saved, field).str(), expected) << "field " << f;
      }
    }
  }
}

}  // namespace
}  // namespace kitrova::ui
