// Shift-JIS (code page 932) byte strings and their conversion to and from UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// A lead byte of a double-byte character: 0x81..0x9F and 0xE0..0xFC.
constexpr bool is_sjis_lead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
// A valid second byte of a double-byte character: 0x40..0x7E and 0x80..0xFC.
constexpr bool is_sjis_trail(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}
// Length in bytes of the character that starts at s[i] (1 or 2); a lead byte at the end
// of the text, or followed by a byte that cannot be a trail byte, counts as one byte.
inline std::size_t sjis_char_len(std::string_view s, std::size_t i) {
  if (i + 1 < s.size() && is_sjis_lead(static_cast<unsigned char>(s[i])) &&
      is_sjis_trail(static_cast<unsigned char>(s[i + 1])))
    return 2;
  return 1;
}
// The largest cut position <= n that does not split a double-byte character.
std::size_t sjis_cut_pos(std::string_view s, std::size_t n);

// The byte offset of the last folder separator ("/" or "\") of a CP932 path text that is a
// character of its own (never the second byte of a double-byte character, as in "表" or
// "ソ"), or npos.
std::size_t sjis_last_separator(std::string_view s);
// The part of a CP932 path text after its last separator.
inline std::string_view sjis_file_name(std::string_view s) {
  const std::size_t k = sjis_last_separator(s);
  return k == std::string_view::npos ? s : s.substr(k + 1);
}

// Converts CP932 to UTF-8. Bytes that are not valid CP932 become U+FFFD; the result is
// then flagged as lossy through *lossless (when given).
std::string cp932_to_utf8(std::string_view s, bool* lossless = nullptr);
// Converts UTF-8 to CP932. Characters CP932 cannot hold, and invalid UTF-8, become `repl`
// (by default '?'); *lossless tells whether that happened.
std::string utf8_to_cp932(std::string_view s, bool* lossless = nullptr, char repl = '?');

}  // namespace plat
