#include "platform/core/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <streambuf>

namespace plat {

namespace fs = std::filesystem;

namespace {
std::atomic<unsigned> g_serial{0};

bool fail(std::string* err, const std::string& what, int code) {
  if (err) *err = what + ": " + std::strerror(code);
  return false;
}

// Writes everything to a file descriptor; remembers the first error.
class FdBuf : public std::streambuf {
 public:
  explicit FdBuf(int fd) : fd_(fd) { setp(buf_, buf_ + sizeof buf_); }
  int error() const { return error_; }
  bool flush_all() { return sync() == 0; }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    if (!put(pbase(), static_cast<std::size_t>(pptr() - pbase()))) return -1;
    setp(buf_, buf_ + sizeof buf_);
    return 0;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (n >= static_cast<std::streamsize>(sizeof buf_)) {
      if (sync() != 0 || !put(s, static_cast<std::size_t>(n))) return 0;
      return n;
    }
    return std::streambuf::xsputn(s, n);
  }

 private:
  bool put(const char* p, std::size_t len) {
    if (error_) return false;
    while (len > 0) {
      const ssize_t w = ::write(fd_, p, len);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        error_ = w < 0 ? errno : EIO;
        return false;
      }
      p += w;
      len -= static_cast<std::size_t>(w);
    }
    return true;
  }
  int fd_;
  int error_ = 0;
  char buf_[1 << 16];
};

}  // namespace

bool write_file_replacing(const fs::path& target, const std::function<bool(std::ostream&)>& write,
                          std::string* err) {
  if (target.filename().empty()) return fail(err, "no file name: " + target.string(), EINVAL);
  const fs::path tmp = target.parent_path() /
                       (target.filename().string() + ".tmp" + std::to_string(::getpid()) + "_" +
                        std::to_string(g_serial++));
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return fail(err, "cannot create " + tmp.string(), errno);
  // A replaced file keeps its permissions.
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
  bool given_up = false;
  int code = 0;
  {
    auto buf = std::make_unique<FdBuf>(fd);
    std::ostream out(buf.get());
    given_up = !write(out);
    if (!buf->flush_all() || !out) code = buf->error() ? buf->error() : EIO;
  }
  if (code == 0 && !given_up && ::fsync(fd) != 0) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (given_up || code != 0) {
    ::unlink(tmp.c_str());
    if (given_up && code == 0) return fail(err, "writing " + tmp.string() + " was given up", ECANCELED);
    return fail(err, "cannot write " + tmp.string(), code);
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int c2 = errno;
    ::unlink(tmp.c_str());
    return fail(err, "cannot replace " + target.string(), c2);
  }
  return true;
}

bool write_file_replacing(const fs::path& target, std::string_view bytes, std::string* err) {
  return write_file_replacing(
      target,
      [bytes](std::ostream& out) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out);
      },
      err);
}

}  // namespace plat
