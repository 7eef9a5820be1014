#pragma once
// What the system says about itself. Windows asks GetVersionEx/GlobalMemoryStatusEx;
// other systems use uname and sysinfo and report the platform as "other".

#include <cstdint>
#include <string>

namespace kitrova::platform {

inline constexpr int kPlatformWin9x = 1;
inline constexpr int kPlatformNt = 2;
inline constexpr int kPlatformOther = -1;

struct OsVersionInfo {
  bool ok = false;
  int platformId = kPlatformOther;
  int major = 0;
  int minor = 0;
  std::uint32_t build = 0;  // already reduced as the version line wants it
  std::string servicePack;  // the service-pack text (Windows), empty elsewhere
};

struct MemoryInfo {
  bool ok = false;
  std::uint64_t totalPhysicalBytes = 0;
  std::uint32_t memoryLoad = 0;  // percent in use, 0..100
};

OsVersionInfo QueryOsVersion();
MemoryInfo QueryMemoryStatus();

}  // namespace kitrova::platform
