#include "common/text_file.h"

#include <algorithm>
#include <cstring>

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/core/cp932.h"
#include "platform/core/file_write.h"
#include "platform/core/system.h"

namespace fs = std::filesystem;

std::vector<std::string> split_text_lines(std::string_view bytes) {
  std::vector<std::string> lines;
  for (std::size_t a = 0; a < bytes.size();) {
    std::size_t e = bytes.find_first_of("\r\n", a);
    if (e == std::string_view::npos) e = bytes.size();
    lines.emplace_back(bytes.substr(a, e - a));
    a = e + (bytes.substr(e, 2) == "\r\n" ? 2 : 1);
  }
  return lines;
}

namespace {
// Opens a regular file for reading; false with the reason in *err.
bool open_for_reading(const fs::path& p, std::ifstream& f, std::string* err) {
  auto fail = [&](const char* why) {
    if (err) *err = p.string() + ": " + why;
    return false;
  };
  std::error_code ec;
  if (!fs::exists(p, ec)) return fail("no such file");
  if (!fs::is_regular_file(p, ec)) return fail("not a file");
  f.open(p, std::ios::binary);
  if (!f) return fail("cannot be opened");
  return true;
}
}  // namespace

bool read_file_bytes(const fs::path& p, std::string& bytes, std::string* err) {
  auto fail = [&](const char* why) {
    if (err) *err = p.string() + ": " + why;
    return false;
  };
  std::ifstream f;
  if (!open_for_reading(p, f, err)) return false;
  std::error_code ec;
  // In one read of the size the file has: a program of some hundred megabytes is held once,
  // not grown step by step through copies.
  std::string data;
  const std::uintmax_t size = fs::file_size(p, ec);
  if (!ec && size < data.max_size()) {
    data.resize(static_cast<std::size_t>(size));
    f.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(f.gcount()));
    if (f.bad()) return fail("cannot be read");
    f.clear();
  }
  // Whatever the file holds beyond the size it had (it is still being written).
  data.append(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  if (f.bad()) return fail("cannot be read");
  bytes = std::move(data);
  return true;
}

TextFilePieces::~TextFilePieces() { free_room(); }

void TextFilePieces::free_room() {
  if (buf_) plat::large_free(buf_, cap_);
  buf_ = nullptr;
  cap_ = have_ = start_ = 0;
}

bool TextFilePieces::open(const fs::path& p, std::size_t piece_bytes, std::string* err) {
  f_.close();
  f_.clear();
  if (!open_for_reading(p, f_, err)) return false;
  std::error_code ec;
  size_ = fs::file_size(p, ec);
  if (ec) size_ = 0;
  piece_ = std::max<std::size_t>(piece_bytes, 1);
  have_ = start_ = 0;
  eof_ = failed_ = false;
  return true;
}

void TextFilePieces::close() {
  f_.close();
  free_room();
  eof_ = true;
}

bool TextFilePieces::next(std::string_view& piece) {
  if (failed_) return false;
  // What was handed out goes; the rest moves to the front.
  if (start_ > 0) {
    std::memmove(buf_, buf_ + start_, have_ - start_);
    have_ -= start_;
    start_ = 0;
  }
  std::size_t cut = 0;
  for (;;) {
    // The last line end within the bytes read, where a CR counts once its next byte is known.
    for (std::size_t i = have_; i > 0 && cut == 0; --i) {
      const char c = buf_[i - 1];
      if (c == '\n' || (c == '\r' && i < have_ && buf_[i] != '\n')) cut = i;
    }
    if (eof_) cut = have_;
    if (cut > 0 && (have_ >= piece_ || eof_)) break;
    if (eof_) return false;  // nothing left
    cut = 0;
    if (cap_ - have_ < std::min(piece_, cap_ / 2 + 1)) {
      // A piece's room, or twice the room for a line that does not end within it.
      const std::size_t cap = cap_ == 0 ? piece_ : 2 * cap_;
      char* b = static_cast<char*>(plat::large_alloc(cap));
      if (have_ > 0) std::memcpy(b, buf_, have_);
      const std::size_t had = have_;
      free_room();
      buf_ = b;
      cap_ = cap;
      have_ = had;
    }
    f_.read(buf_ + have_, static_cast<std::streamsize>(cap_ - have_));
    have_ += static_cast<std::size_t>(f_.gcount());
    if (f_.bad()) {
      failed_ = true;
      return false;
    }
    if (f_.eof()) eof_ = true;
  }
  if (cut == 0) return false;
  piece = std::string_view(buf_, cut);
  start_ = cut;
  return true;
}

bool read_text_lines(const fs::path& p, std::vector<std::string>& lines, std::string* err) {
  std::string bytes;
  if (!read_file_bytes(p, bytes, err)) return false;
  lines = split_text_lines(bytes);
  return true;
}

bool write_text_lines(const fs::path& p, const std::vector<std::string>& lines,
                      std::string* err) {
  return plat::write_file_replacing(
      p,
      [&lines](std::ostream& out) {
        for (const auto& l : lines) {
          out.write(l.data(), static_cast<std::streamsize>(l.size()));
          out.write("\r\n", 2);
        }
        return static_cast<bool>(out);
      },
      err);
}

namespace {

bool same_nocase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::optional<fs::path> find_file_nocase(const fs::path& dir, const std::string& name) {
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  const fs::path base = dir.empty() ? fs::path(".") : dir;
  std::error_code ec;
  if (fs::exists(base / name, ec)) return dir / name;
  // Names are UTF-8 on disk: folding the ASCII bytes never touches a multi-byte character.
  std::optional<std::string> best;
  for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    std::string f = it->path().filename().string();
    if (same_nocase(f, name) && (!best || f < *best)) best = std::move(f);
  }
  if (!best) return std::nullopt;
  return dir / *best;
}

std::string forward_slashes(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = plat::sjis_char_len(text, i);
    if (n == 1 && text[i] == '\\') s += '/';
    else s.append(text.substr(i, n));
    i += n;
  }
  return s;
}

fs::path native_path(std::string_view text) {
  const fs::path p = fs::path(plat::cp932_to_utf8(forward_slashes(text))).lexically_normal();
  std::error_code ec;
  if (p.empty() || fs::exists(p, ec)) return p;
  // Each part that is missing is looked up without letter case in the folder found so far.
  fs::path out;
  bool first = true;
  for (const fs::path& part : p) {
    const fs::path next = out / part;
    const bool root = first && p.has_root_directory();
    first = false;
    if (root || part.empty() || part == "." || part == ".." || fs::exists(next, ec)) {
      out = next;
      continue;
    }
    const auto hit = find_file_nocase(out, part.string());
    if (!hit) return p;
    out = *hit;
  }
  return out;
}

std::string path_text(const fs::path& p) { return plat::utf8_to_cp932(p.string()); }
