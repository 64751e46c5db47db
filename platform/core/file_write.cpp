#include "platform/core/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace plat {

namespace fs = std::filesystem;

namespace {
std::atomic<unsigned> g_serial{0};

bool fail(std::string* err, const std::string& what, int code) {
  if (err) *err = what + ": " + std::strerror(code);
  return false;
}
}  // namespace

bool write_file_replacing(const fs::path& target, std::string_view bytes, std::string* err) {
  if (target.filename().empty()) return fail(err, "no file name: " + target.string(), EINVAL);
  const fs::path tmp = target.parent_path() /
                       (target.filename().string() + ".tmp" + std::to_string(::getpid()) + "_" +
                        std::to_string(g_serial++));
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return fail(err, "cannot create " + tmp.string(), errno);
  // A replaced file keeps its permissions.
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int code = n < 0 ? errno : EIO;
      ::close(fd);
      ::unlink(tmp.c_str());
      return fail(err, "cannot write " + tmp.string(), code);
    }
    done += static_cast<std::size_t>(n);
  }
  const int synced = ::fsync(fd) == 0 ? 0 : errno;
  const int closed = ::close(fd) == 0 ? 0 : errno;
  if (synced != 0 || closed != 0) {
    const int code = synced != 0 ? synced : closed;
    ::unlink(tmp.c_str());
    return fail(err, "cannot write " + tmp.string(), code);
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int code = errno;
    ::unlink(tmp.c_str());
    return fail(err, "cannot replace " + target.string(), code);
  }
  return true;
}

}  // namespace plat
