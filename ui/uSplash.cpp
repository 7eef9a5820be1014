#include "ui/uSplash.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "platform/Cp1251.h"

namespace kitrova::ui {

namespace {

const QColor kCream(255, 251, 240);
constexpr int kClientWidth = 393;
constexpr int kClientHeight = 196;
constexpr int kSplashInterval = 2000;
constexpr double kTranslucentOpacity = 225 / 255.0;

// The named faces first; where they are missing the toolkit's default face takes over.
const QStringList kTitleFamilies{QStringLiteral("Ravie")};
const QStringList kTextFamilies{QStringLiteral("Arial Unicode MS"), QStringLiteral("Arial")};

QFont LabelFont(const QStringList& families, int pixelSize, bool bold = false) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// Labels size themselves to their text from their top-left corner.
void SetCaption(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, QPoint topLeft,
                  const QFont& font) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  label->move(topLeft);
  SetCaption(label, text);
  return label;
}

}  // namespace

int DetectWindowsVersion(int platformId, int major, int minor, const std::string& servicePack) {
  if (platformId == platform::kPlatformWin9x) {
    if (major != 4) return -1;
    switch (minor) {
      case 0:
        return 0;
      case 10:
        return servicePack.size() >= 2 && servicePack[1] == 'A' ? 2 : 1;
      case 90:
        return 3;
      default:
        return -1;
    }
  }
  if (platformId == platform::kPlatformNt) {
    if (major <= 4) return 4;
    if (major == 5 && minor == 0) return 5;
    if (major == 5 && minor == 1) return 6;
  }
  return -1;
}

int DetectWindowsVersion(const platform::OsVersionInfo& info) {
  if (!info.ok) return -1;
  return DetectWindowsVersion(info.platformId, info.major, info.minor, info.servicePack);
}

QString WindowsName(int code) {
  switch (code) {
    case 0:
      return QStringLiteral("Windows 95");
    case 1:
      return QStringLiteral("Windows 98");
    case 2:
      return QStringLiteral("Windows 98SE");
    case 3:
      return QStringLiteral("Windows ME");
    case 4:
      return QStringLiteral("Windows NT");
    case 5:
      return QStringLiteral("Windows 2000");
    case 6:
      return QStringLiteral("Windows XP");
    default:
      return QStringLiteral("Операционная система не определена");
  }
}

QString MemoryLine(std::uint64_t totalBytes, const QLocale& locale) {
  const std::uint64_t kilobytes = totalBytes / 1024 + (totalBytes % 1024 >= 512 ? 1 : 0);
  // Always groups of three, as "#,###" does; QLocale's own grouping varies by locale.
  const QString digits = QString::number(kilobytes);
  const QString separator = locale.groupSeparator();
  QString grouped;
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return QStringLiteral("Оперативная память компьютера ") + grouped + QStringLiteral(" KB");
}

QString FreeLine(std::uint32_t memoryLoad) {
  const std::uint32_t load = std::min<std::uint32_t>(memoryLoad, 100);
  return QStringLiteral("Свободно %1 %").arg(100 - load);
}

QString VersionLine(int major, int minor, std::uint32_t build) {
  return QStringLiteral("Версия %1.%2(Build %3 )").arg(major).arg(minor).arg(build);
}

SystemFacts SystemFacts::Query() {
  return SystemFacts{platform::QueryOsVersion(), platform::QueryMemoryStatus()};
}

TForm1::TForm1(std::filesystem::path programFolder, platform::Dialogs& dialogs, QWidget* parent)
    : TForm1(std::move(programFolder), dialogs, std::nullopt, kSplashInterval, parent) {}

TForm1::TForm1(std::filesystem::path programFolder, platform::Dialogs& dialogs,
               const SystemFacts& facts, QWidget* parent)
    : TForm1(std::move(programFolder), dialogs, std::optional<SystemFacts>(facts), kSplashInterval,
             parent) {}

TForm1::TForm1(std::filesystem::path programFolder, platform::Dialogs& dialogs,
               std::optional<SystemFacts> facts, int timerInterval, QWidget* parent)
    : platform::ModalDialog(parent),
      programFolder_(std::move(programFolder)),
      dialogs_(dialogs),
      facts_(std::move(facts)) {
  BuildLayout(timerInterval);
  FormCreate();
}

void TForm1::BuildLayout(int timerInterval) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(platform::kApplicationTitle);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(kClientWidth, kClientHeight);
  QPalette cream = palette();
  cream.setColor(QPalette::Window, kCream);
  setPalette(cream);
  setAutoFillBackground(true);

  Label1 = MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("Kitrova"), {24, 16},
                     LabelFont(kTitleFamilies, 21, true));
  QPalette title = Label1->palette();
  title.setColor(QPalette::WindowText, palette().color(QPalette::Inactive, QPalette::Highlight));
  Label1->setPalette(title);
  Label2 = MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("версия 0.01"), {80, 48},
                     LabelFont(kTextFamilies, 13));
  Label4 = MakeLabel(this, QStringLiteral("Label4"), QStringLiteral("OS"), {8, 80},
                     LabelFont(kTextFamilies, 12));
  Label5 = MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("Type"), {8, 104},
                     LabelFont(kTextFamilies, 11));
  PhysMem = MakeLabel(this, QStringLiteral("PhysMem"), QStringLiteral("PhysMem"), {8, 136},
                      LabelFont(kTextFamilies, 11));
  FreeRes = MakeLabel(this, QStringLiteral("FreeRes"), QStringLiteral("FreeRes"), {8, 152},
                      LabelFont(kTextFamilies, 11));
  Label3 = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("Каталог дистрибутивов"),
                     {176, 168}, LabelFont(kTextFamilies, 12));

  // At its own size from the top-left corner; the label clips what does not fit.
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(256, 8, 129, 129);
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setScaledContents(false);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(timerInterval);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
  Timer1->start();
}

void TForm1::FormCreate() {
  // Same wording as the main window's pictures: a missing file and an unreadable one differ.
  const QString picturePath =
      QDir::toNativeSeparators(platform::PathToQString(programFolder_ / "Pic" / "splash.bmp"));
  if (!QFileInfo(picturePath).isFile()) {
    platform::ShowErrorText(dialogs_, this, QStringLiteral("Файл не найден: %1").arg(picturePath));
    return;
  }
  QPixmap picture;
  if (!picture.load(picturePath) || picture.isNull()) {
    platform::ShowErrorText(dialogs_, this,
                            QStringLiteral("Не удаётся прочитать рисунок: %1").arg(picturePath));
    return;
  }
  Image1->setPixmap(picture);

  const platform::MemoryInfo memory = facts_ ? facts_->memory : platform::QueryMemoryStatus();
  // A failed query keeps the lines' captions rather than showing made-up figures.
  if (memory.ok) {
    SetCaption(PhysMem, MemoryLine(memory.totalPhysicalBytes, QLocale()));
    SetCaption(FreeRes, FreeLine(memory.memoryLoad));
  }

  const platform::OsVersionInfo version = facts_ ? facts_->version : platform::QueryOsVersion();
  const int code = DetectWindowsVersion(version);
  SetCaption(Label4, WindowsName(code));
  SetCaption(Label5, VersionLine(version.major, version.minor, version.build));

  if (code >= 4) {
    setWindowOpacity(kTranslucentOpacity);
    translucent_ = true;
  }
}

void TForm1::Timer1Timer() {
  Timer1->stop();
}

}  // namespace kitrova::ui
