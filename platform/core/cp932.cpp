#include "platform/core/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace plat {

std::size_t sjis_cut_pos(std::string_view s, std::size_t n) {
  if (n >= s.size()) return s.size();
  std::size_t i = 0;
  while (i < n) {
    std::size_t len = sjis_char_len(s, i);
    if (i + len > n) break;
    i += len;
  }
  return i;
}

std::size_t sjis_last_separator(std::string_view s) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = sjis_char_len(s, i);
    if (n == 1 && (s[i] == '\\' || s[i] == '/')) last = i;
    i += n;
  }
  return last;
}

namespace {

// One converter per direction and thread; iconv_open is far too slow to call per text.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; on an invalid or unconvertible sequence calls skip(in, pos) which
  // returns how many input bytes to drop and appends its replacement to out.
  template <class Skip>
  bool run(std::string_view in, std::string& out, Skip skip) {
    bool clean = true;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[4096];
    while (left > 0) {
      char* dst = buf;
      std::size_t room = sizeof buf;
      std::size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (incomplete sequence at the end): replace and go on.
        clean = false;
        std::size_t pos = static_cast<std::size_t>(src - in.data());
        std::size_t n = skip(in, pos, out);
        if (n == 0) n = 1;
        if (n > left) n = left;
        src += n;
        left -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return clean;
  }

 private:
  iconv_t cd_;
};

Converter& to_utf8() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}
Converter& to_cp932() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

std::size_t utf8_seq_len(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

std::string cp932_to_utf8(std::string_view s, bool* lossless) {
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  bool clean = true;
  if (to_utf8().ok()) {
    clean = to_utf8().run(s, out, [](std::string_view in, std::size_t pos, std::string& o) {
      o += "\xEF\xBF\xBD";  // U+FFFD
      return sjis_char_len(in, pos);
    });
  } else {
    for (unsigned char c : s) {
      if (c < 0x80) out += static_cast<char>(c);
      else { out += "\xEF\xBF\xBD"; clean = false; }
    }
  }
  if (lossless) *lossless = clean;
  return out;
}

std::string utf8_to_cp932(std::string_view s, bool* lossless, char repl) {
  std::string out;
  out.reserve(s.size());
  bool clean = true;
  if (to_cp932().ok()) {
    clean = to_cp932().run(s, out, [repl](std::string_view in, std::size_t pos, std::string& o) {
      o += repl;
      std::size_t n = utf8_seq_len(static_cast<unsigned char>(in[pos]));
      // A broken sequence: drop only the lead byte.
      for (std::size_t k = 1; k < n; ++k)
        if (pos + k >= in.size() || (static_cast<unsigned char>(in[pos + k]) & 0xC0) != 0x80)
          return std::size_t{1};
      return n;
    });
  } else {
    for (unsigned char c : s) {
      if (c < 0x80) out += static_cast<char>(c);
      else { out += repl; clean = false; }
    }
  }
  if (lossless) *lossless = clean;
  return out;
}

}  // namespace plat
