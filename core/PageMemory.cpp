#include "core/PageMemory.h"

#include <cstdint>
#include <cstring>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kitrova::core::detail {

namespace {

std::size_t PageSize() noexcept {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  const long size = sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<std::size_t>(size) : 4096;
#endif
}

#ifndef _WIN32
// Fresh anonymous pages over whole pages, whether the old ones were anonymous or a file's.
bool ZeroPages(void* pages, std::size_t length) noexcept {
  return mmap(pages, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
              0) != MAP_FAILED;
}
#endif

}  // namespace

void* MapPages(std::size_t size) noexcept {
  if (size == 0) return nullptr;
#ifdef _WIN32
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
#endif
}

void UnmapPages(void* block, std::size_t size) noexcept {
  if (block == nullptr) return;
#ifdef _WIN32
  (void)size;
  VirtualFree(block, 0, MEM_RELEASE);
#else
  munmap(block, size);
#endif
}

void DiscardPages(void* begin, std::size_t size) noexcept {
  const std::size_t page = PageSize();
  const auto start = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = (start + page - 1) / page * page;
  const std::uintptr_t end = (start + size) / page * page;
  if (end <= first) {
    std::memset(begin, 0, size);
    return;
  }
  // Pages shared with bytes outside the range are zeroed by hand. Addresses are reached from
  // `begin` by offsets, so the pointers keep their origin.
  char* const bytes = static_cast<char*>(begin);
  std::memset(bytes, 0, first - start);
  std::memset(bytes + (end - start), 0, start + size - end);
  void* pages = bytes + (first - start);
  const std::size_t length = end - first;
#ifdef _WIN32
  // Decommitting could leave pages that cannot be committed again; zeroing is always safe.
  std::memset(pages, 0, length);
#else
  if (!ZeroPages(pages, length)) std::memset(pages, 0, length);
#endif
}

bool MapFileCopy(void* at, std::FILE* file, std::size_t size) noexcept {
#ifdef _WIN32
  (void)at;
  (void)file;
  (void)size;
  return false;
#else
  if (size == 0) return true;
  if (reinterpret_cast<std::uintptr_t>(at) % PageSize() != 0) return false;
  int flags = MAP_PRIVATE | MAP_FIXED;
#ifdef MAP_POPULATE
  flags |= MAP_POPULATE;  // one call instead of a fault per page
#endif
  // Mapped for reading first: populating a writable private mapping would copy every page.
  if (mmap(at, size, PROT_READ, flags, fileno(file), 0) != MAP_FAILED &&
      mprotect(at, size, PROT_READ | PROT_WRITE) == 0) {
    return true;
  }
  // A failed fixed mapping may have taken the old pages away: put zero pages back.
  const std::size_t page = PageSize();
  ZeroPages(at, (size + page - 1) / page * page);
  return false;
#endif
}

}  // namespace kitrova::core::detail
