#pragma once
// The splash window: product name, version, a picture and four lines about the computer.
// The About window derives from it.

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Dialogs.h"
#include "platform/ModalDialog.h"
#include "platform/SysInfo.h"

class QLabel;
class QLocale;
class QTimer;

namespace kitrova::ui {

// -1 (unknown) or 0..6, from the platform id, version and service-pack text.
int DetectWindowsVersion(int platformId, int major, int minor, const std::string& servicePack);
int DetectWindowsVersion(const platform::OsVersionInfo& info);
// The Label4 text for a code.
QString WindowsName(int code);
// "Оперативная память компьютера 524 288 KB" (grouped by the locale's separator).
QString MemoryLine(std::uint64_t totalBytes, const QLocale& locale);
// "Свободно 55 %" for a load of 45.
QString FreeLine(std::uint32_t memoryLoad);
// "Версия 5.1(Build 2600 )".
QString VersionLine(int major, int minor, std::uint32_t build);

// What the set-up reads from the system; tests hand in their own.
struct SystemFacts {
  platform::OsVersionInfo version;
  platform::MemoryInfo memory;
  static SystemFacts Query();
};

class TForm1 : public platform::ModalDialog {
  Q_OBJECT
 public:
  // Runs FormCreate with the system's own facts.
  TForm1(std::filesystem::path programFolder, platform::Dialogs& dialogs,
         QWidget* parent = nullptr);
  // Runs FormCreate with the given facts.
  TForm1(std::filesystem::path programFolder, platform::Dialogs& dialogs, const SystemFacts& facts,
         QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* PhysMem = nullptr;
  QLabel* FreeRes = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Image1 = nullptr;
  QTimer* Timer1 = nullptr;

  // Whether the set-up made the window translucent (opacity 225/255).
  bool Translucent() const { return translucent_; }

 public slots:
  void FormCreate();
  void Timer1Timer();

 protected:
  TForm1(std::filesystem::path programFolder, platform::Dialogs& dialogs,
         std::optional<SystemFacts> facts, int timerInterval, QWidget* parent);

  std::filesystem::path programFolder_;
  platform::Dialogs& dialogs_;
  std::optional<SystemFacts> facts_;
  bool translucent_ = false;

 private:
  void BuildLayout(int timerInterval);
};

}  // namespace kitrova::ui
