// The information lines of the splash window, computed from given figures.
#include <QLocale>

#include <gtest/gtest.h>

#include "platform/SysInfo.h"
#include "ui/uSplash.h"

namespace kitrova::ui {
namespace {

using platform::kPlatformNt;
using platform::kPlatformOther;
using platform::kPlatformWin9x;

const QString kUnknown = QStringLiteral("Операционная система не определена");

TEST(DetectWindowsVersion, NinetyFiveFamily) {
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 0, ""), 0);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 0, " A"), 0);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 90, ""), 3);
  // Other 9x numbers are not in the table.
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 1, ""), -1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 5, 0, ""), -1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 3, 10, ""), -1);
}

TEST(DetectWindowsVersion, NinetyEightLooksAtTheSecondCharacterOnly) {
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, " A "), 2);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, " A"), 2);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, "xA"), 2);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, ""), 1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, " "), 1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, "A"), 1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, " a"), 1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformWin9x, 4, 10, " B"), 1);
}

TEST(DetectWindowsVersion, NtFamily) {
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 4, 0, ""), 4);
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 3, 51, ""), 4);
  // The comparison is signed: a negative major still counts as "4 or less".
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, -1, 0, ""), 4);
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 5, 0, ""), 5);
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 5, 1, "Service Pack 2"), 6);
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 5, 2, ""), -1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 6, 0, ""), -1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 6, 1, ""), -1);
  EXPECT_EQ(DetectWindowsVersion(kPlatformNt, 10, 0, ""), -1);
}

TEST(DetectWindowsVersion, OtherPlatformsAndFailedQueries) {
  EXPECT_EQ(DetectWindowsVersion(kPlatformOther, 5, 1, ""), -1);
  EXPECT_EQ(DetectWindowsVersion(0, 4, 0, ""), -1);  // Win32s
  EXPECT_EQ(DetectWindowsVersion(3, 4, 0, ""), -1);

  platform::OsVersionInfo failed;
  failed.ok = false;
  failed.platformId = kPlatformNt;
  failed.major = 5;
  failed.minor = 1;
  EXPECT_EQ(DetectWindowsVersion(failed), -1);
  failed.ok = true;
  EXPECT_EQ(DetectWindowsVersion(failed), 6);
}

TEST(WindowsName, EveryCode) {
  EXPECT_EQ(WindowsName(0), "Windows 95");
  EXPECT_EQ(WindowsName(1), "Windows 98");
  EXPECT_EQ(WindowsName(2), "Windows 98SE");
  EXPECT_EQ(WindowsName(3), "Windows ME");
  EXPECT_EQ(WindowsName(4), "Windows NT");
  EXPECT_EQ(WindowsName(5), "Windows 2000");
  EXPECT_EQ(WindowsName(6), "Windows XP");
  EXPECT_EQ(WindowsName(-1), kUnknown);
  EXPECT_EQ(WindowsName(7), kUnknown);
}

TEST(MemoryLine, GroupsByTheLocaleSeparator) {
  // Russian groups with a no-break space; the C locale still names the comma.
  EXPECT_EQ(MemoryLine(536'870'912, QLocale(QLocale::Russian)),
            QStringLiteral("Оперативная память компьютера 524\u00A0288 KB"));
  EXPECT_EQ(MemoryLine(536'870'912, QLocale::c()),
            QStringLiteral("Оперативная память компьютера 524,288 KB"));
  EXPECT_EQ(MemoryLine(268'435'456, QLocale(QLocale::German)),
            QStringLiteral("Оперативная память компьютера 262.144 KB"));
}

TEST(MemoryLine, AlwaysGroupsOfThree) {
  // "#,###" groups in threes even where the locale itself groups otherwise.
  const QLocale india(QLocale::Hindi, QLocale::India);
  const QString sep = india.groupSeparator();
  EXPECT_EQ(MemoryLine(1'073'741'824ULL * 16, india),
            QStringLiteral("Оперативная память компьютера 16") + sep + "777" + sep + "216 KB");
}

TEST(MemoryLine, RoundsToTheNearestKilobyte) {
  const QLocale c = QLocale::c();
  EXPECT_EQ(MemoryLine(1023, c), QStringLiteral("Оперативная память компьютера 1 KB"));
  EXPECT_EQ(MemoryLine(1024 + 511, c), QStringLiteral("Оперативная память компьютера 1 KB"));
  EXPECT_EQ(MemoryLine(1024 + 512, c), QStringLiteral("Оперативная память компьютера 2 KB"));
  EXPECT_EQ(MemoryLine(999 * 1024, c), QStringLiteral("Оперативная память компьютера 999 KB"));
  EXPECT_EQ(MemoryLine(1000 * 1024, c), QStringLiteral("Оперативная память компьютера 1,000 KB"));
}

TEST(MemoryLine, ShowsTheRealTotalAboveFourGigabytes) {
  const QLocale c = QLocale::c();
  EXPECT_EQ(MemoryLine(4'294'967'296ULL, c),
            QStringLiteral("Оперативная память компьютера 4,194,304 KB"));
  EXPECT_EQ(MemoryLine(68'719'476'736ULL, c),
            QStringLiteral("Оперативная память компьютера 67,108,864 KB"));
}

TEST(FreeLine, IsOneHundredMinusTheLoad) {
  EXPECT_EQ(FreeLine(45), QStringLiteral("Свободно 55 %"));
  EXPECT_EQ(FreeLine(0), QStringLiteral("Свободно 100 %"));
  EXPECT_EQ(FreeLine(100), QStringLiteral("Свободно 0 %"));
  // A load the system should never report must not wrap round to billions.
  EXPECT_EQ(FreeLine(150), QStringLiteral("Свободно 0 %"));
}

TEST(VersionLine, KeepsTheBlankBeforeTheParenthesis) {
  EXPECT_EQ(VersionLine(5, 1, 2600), QStringLiteral("Версия 5.1(Build 2600 )"));
  EXPECT_EQ(VersionLine(4, 10, 2222), QStringLiteral("Версия 4.10(Build 2222 )"));
  EXPECT_EQ(VersionLine(6, 18, 0), QStringLiteral("Версия 6.18(Build 0 )"));
}

#ifndef _WIN32
TEST(SystemQuery, OtherSystemsReportPlatformOtherAndNoBuild) {
  const platform::OsVersionInfo version = platform::QueryOsVersion();
  ASSERT_TRUE(version.ok);
  EXPECT_EQ(version.platformId, kPlatformOther);
  EXPECT_EQ(version.build, 0u);
  EXPECT_TRUE(version.servicePack.empty());
  EXPECT_GT(version.major, 0);
  EXPECT_EQ(DetectWindowsVersion(version), -1);

  const platform::MemoryInfo memory = platform::QueryMemoryStatus();
  ASSERT_TRUE(memory.ok);
  EXPECT_GT(memory.totalPhysicalBytes, 0u);
  EXPECT_LE(memory.memoryLoad, 100u);
}
#endif

}  // namespace
}  // namespace kitrova::ui
