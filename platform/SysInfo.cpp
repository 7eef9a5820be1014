#include "platform/SysInfo.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/utsname.h>
#include <unistd.h>

#include <charconv>
#ifdef __linux__
#include <sys/sysinfo.h>

#include <fstream>
#include <sstream>
#endif
#endif

namespace kitrova::platform {

#ifdef _WIN32

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);

// RtlGetVersion tells the truth even where GetVersionEx is shimmed by the manifest.
bool QueryVersionStruct(OSVERSIONINFOEXW& info) {
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    // Through void(*)() so the cast of FARPROC is not flagged as a type mismatch.
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (rtlGetVersion && rtlGetVersion(&info) == 0) return true;
  }
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
  return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != 0;
}

}  // namespace

OsVersionInfo QueryOsVersion() {
  OsVersionInfo result;
  OSVERSIONINFOEXW info;
  if (!QueryVersionStruct(info)) return result;
  result.ok = true;
  result.platformId = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? kPlatformWin9x
                      : info.dwPlatformId == VER_PLATFORM_WIN32_NT    ? kPlatformNt
                                                                      : kPlatformOther;
  result.major = static_cast<int>(info.dwMajorVersion);
  result.minor = static_cast<int>(info.dwMinorVersion);
  // 9x keeps the version in the high word of the build number.
  if (result.platformId == kPlatformWin9x) {
    result.build = info.dwBuildNumber & 0xFFFFu;
  } else if (result.platformId == kPlatformNt) {
    result.build = info.dwBuildNumber;
  }
  for (const wchar_t* c = info.szCSDVersion; *c != L'\0'; ++c) {
    result.servicePack.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
  }
  return result;
}

MemoryInfo QueryMemoryStatus() {
  MemoryInfo result;
  MEMORYSTATUSEX status;
  ZeroMemory(&status, sizeof(status));
  status.dwLength = sizeof(status);
  if (!GlobalMemoryStatusEx(&status)) return result;
  result.ok = true;
  result.totalPhysicalBytes = status.ullTotalPhys;
  result.memoryLoad = status.dwMemoryLoad > 100 ? 100 : status.dwMemoryLoad;
  return result;
}

#else

namespace {

// Leading decimal digits of `text` from `pos` on; `pos` moves past them.
int ReadNumber(const std::string& text, std::size_t& pos) {
  int value = 0;
  const char* begin = text.data() + pos;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc()) return 0;
  pos += static_cast<std::size_t>(result.ptr - begin);
  return value;
}

std::uint32_t LoadFromFree(std::uint64_t total, std::uint64_t available) {
  if (total == 0 || available > total) return 0;
  return static_cast<std::uint32_t>(100 - available * 100 / total);
}

}  // namespace

OsVersionInfo QueryOsVersion() {
  OsVersionInfo result;
  utsname names{};
  if (uname(&names) != 0) return result;
  result.ok = true;
  result.platformId = kPlatformOther;
  const std::string release = names.release;  // e.g. "6.1.0-18-amd64"
  std::size_t pos = 0;
  result.major = ReadNumber(release, pos);
  if (pos < release.size() && release[pos] == '.') {
    ++pos;
    result.minor = ReadNumber(release, pos);
  }
  result.build = 0;
  return result;
}

#ifdef __linux__

namespace {

// MemAvailable counts reclaimable caches as free, which sysinfo's freeram does not.
bool ReadMemAvailable(std::uint64_t& bytes) {
  std::ifstream in("/proc/meminfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("MemAvailable:", 0) != 0) continue;
    std::istringstream fields(line.substr(13));
    std::uint64_t kilobytes = 0;
    if (!(fields >> kilobytes)) return false;
    bytes = kilobytes * 1024;
    return true;
  }
  return false;
}

}  // namespace

MemoryInfo QueryMemoryStatus() {
  MemoryInfo result;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return result;
  const std::uint64_t unit = info.mem_unit == 0 ? 1 : info.mem_unit;
  const std::uint64_t total = static_cast<std::uint64_t>(info.totalram) * unit;
  std::uint64_t available = static_cast<std::uint64_t>(info.freeram) * unit;
  ReadMemAvailable(available);
  result.ok = total != 0;
  result.totalPhysicalBytes = total;
  result.memoryLoad = LoadFromFree(total, available);
  return result;
}

#else

MemoryInfo QueryMemoryStatus() {
  MemoryInfo result;
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return result;
  result.ok = true;
  result.totalPhysicalBytes =
      static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#ifdef _SC_AVPHYS_PAGES
  const long freePages = sysconf(_SC_AVPHYS_PAGES);
  if (freePages >= 0) {
    result.memoryLoad =
        LoadFromFree(result.totalPhysicalBytes,
                     static_cast<std::uint64_t>(freePages) * static_cast<std::uint64_t>(pageSize));
  }
#endif
  return result;
}

#endif

#endif

}  // namespace kitrova::platform
