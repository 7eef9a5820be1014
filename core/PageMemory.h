#pragma once
// Whole pages straight from the system, for the table's one large block: zero until
// written, counted in the process's memory only once touched, and handed back early when a
// part of the block no longer holds anything (the allocator would keep freed pages).

#include <cstddef>
#include <cstdio>

namespace kitrova::core::detail {

// `size` bytes of zeroed, page-aligned memory; nullptr when the system refuses.
void* MapPages(std::size_t size) noexcept;
// Gives back a block from MapPages.
void UnmapPages(void* block, std::size_t size) noexcept;
// [begin, begin + size) of a MapPages block reads zero again; the system takes back the
// memory of the whole pages inside it until they are written once more.
void DiscardPages(void* begin, std::size_t size) noexcept;

// Lays the first `size` bytes of the open file over `at` (page-aligned, inside a MapPages
// block) as a private copy: reading costs no copy, a write copies only its page and never
// reaches the file. False where the system cannot (then nothing changed).
bool MapFileCopy(void* at, std::FILE* file, std::size_t size) noexcept;

}  // namespace kitrova::core::detail
