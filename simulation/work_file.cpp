#include "simulation/work_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "common/debug_log.h"
#include "platform/core/cp932.h"
#include "platform/core/file_write.h"
#include "platform/core/msgbox.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kShortData = "ワークデータが途中で終わっています";
constexpr std::size_t kChunkPoints = 1 << 16;

void put_vec3(std::uint8_t* p, const VEC3& v) {
  put_le_f32(p, v.x);
  put_le_f32(p + 4, v.y);
  put_le_f32(p + 8, v.z);
}
VEC3 get_vec3(const std::uint8_t* p) { return VEC3{get_le_f32(p), get_le_f32(p + 4), get_le_f32(p + 8)}; }

void encode_point(const TGRID_POINT& g, std::uint8_t* p) {
  put_le_f32(p, g.z);
  put_le_i32(p + 4, g.mark);
  std::copy(g.col, g.col + 4, p + 8);
}

std::string name_text(const fs::path& file) { return plat::utf8_to_cp932(file.string()); }

void show_stop(const std::string& text, const char* caption) {
  plat::message_box(text, caption, plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
}

bool ask_ok(const std::string& text, const char* caption) {
  return plat::message_box(text, caption,
                           plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_DEFBUTTON2 |
                               plat::MB_SYSTEMMODAL) == plat::IDOK;
}

// A work chosen for saving, with the values written for it.
struct Outgoing {
  int slot;
  std::uint32_t jig, cutting;
  std::int32_t group;
};

TWORK_FILE_RECORD record_of(const TWORK_DATA& w, const Outgoing& o) {
  TWORK_FILE_RECORD r;
  r.work_num = static_cast<std::uint32_t>(o.slot);
  r.grid_size = w.grid_bytes;
  r.nx = w.nx;
  r.ny = w.ny;
  r.top_z = w.top_z;
  r.bottom_z = w.bottom_z;
  r.step_x = w.step_x;
  r.step_y = w.step_y;
  r.size = w.size;
  r.min = w.min;
  r.max = w.max;
  std::copy(w.color, w.color + 4, r.color);
  r.jig = o.jig;
  r.cutting = o.cutting;
  r.group = o.group;
  r.memo = w.memo;
  return r;
}

bool write_all(std::ostream& f, const Tmat& m, const std::vector<Outgoing>& out) {
  std::uint8_t head[WORK_FILE_HEADER_SIZE] = {};
  std::memcpy(head, WORK_FILE_MAGIC, 12);
  put_le_u32(head + 12, WORK_FILE_HEADER_SIZE);
  put_le_u32(head + 16, static_cast<std::uint32_t>(out.size()));
  f.write(reinterpret_cast<const char*>(head), sizeof head);
  for (const Outgoing& o : out) {
    std::uint8_t pair[8];
    put_le_u32(pair, WORK_FILE_RECORD_SIZE);
    put_le_u32(pair + 4, m.works[o.slot].grid_bytes);
    f.write(reinterpret_cast<const char*>(pair), 8);
  }
  std::vector<std::uint8_t> buf;
  for (const Outgoing& o : out) {
    const TWORK_DATA& w = m.works[o.slot];
    std::uint8_t rec[WORK_FILE_RECORD_SIZE];
    encode_work_record(record_of(w, o), rec);
    f.write(reinterpret_cast<const char*>(rec), sizeof rec);
    for (std::size_t i = 0; i < w.grid.size(); i += kChunkPoints) {
      const std::size_t n = std::min(kChunkPoints, w.grid.size() - i);
      buf.resize(n * 12);
      for (std::size_t k = 0; k < n; ++k) encode_point(w.grid[i + k], &buf[k * 12]);
      f.write(reinterpret_cast<const char*>(buf.data()), static_cast<std::streamsize>(buf.size()));
    }
    if (!f) return false;
  }
  f.flush();
  return static_cast<bool>(f);
}

// A work of the file, as found by the check of the whole file.
struct Incoming {
  TWORK_FILE_RECORD rec;
  std::uint64_t grid_pos;
};

// Reads `n` bytes at `pos`; false when the file ends before.
bool read_at(std::ifstream& f, std::uint64_t pos, std::uint8_t* out, std::size_t n) {
  f.clear();
  f.seekg(static_cast<std::streamoff>(pos));
  f.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
  return f.gcount() == static_cast<std::streamsize>(n);
}

// Checks the header, the table and every record against the file's length before anything
// is changed; false with the last error text set.
bool check_file(Tmat& m, std::ifstream& f, std::uint64_t length, const std::string& name,
                std::vector<Incoming>& works) {
  std::uint8_t head[20] = {};
  const std::size_t got = length < 20 ? static_cast<std::size_t>(length) : 20;
  read_at(f, 0, head, got);
  if (got < 12 || std::memcmp(head, WORK_FILE_MAGIC, 12) != 0) {
    m.last_error() = name + " は velmor ワークデータではありません";
    return false;
  }
  if (got < 16 || get_le_u32(head + 12) != WORK_FILE_HEADER_SIZE) {
    m.last_error() = name + " は サポート外のワークデータです";
    return false;
  }
  if (got < 20 || length < WORK_FILE_HEADER_SIZE) {
    m.last_error() = name + " read ERR " + kShortData;
    return false;
  }
  const std::uint64_t n = get_le_u32(head + 16);
  if (n == 0) {
    m.last_error() = name + " にはワークデータがありませんでした";
    return false;
  }
  std::uint64_t pos = WORK_FILE_HEADER_SIZE + 8 * n;
  for (std::uint64_t i = 0; i < n; ++i) {
    std::uint8_t pair[8];
    if (WORK_FILE_HEADER_SIZE + 8 * (i + 1) > length ||
        !read_at(f, WORK_FILE_HEADER_SIZE + 8 * i, pair, 8)) {
      m.last_error() = name + " read ERR " + kShortData;
      return false;
    }
    if (get_le_u32(pair) != WORK_FILE_RECORD_SIZE) {
      m.last_error() = name + " は velmor ワークデータではありません";
      return false;
    }
    const std::uint64_t grid = get_le_u32(pair + 4);
    std::uint8_t raw[WORK_FILE_RECORD_SIZE];
    if (pos + WORK_FILE_RECORD_SIZE > length || !read_at(f, pos, raw, sizeof raw)) {
      m.last_error() = name + " read ERR " + kShortData;
      return false;
    }
    Incoming in{decode_work_record(raw), pos + WORK_FILE_RECORD_SIZE};
    int nx = in.rec.nx, ny = in.rec.ny;
    std::string err;
    if (!check_work_extent(nx, ny, in.rec.min, in.rec.max, err)) {
      m.last_error() = name + " read ERR " + err;
      return false;
    }
    const std::uint64_t expect = static_cast<std::uint64_t>(nx + 1) * (ny + 1) * 12;
    if (grid != in.rec.grid_size || grid != expect) {
      m.last_error() = name + " read ERR 格子データのサイズが合いませんでした";
      return false;
    }
    if (in.grid_pos + grid > length) {
      m.last_error() = name + " read ERR " + kShortData;
      return false;
    }
    works.push_back(in);
    pos = in.grid_pos + grid;
  }
  return true;
}

}  // namespace

void encode_work_record(const TWORK_FILE_RECORD& r, std::uint8_t out[WORK_FILE_RECORD_SIZE]) {
  std::memset(out, 0, WORK_FILE_RECORD_SIZE);
  put_le_u32(out + 0, r.work_num);
  put_le_u32(out + 4, r.grid_size);
  put_le_i32(out + 8, r.nx);
  put_le_i32(out + 12, r.ny);
  put_le_f32(out + 16, r.top_z);
  put_le_f32(out + 20, r.bottom_z);
  put_le_f32(out + 24, r.step_x);
  put_le_f32(out + 28, r.step_y);
  put_vec3(out + 32, r.size);
  put_vec3(out + 44, r.min);
  put_vec3(out + 56, r.max);
  std::copy(r.color, r.color + 4, out + 68);
  put_le_u32(out + 72, r.jig);
  put_le_u32(out + 76, r.cutting);
  put_le_i32(out + 80, r.group);
  std::memcpy(out + 84, r.memo.data(), WORK_MEMO_SIZE);
}

TWORK_FILE_RECORD decode_work_record(const std::uint8_t in[WORK_FILE_RECORD_SIZE]) {
  TWORK_FILE_RECORD r;
  r.work_num = get_le_u32(in + 0);
  r.grid_size = get_le_u32(in + 4);
  r.nx = get_le_i32(in + 8);
  r.ny = get_le_i32(in + 12);
  r.top_z = get_le_f32(in + 16);
  r.bottom_z = get_le_f32(in + 20);
  r.step_x = get_le_f32(in + 24);
  r.step_y = get_le_f32(in + 28);
  r.size = get_vec3(in + 32);
  r.min = get_vec3(in + 44);
  r.max = get_vec3(in + 56);
  std::copy(in + 68, in + 72, r.color);
  r.jig = get_le_u32(in + 72);
  r.cutting = get_le_u32(in + 76);
  r.group = get_le_i32(in + 80);
  std::memcpy(r.memo.data(), in + 84, WORK_MEMO_SIZE);
  return r;
}

bool SAVE_WORK_DATA(Tmat& m, const fs::path& file, int mode, int work) {
  Get_GROUP_Offset(m);
  const bool quiet = mode == 4;
  const bool given = work >= 0 && work < WORK_MAX && m.works[work].in_use;
  if (mode == 4 && given && m.works[work].group == 0) mode = 1;
  const int given_group = given ? m.works[work].group : 0;

  std::vector<Outgoing> out;
  for (int i = 0; i < WORK_MAX; ++i) {
    TWORK_DATA& w = m.works[i];
    if (!w.in_use) continue;
    w.size = VEC3{w.max.x - w.min.x, w.max.y - w.min.y, w.max.z - w.min.z};
    Outgoing o{i, w.jig == 1 ? 1u : 0u, w.cutting == 1 ? 1u : 0u, w.group};
    switch (mode) {
      case 1:
        if (!given || i != work) continue;
        o.group = w.group > 0 ? 1 : 0;
        break;
      case 2:
      case 4:
        if (!given || w.group != given_group) continue;
        o.group = 1;
        break;
      case 3:
        if (!given || i != work) continue;
        o.jig = 1;
        o.group = w.group >= 1 ? 1 : 0;
        break;
      default:
        break;
    }
    out.push_back(o);
  }
  const std::string name = name_text(file);
  if (out.empty()) {
    m.last_error() = "ERR : 保存するワークデータがありませんでした";
    show_stop(m.last_error(), "no work data");
    return false;
  }
  std::error_code ec;
  if (!quiet && fs::exists(file, ec)) {
    if (!ask_ok("同名のファイルが既にありますが上書きしますか？", "Exists same file name")) {
      m.last_error() = "同名のファイルが既にありました";
      return false;
    }
  }
  std::string why;
  const bool ok = plat::write_file_replacing(
      file, [&](std::ostream& f) { return write_all(f, m, out); }, &why);
  if (!ok) {
    deb_log("◆◆◆ ERR : Tmat.SAVE_WORK_DATA; " + plat::utf8_to_cp932(why));
    m.last_error() = "ERR : " + name + " の書き込みに失敗しました";
    show_stop(m.last_error(), "File write Error");
    return false;
  }
  if (!quiet)
    plat::message_box(name + " は正常に保存されました", "正常に保存されました",
                      plat::MB_OK | plat::MB_ICONINFORMATION | plat::MB_SYSTEMMODAL);
  return true;
}

bool READ_ONE_WORK(Tmat& m, int work, int group_offset, const TWORK_FILE_RECORD& rec,
                   std::istream& grid) {
  if (!GET_WORK_MEM(m, work, rec.nx, rec.ny, rec.min, rec.max)) return false;
  TWORK_DATA& w = m.works[work];
  if (w.grid_bytes != rec.grid_size) {
    WORK_MEM_FREE(m, work);
    m.last_error() = "格子データのサイズが合いませんでした";
    return false;
  }
  std::copy(rec.color, rec.color + 4, w.color);
  w.memo = rec.memo;
  // A hostile group near the integer limit stays the largest group instead of overflowing.
  const std::int64_t group = static_cast<std::int64_t>(rec.group) + group_offset;
  w.group = rec.group > 0 ? static_cast<std::int32_t>(std::min<std::int64_t>(group, INT32_MAX)) : 0;
  w.jig = rec.jig == 1 ? 1 : 0;
  w.cutting = rec.cutting == 1 ? 1 : 0;
  w.visible = 1;
  std::vector<std::uint8_t> buf;
  for (std::size_t i = 0; i < w.grid.size(); i += kChunkPoints) {
    const std::size_t n = std::min(kChunkPoints, w.grid.size() - i);
    buf.resize(n * 12);
    grid.read(reinterpret_cast<char*>(buf.data()), static_cast<std::streamsize>(buf.size()));
    if (grid.gcount() != static_cast<std::streamsize>(buf.size())) {
      WORK_MEM_FREE(m, work);
      m.last_error() = kShortData;
      return false;
    }
    for (std::size_t k = 0; k < n; ++k) {
      const std::uint8_t* p = &buf[k * 12];
      TGRID_POINT& g = w.grid[i + k];
      g.z = get_le_f32(p);
      // A height that is not a number reads as uncut; no such value enters a grid.
      if (std::isnan(g.z) || g.z == HUGE_VALF) g.z = w.top_z;
      if (g.z == -HUGE_VALF) g.z = w.bottom_z;
      g.mark = get_le_i32(p + 4);
      std::copy(p + 8, p + 12, g.col);
    }
  }
  if (w.jig) {
    try {
      w.backup = w.grid;
    } catch (const std::bad_alloc&) {
      WORK_MEM_FREE(m, work);
      m.last_error() = "ワーク用のメモリが確保できませんでした";
      return false;
    }
  }
  Refresh_WORK_tiles(w);
  return true;
}

bool LOAD_WORK_DATA(Tmat& m, const fs::path& file, bool append, int& first_new) {
  first_new = -1;
  if (!append && Check_Any_WORK(m)) {
    if (!ask_ok("現在のワークデータを全て削除していいですか？", "INFORMATION Message"))
      return false;
  }
  const std::string name = name_text(file);
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    show_stop("ERR : " + name + " が見つかりませんでした", "File not Found");
    m.last_error() = "ファイルが見つかりませんでした";
    return false;
  }
  const std::uint64_t length = fs::file_size(file, ec);
  std::ifstream f(file, std::ios::binary);
  std::vector<Incoming> works;
  if (ec || !f.is_open()) {
    m.last_error() = name + " read ERR " + kShortData;
    show_stop("ERR : " + m.last_error(), "File read Error");
    return false;
  }
  if (!check_file(m, f, length, name, works)) {
    show_stop("ERR : " + m.last_error(), "File read Error");
    return false;
  }
  // The grids must all fit before the first is read.
  std::uint64_t need = 0;
  for (const Incoming& in : works) need += work_memory_bytes(in.rec.nx, in.rec.ny, in.rec.jig == 1);
  if (!append) {  // the works in use make room first
    std::uint64_t held = 0;
    for (const TWORK_DATA& w : m.works)
      if (w.in_use) held += work_memory_bytes(w.nx, w.ny, !w.backup.empty());
    need = need > held ? need - held : 0;
  }
  std::string short_of;
  if (!check_work_memory(need, short_of)) {
    m.last_error() = name + " read ERR " + short_of;
    show_stop("ERR : " + m.last_error(), "File read Error");
    return false;
  }
  int offset = 0;
  if (append)
    offset = Get_GROUP_Offset(m);
  else
    WORK_MEM_FREE_ALL(m);
  int taken = 0;
  for (const Incoming& in : works) {
    const int slot = Get_Free_WORK_num(m);
    if (slot < 0) {
      m.last_error() = name + " の読み込みでワークの最大数がオーバーしました";
      show_stop("ERR : " + m.last_error(), "File read Error");
      break;
    }
    f.clear();
    f.seekg(static_cast<std::streamoff>(in.grid_pos));
    if (!READ_ONE_WORK(m, slot, offset, in.rec, f)) {
      m.last_error() = name + " read ERR " + m.last_error();
      show_stop("ERR : " + m.last_error(), "File read Error");
      break;
    }
    if (first_new < 0) first_new = slot;
    ++taken;
  }
  Check_Any_WORK(m);
  return taken > 0;
}
