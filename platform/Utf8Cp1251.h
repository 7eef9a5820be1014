#pragma once
// Windows-1251 <-> UTF-8 without the toolkit: the one code page table of the program, shared
// by the Qt helpers in Cp1251.h and by the command-line tool. A character the code page
// lacks is refused, never replaced.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kitrova::platform {

// Unicode code points of bytes 0x80..0xFF. 0x98 has no letter; it maps to U+0098 as the
// system's converter does, so every byte survives a round trip.
extern const std::array<char16_t, 128> kCp1251HighHalf;

inline char32_t Cp1251ToUnicode(unsigned char byte) {
  return byte < 0x80 ? char32_t{byte} : char32_t{kCp1251HighHalf[byte - 0x80]};
}
// The byte for one code point, or -1 when the code page has none.
int UnicodeToCp1251(char32_t code);

// Every byte has a character, so this cannot fail.
std::string Cp1251ToUtf8(std::string_view bytes);

// nullopt for text that is not valid UTF-8 or holds a character the code page lacks; then
// `badOffset` (if given) is the byte offset of the first such character in `utf8`.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8, std::size_t* badOffset = nullptr);

// Length of the well-formed UTF-8 character at `pos` (1 for ASCII, 2 to 4 for a multi-byte
// sequence), or 0 where the bytes there are not UTF-8.
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

}  // namespace kitrova::platform
