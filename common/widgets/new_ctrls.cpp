#include "common/widgets/new_ctrls.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <fnmatch.h>
#include <system_error>

#include "common/debug_log.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"

namespace fs = std::filesystem;

// ---- TFileOpFlags -------------------------------------------------------------------------------

unsigned TFileOpFlags::shell_flags() const {
  static constexpr struct {
    TFileOpFlag flag;
    unsigned value;
  } kMap[] = {
      {fofMultiDestFiles, 0x1},    {fofConfirmMouse, 0x2},     {fofSilent, 0x4},
      {fofRenameOnCollision, 0x8}, {fofNoConfirmation, 0x10},  {fofAllowUndo, 0x40},
      {fofFilesOnly, 0x80},        {fofSimpleProgress, 0x100}, {fofNoConfirmMkdir, 0x200},
      {fofNoErrorUI, 0x400},
  };
  unsigned v = 0;
  for (const auto& m : kMap)
    if (has(m.flag)) v |= m.value;
  return v;
}

// ---- TFileOperation -----------------------------------------------------------------------------

namespace {

std::string cp932_path(const fs::path& p) { return plat::utf8_to_cp932(p.string()); }

bool has_wildcard(const fs::path& p) {
  std::string n = p.filename().string();
  return n.find_first_of("*?") != std::string::npos;
}

// The names a source stands for: itself, or the matches of a wildcard in its last part
// ("*.*" matches every name), sorted; with files_only, folders are left out of a match.
std::vector<fs::path> expand(const fs::path& p, bool files_only) {
  if (!has_wildcard(p)) return {p};
  std::string pattern = p.filename().string();
  if (pattern == "*.*") pattern = "*";
  fs::path dir = p.parent_path();
  if (dir.empty()) dir = ".";
  std::vector<fs::path> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
    std::error_code ec2;
    if (files_only && fs::is_directory(it->path(), ec2)) continue;
    out.push_back(it->path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// "name (2).ext", "name (3).ext", ... the first that does not exist.
fs::path free_name(const fs::path& target) {
  std::string stem = target.stem().string(), ext = target.extension().string();
  std::error_code ec;
  for (int i = 2;; ++i) {
    fs::path c = target.parent_path() / (stem + " (" + std::to_string(i) + ")" + ext);
    if (!fs::exists(fs::symlink_status(c, ec))) return c;
  }
}

// Whether `p` is `folder` itself or lies somewhere below it.
bool is_within(const fs::path& p, const fs::path& folder) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(fs::absolute(p, ec), ec);
  const fs::path b = fs::weakly_canonical(fs::absolute(folder, ec), ec);
  auto ai = a.begin();
  for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
    if (bi->empty()) continue;  // the empty last part of a path ending in "/"
    if (ai == a.end() || *ai != *bi) return false;
  }
  return true;
}

class Runner {
 public:
  Runner(const TFileOpFlags& o) : opt_(o) {}

  bool aborted = false;
  bool cancelled = false;

  void fail(const fs::path& p, const std::string& why) {
    aborted = true;
    deb_log("TFileOperation.Execute: " + cp932_path(p) + " : " + why);
    if (!opt_.has(fofNoErrorUI))
      plat::message_box("ファイル操作ができませんでした : " + cp932_path(p), "",
                        plat::MB_OK | plat::MB_ICONSTOP);
  }

  // Decides what happens to an existing target; false skips the source.
  bool resolve_collision(const fs::path& src, fs::path& target, bool& overwrite) {
    std::error_code ec;
    overwrite = false;
    if (!fs::exists(fs::symlink_status(target, ec))) return true;
    if (opt_.has(fofRenameOnCollision)) {
      target = free_name(target);
      return true;
    }
    if (fs::equivalent(src, target, ec)) {
      fail(src, "source and target are the same");
      return false;
    }
    if (!opt_.has(fofNoConfirmation)) {
      int a = plat::message_box(cp932_path(target) + " は既に存在します。上書きしますか？", "",
                                plat::MB_YESNOCANCEL | plat::MB_ICONQUESTION);
      if (a == plat::IDCANCEL) {
        aborted = cancelled = true;
        return false;
      }
      if (a != plat::IDYES) {
        aborted = true;
        return false;
      }
    }
    overwrite = true;
    return true;
  }

  void copy_or_move(bool move, const fs::path& src, fs::path target) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(src, ec))) return fail(src, "not found");
    // A folder copied into itself would be copied again and again into the new copy.
    if (fs::is_directory(fs::symlink_status(src, ec)) && is_within(target, src))
      return fail(src, "the target lies inside the source");
    bool overwrite = false;
    if (!resolve_collision(src, target, overwrite)) return;
    const bool src_dir = fs::is_directory(src, ec);
    if (overwrite && fs::is_directory(target, ec) != src_dir)
      return fail(target, "a file and a folder of the same name");
    if (!target.parent_path().empty()) fs::create_directories(target.parent_path(), ec);
    if (move) {
      if (overwrite && !src_dir) fs::remove(target, ec);
      ec.clear();
      fs::rename(src, target, ec);
      if (!ec) return;
      if (ec != std::errc::cross_device_link && ec != std::errc::directory_not_empty &&
          ec != std::errc::file_exists)
        return fail(src, ec.message());
      ec.clear();  // another file system, or a folder merged into an existing one
    }
    auto options = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
    if (overwrite) options |= fs::copy_options::overwrite_existing;
    fs::copy(src, target, options, ec);
    if (ec) return fail(src, ec.message());
    if (move) {
      fs::remove_all(src, ec);
      if (ec) fail(src, ec.message());
    }
  }

  void remove(const fs::path& p) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(p, ec))) return fail(p, "not found");
    if (opt_.has(fofAllowUndo)) {
      if (!QFile::moveToTrash(plat::path_to_qstring(p))) fail(p, "cannot move to the trash");
      return;
    }
    fs::remove_all(p, ec);
    if (ec) fail(p, ec.message());
  }

 private:
  TFileOpFlags opt_;
};

}  // namespace

bool TFileOperation::Execute(TFileOpCode op) { return Execute(op, from_, to_); }

bool TFileOperation::Execute(TFileOpCode op, const PathList& from, const PathList& to) {
  Runner run(Options);
  const bool files_only = Options.has(fofFilesOnly);
  if (from.empty()) return true;
  switch (op) {
    case foDelete: {
      std::vector<fs::path> all;
      for (const auto& f : from)
        for (auto& p : expand(f, files_only)) all.push_back(p);
      if (all.empty()) return true;
      if (!Options.has(fofNoConfirmation)) {
        std::string q = all.size() == 1
                            ? cp932_path(all[0].filename()) + " を削除しますか？"
                            : std::to_string(all.size()) + " 個の項目を削除しますか？";
        if (plat::message_box(q, "", plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
          return true;
      }
      for (const auto& p : all) run.remove(p);
      return run.aborted;
    }
    case foRename: {
      if (to.size() != from.size()) return true;
      for (std::size_t i = 0; i < from.size(); ++i) {
        std::error_code ec;
        fs::path target = to[i];
        if (target.parent_path().empty()) target = from[i].parent_path() / target;
        if (fs::exists(fs::symlink_status(target, ec))) {
          run.fail(target, "exists");
          continue;
        }
        fs::rename(from[i], target, ec);
        if (ec) run.fail(from[i], ec.message());
      }
      return run.aborted;
    }
    case foCopy:
    case foMove: {
      const bool move = op == foMove;
      if (to.empty()) return true;
      if (Options.has(fofMultiDestFiles)) {
        if (to.size() != from.size()) return true;
        for (std::size_t i = 0; i < from.size() && !run.cancelled; ++i) {
          std::error_code ec;
          for (auto& p : expand(from[i], files_only)) {
            fs::path t = fs::is_directory(to[i], ec) || has_wildcard(from[i]) ? to[i] / p.filename()
                                                                             : to[i];
            run.copy_or_move(move, p, t);
            if (run.cancelled) break;
          }
        }
        return run.aborted;
      }
      std::vector<fs::path> all;
      bool wild = false;
      for (const auto& f : from) {
        wild = wild || has_wildcard(f);
        for (auto& p : expand(f, files_only)) all.push_back(p);
      }
      std::error_code ec;
      const fs::path& dest = to[0];
      const bool into = all.size() > 1 || wild || fs::is_directory(dest, ec);
      if (into) fs::create_directories(dest, ec);
      for (const auto& p : all) {
        run.copy_or_move(move, p, into ? dest / p.filename() : dest);
        if (run.cancelled) break;
      }
      return run.aborted;
    }
  }
  return true;
}

// ---- TFileDrop ----------------------------------------------------------------------------------

TFileDrop::TFileDrop(QObject* owner) : QObject(owner) {}

TFileDrop::~TFileDrop() { unhook(); }

void TFileDrop::Loaded() {
  if (!control_) hook();
}

void TFileDrop::SetAccept(bool on) {
  if (on == accept_) return;
  accept_ = on;
  if (hooked_) hooked_->setAcceptDrops(on);
}

void TFileDrop::SetControl(QWidget* w) {
  unhook();
  if (control_gone_) disconnect(control_gone_);
  control_ = w;
  if (w) {
    control_gone_ = connect(w, &QObject::destroyed, this, [this] {
      control_ = nullptr;
      accept_ = false;
      hooked_ = nullptr;
    });
  }
  hook();
}

void TFileDrop::hook() {
  QWidget* w = control_;
  if (!w) {
    auto* owner = qobject_cast<QWidget*>(parent());
    if (!owner) {
      deb_log("Invalidate Window Handle in FileDrop");
      return;
    }
    w = owner->window();
  }
  hooked_ = w;
  hooked_accepted_drops_ = w->acceptDrops();
  w->installEventFilter(this);
  w->setAcceptDrops(accept_);
}

void TFileDrop::unhook() {
  if (!hooked_) return;
  hooked_->removeEventFilter(this);
  hooked_->setAcceptDrops(hooked_accepted_drops_);
  hooked_ = nullptr;
}

namespace {
bool has_local_files(const QMimeData* m) {
  if (!m || !m->hasUrls()) return false;
  for (const QUrl& u : m->urls())
    if (u.isLocalFile()) return true;
  return false;
}
}  // namespace

bool TFileDrop::eventFilter(QObject* obj, QEvent* ev) {
  if (obj != hooked_) return false;
  switch (ev->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* e = static_cast<QDragMoveEvent*>(ev);
      if (!accept_ || !has_local_files(e->mimeData())) return false;
      e->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* e = static_cast<QDropEvent*>(ev);
      if (!accept_ || !has_local_files(e->mimeData())) return false;
      e->acceptProposedAction();
      if (!OnFileDrop) return true;
      std::vector<std::string> files;
      for (const QUrl& u : e->mimeData()->urls()) {
        if (!u.isLocalFile()) continue;
        QString path = u.toLocalFile();
        bool lossless = true;
        std::string cp = plat::from_qstring(path, &lossless);
        if (!lossless) {
          plat::message_box(cp + "\r\nファイル名に Shift-JIS で表せない文字があるため読み込めません。",
                            "", plat::MB_OK | plat::MB_ICONSTOP);
          continue;
        }
        files.push_back(std::move(cp));
      }
      if (files.empty()) return true;
      const QPoint p = e->position().toPoint();
      OnFileDrop(*this, static_cast<int>(files.size()), files, p.x(), p.y());
      return true;
    }
    default:
      return false;
  }
}
