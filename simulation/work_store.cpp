#include "simulation/work_store.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <stdexcept>

#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/sim_text.h"

namespace {

std::atomic<std::uint64_t> g_work_revision{0};


bool valid_slot(int work) { return work >= 0 && work < WORK_MAX; }

// The Z extent an allocation accepts: finite, and max above min by more than 1e-6.
bool thick_in_z(float lo, float hi) {
  return std::isfinite(lo) && std::isfinite(hi) && static_cast<double>(lo) + 1e-6 < hi;
}

// The corner checks, degenerate extents and division checks of one axis. `reached_store`
// tells whether the corners were settled before a division check failed.
bool settle_axis(char axis, float& lo, float& hi, std::string& err) {
  const double a = lo, b = hi;
  const bool finite = std::isfinite(a) && std::isfinite(b) && std::isfinite(b - a);
  if (axis == 'Z') {
    if (!finite || !thick_in_z(lo, hi)) {
      err = " ERR : minZ(" + sim_fixed3(a) + "),maxZ(" + sim_fixed3(b) +
            ") : Z 方向の指定が不正です。";
      return false;
    }
    return true;
  }
  if (!finite || !(a - 1e-6 <= b)) {
    err = std::string(" ERR : min") + axis + "(" + sim_fixed3(a) + "),max" + axis + "(" +
          sim_fixed3(b) + ") : " + axis + " 方向の指定が不正です。";
    return false;
  }
  return true;
}

void collapse_axis(int& n, float& lo, float& hi) {
  const float mid = static_cast<float>((static_cast<double>(lo) + hi) * 0.5);
  if (n == 0) {
    lo = hi = mid;
    return;
  }
  if (std::fabs(static_cast<double>(hi) - lo) < 2e-6) {
    lo = static_cast<float>(mid - n / 2.0);
    hi = static_cast<float>(mid + n / 2.0);
  }
  if (std::fabs(static_cast<double>(hi) - lo) < 2e-6) {
    lo = hi;
    n = 0;
  }
}

bool check_divisions(int nx, int ny, std::string& err) {
  if (nx > WORK_DIV_MAX) {
    err = " X 分割数(" + std::to_string(nx) + "/max=" + std::to_string(WORK_DIV_MAX) +
          ")が大きすぎます。";
    return false;
  }
  if (ny > WORK_DIV_MAX) {
    err = " Y 分割数(" + std::to_string(ny) + "/max=" + std::to_string(WORK_DIV_MAX) +
          ")が大きすぎます。";
    return false;
  }
  if (nx < 0) {
    err = " X 分割数(" + std::to_string(nx) + "/min=0)が少なすぎます。";
    return false;
  }
  if (ny < 0) {
    err = " Y 分割数(" + std::to_string(ny) + "/min=0)が少なすぎます。";
    return false;
  }
  return true;
}

// Steps 2 to 5 of the allocation: settles the corners into `w` (min, max, size, top and
// bottom Z are written once the corner checks pass) and checks the divisions.
bool settle_extent(TWORK_DATA& w, int& nx, int& ny, VEC3 lo, VEC3 hi, std::string& err,
                   bool& corners_written) {
  corners_written = false;
  if (!settle_axis('X', lo.x, hi.x, err) || !settle_axis('Y', lo.y, hi.y, err) ||
      !settle_axis('Z', lo.z, hi.z, err))
    return false;
  collapse_axis(nx, lo.x, hi.x);
  collapse_axis(ny, lo.y, hi.y);
  w.min = lo;
  w.max = hi;
  w.top_z = hi.z;
  w.bottom_z = lo.z;
  w.size = VEC3{hi.x - lo.x, hi.y - lo.y, hi.z - lo.z};
  corners_written = true;
  if (!std::isfinite(w.size.x) || !std::isfinite(w.size.y) || !std::isfinite(w.size.z)) {
    // Finite corners so far apart that their distance overflows a float.
    const char axis = !std::isfinite(w.size.x) ? 'X' : !std::isfinite(w.size.y) ? 'Y' : 'Z';
    const double a = axis == 'X' ? lo.x : axis == 'Y' ? lo.y : lo.z;
    const double b = axis == 'X' ? hi.x : axis == 'Y' ? hi.y : hi.z;
    err = std::string(" ERR : min") + axis + "(" + sim_fixed3(a) + "),max" + axis + "(" +
          sim_fixed3(b) + ") : " + axis + " 方向の指定が不正です。";
    return false;
  }
  return check_divisions(nx, ny, err);
}

void fill_coordinates(std::vector<float>& c, int n, float lo, float size) {
  if (n == 0) {
    c[0] = lo;
    return;
  }
  const float step = size / static_cast<float>(n);
  for (int i = 0; i <= n; ++i) c[i] = lo + static_cast<float>(i) * step;
}

void fill_display_index(int n, std::int32_t& steps, std::int32_t* index) {
  if (n <= WORK_DISP_STEP_MAX) {
    steps = n;
    for (int k = 0; k <= n; ++k) index[k] = k;
    return;
  }
  steps = WORK_DISP_STEP_MAX;
  for (int i = n; i >= 0; --i)
    index[static_cast<std::int64_t>(WORK_DISP_STEP_MAX) * i / n] = i;
}

// Builds a complete work in `w` (a fresh record): the whole allocation of GET_WORK_MEM with
// its grid filled with the uncut state, and a backup grid when `with_backup`.
bool build_work(TWORK_DATA& w, int nx, int ny, const VEC3& lo, const VEC3& hi,
                const std::uint8_t color[4], bool with_backup, std::string& err,
                bool& corners_written) {
  if (!settle_extent(w, nx, ny, lo, hi, err, corners_written)) return false;
  if (!check_work_memory(work_memory_bytes(nx, ny, with_backup), err)) return false;
  w.nx = nx;
  w.ny = ny;
  w.step_x = nx == 0 ? 1.0f : w.size.x / static_cast<float>(nx);
  w.step_y = ny == 0 ? 1.0f : w.size.y / static_cast<float>(ny);
  const std::size_t n = w.point_count();
  w.grid_bytes = static_cast<std::uint32_t>(n * sizeof(TGRID_POINT));
  TGRID_POINT uncut;
  uncut.z = w.top_z;
  uncut.mark = GRID_MARK_UNCUT;
  std::copy(color, color + 4, uncut.col);
  try {
    // Filled at once, so that a shortage shows here and not in the middle of a cut.
    w.grid.assign(n, uncut);
    if (with_backup) w.backup.assign(n, uncut);
    w.xs.assign(static_cast<std::size_t>(nx) + 1, 0.0f);
    w.ys.assign(static_cast<std::size_t>(ny) + 1, 0.0f);
    w.tiles_x = (nx + WORK_TILE) >> WORK_TILE_SHIFT;
    w.tiles_y = (ny + WORK_TILE) >> WORK_TILE_SHIFT;
    w.tile_max.assign(static_cast<std::size_t>(w.tiles_x) * w.tiles_y, w.top_z);
    w.tile_epoch.assign(w.tile_max.size(), 0);
    w.tile_rev.assign(w.tile_max.size(), next_WORK_revision());
  } catch (const std::bad_alloc&) {
    err = "ワーク用のメモリが確保できませんでした";
    return false;
  } catch (const std::length_error&) {
    err = "ワーク用のメモリが確保できませんでした";
    return false;
  }
  std::copy(color, color + 4, w.color);
  w.in_use = 1;
  fill_coordinates(w.xs, nx, w.min.x, w.size.x);
  fill_coordinates(w.ys, ny, w.min.y, w.size.y);
  w.jig = 0;
  w.cutting = 1;
  w.visible = 1;
  w.see_through = 0;
  w.sel_value = 0;
  w.sel_mark = 0;
  w.memo.fill(0);
  w.group = 0;
  fill_display_index(nx, w.disp_steps_x, w.disp_index_x);
  fill_display_index(ny, w.disp_steps_y, w.disp_index_y);
  return true;
}

void release_blocks(TWORK_DATA& w) {
  TGRID_VECTOR().swap(w.grid);
  TGRID_VECTOR().swap(w.backup);
  std::vector<float>().swap(w.xs);
  std::vector<float>().swap(w.ys);
  std::vector<float>().swap(w.tile_max);
  std::vector<std::uint32_t>().swap(w.tile_epoch);
  std::vector<std::uint64_t>().swap(w.tile_rev);
  w.tiles_x = w.tiles_y = 0;
}

TGRID_POINT uncut_point(const TWORK_DATA& w) {
  TGRID_POINT p;
  p.z = w.top_z;
  p.mark = GRID_MARK_UNCUT;
  std::copy(w.color, w.color + 4, p.col);
  return p;
}

// Takes a backup grid for a work that has none; false when memory is short.
bool ensure_backup(TWORK_DATA& w, std::string& err) {
  if (w.backup.size() == w.grid.size()) return true;
  if (!check_work_memory(w.grid.size() * sizeof(TGRID_POINT), err)) return false;
  err = "ワーク用のメモリが確保できませんでした";
  try {
    w.backup.assign(w.grid.size(), uncut_point(w));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

// ---- helpers -------------------------------------------------------------------------------

std::string work_memo_text(const TWORK_DATA& w) {
  const auto end = std::find(w.memo.begin(), w.memo.end(), '\0');
  return std::string(w.memo.begin(), end);
}

void set_work_memo(TWORK_DATA& w, const std::string& text) {
  w.memo.fill(0);
  const std::size_t n = plat::sjis_cut_pos(text, WORK_MEMO_SIZE - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), w.memo.begin());
}

TGRID_POINT work_backup_point(const TWORK_DATA& w, std::size_t i) {
  if (w.backup.size() == w.grid.size() && i < w.backup.size()) return w.backup[i];
  return uncut_point(w);
}

std::uint64_t work_memory_bytes(int nx, int ny, bool jig) {
  const std::uint64_t px = static_cast<std::uint64_t>(std::max(nx, 0)) + 1;
  const std::uint64_t py = static_cast<std::uint64_t>(std::max(ny, 0)) + 1;
  const std::uint64_t grid = px * py * sizeof(TGRID_POINT);
  const std::uint64_t tiles = ((px + WORK_TILE - 1) >> WORK_TILE_SHIFT) *
                              ((py + WORK_TILE - 1) >> WORK_TILE_SHIFT) *
                              (sizeof(float) + sizeof(std::uint32_t) + sizeof(std::uint64_t));
  return grid * (jig ? 2 : 1) + (px + py) * sizeof(float) + tiles;
}

bool check_work_memory(std::uint64_t bytes, std::string& err) {
  plat::MemoryStatus ms;
  if (!plat::memory_status(ms)) return true;  // no figure: the allocation shows
  const std::uint64_t free =
      ms.avail_phys > WORK_MEMORY_RESERVE ? ms.avail_phys - WORK_MEMORY_RESERVE : 0;
  if (bytes <= free) return true;
  constexpr std::uint64_t MB = 1ull << 20;
  err = "ワーク用のメモリが確保できませんでした\n( 必要 " + std::to_string((bytes + MB - 1) / MB) +
        " MB / 空き " + std::to_string(free / MB) + " MB )";
  return false;
}

bool check_work_extent(int& nx, int& ny, const VEC3& min, const VEC3& max, std::string& err) {
  TWORK_DATA probe;
  bool written = false;
  return settle_extent(probe, nx, ny, min, max, err, written);
}

std::uint64_t next_WORK_revision() { return ++g_work_revision; }
std::uint64_t current_WORK_revision() { return g_work_revision.load(); }

void touch_WORK_tiles(TWORK_DATA& w) { std::fill(w.tile_rev.begin(), w.tile_rev.end(), next_WORK_revision()); }

void Refresh_WORK_tiles(TWORK_DATA& w) {
  if (!w.in_use || w.grid.empty()) return;
  touch_WORK_tiles(w);
  const int row = w.nx + 1;
  std::fill(w.tile_max.begin(), w.tile_max.end(), -HUGE_VALF);
  std::fill(w.tile_epoch.begin(), w.tile_epoch.end(), 0u);
  for (int iy = 0; iy <= w.ny; ++iy) {
    const TGRID_POINT* p = &w.grid[static_cast<std::size_t>(row) * iy];
    float* t = &w.tile_max[static_cast<std::size_t>(iy >> WORK_TILE_SHIFT) * w.tiles_x];
    for (int tx = 0; tx < w.tiles_x; ++tx) {
      const int x0 = tx << WORK_TILE_SHIFT, x1 = std::min(w.nx, x0 + WORK_TILE - 1);
      float m = t[tx];
      for (int ix = x0; ix <= x1; ++ix) m = std::max(m, p[ix].z);
      t[tx] = m;
    }
  }
}

namespace {
// Every point of a work at one height: the tile bounds are that height.
void level_tiles(TWORK_DATA& w, float z) {
  touch_WORK_tiles(w);
  std::fill(w.tile_max.begin(), w.tile_max.end(), z);
  std::fill(w.tile_epoch.begin(), w.tile_epoch.end(), 0u);
}
}  // namespace

// ---- operations ----------------------------------------------------------------------------

bool Get_mat_Version(std::string& out) {
  out = "*";
  return true;
}

bool Check_WORK_num(Tmat& m, int work, const std::string& caller) {
  const bool in_range = valid_slot(work);
  if (in_range && m.works[work].in_use) return true;
  const bool used = in_range && m.works[work].in_use;
  const std::string text = "Out of Limit ERR : " + caller + " (work_num= " +
                           std::to_string(work) + " ) enabled is " + (used ? "TRUE" : "FALSE");
  plat::message_box(text, "work data err", plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  m.last_error() = text;
  return false;
}

bool Check_Any_WORK(Tmat& m) {
  m.any_work = 0;
  for (const TWORK_DATA& w : m.works)
    if (w.in_use) m.any_work = 1;
  return m.any_work != 0;
}

int Get_Free_WORK_num(const Tmat& m) {
  for (int i = 0; i < WORK_MAX; ++i)
    if (!m.works[i].in_use) return i;
  return -1;
}

int Get_Max_GROUP_num(const Tmat& m) {
  int g = 0;
  for (const TWORK_DATA& w : m.works)
    if (w.in_use && w.group > g) g = w.group;
  return g;
}

int Get_GROUP_Offset(Tmat& m) {
  std::vector<std::int32_t> seen;
  for (TWORK_DATA& w : m.works) {
    if (!w.in_use || w.group == 0) continue;
    auto it = std::find(seen.begin(), seen.end(), w.group);
    if (it == seen.end()) {
      seen.push_back(w.group);
      it = seen.end() - 1;
    }
    w.group = static_cast<std::int32_t>(it - seen.begin()) + 1;
  }
  return static_cast<int>(seen.size());
}

void Get_WORK_Area(const Tmat& m, VEC3& out_min, VEC3& out_max) {
  out_min = VEC3{};
  out_max = VEC3{};
  for (const TWORK_DATA& w : m.works) {
    if (!w.in_use) continue;
    out_min.x = std::min(out_min.x, w.min.x);
    out_min.y = std::min(out_min.y, w.min.y);
    out_min.z = std::min(out_min.z, w.min.z);
    out_max.x = std::max(out_max.x, w.max.x);
    out_max.y = std::max(out_max.y, w.max.y);
    out_max.z = std::max(out_max.z, w.max.z);
  }
}

bool SET_WORK_NUM(Tmat& m, int work) {
  m.cur_work = -1;
  if (valid_slot(work)) {
    m.cur_work = work;
    return true;
  }
  m.last_error() = "ERR : ワーク番号(x_work_num=" + std::to_string(work) + ")の指定が範囲(0～" +
                   std::to_string(WORK_MAX - 1) + ")外です";
  return false;
}

bool GET_WORK_MEM(Tmat& m, int work, int nx, int ny, const VEC3& min, const VEC3& max) {
  if (!valid_slot(work)) {
    m.last_error() = "ERR : ワーク番号(x_work_num=" + std::to_string(work) +
                     ")の指定が範囲(0～" + std::to_string(WORK_MAX - 1) + ")外です";
    return false;
  }
  TWORK_DATA& slot = m.works[work];
  if (slot.in_use) {
    m.last_error() = "Get MEM ERR : work_num(=" + std::to_string(work) +
                     ") is Already getted memory";
    return false;
  }
  TWORK_DATA w;
  bool corners = false;
  std::string err;
  const std::uint8_t none[4] = {0, 0, 0, 0};
  if (!build_work(w, nx, ny, min, max, none, false, err, corners)) {
    if (corners) {  // a free slot keeps the corners it was given
      slot.min = w.min;
      slot.max = w.max;
      slot.size = w.size;
      slot.top_z = w.top_z;
      slot.bottom_z = w.bottom_z;
    }
    m.last_error() = err;
    return false;
  }
  slot = std::move(w);
  m.any_work = 1;
  return true;
}

bool CREATE_WORK(Tmat& m, const std::uint8_t color[4], int nx, int ny, bool cutting, bool jig,
                 const VEC3& min, const VEC3& max) {
  const int work = m.cur_work;
  if (!valid_slot(work)) {
    m.last_error() = "ERR : ワーク番号(x_work_num=" + std::to_string(work) +
                     ")の指定が範囲(0～" + std::to_string(WORK_MAX - 1) + ")外です";
    return false;
  }
  TWORK_DATA w;
  bool corners = false;
  std::string err;
  if (!build_work(w, nx, ny, min, max, color, jig, err, corners)) {
    m.last_error() = err;
    return false;
  }
  w.jig = jig ? 1 : 0;
  w.cutting = cutting ? 1 : 0;
  m.works[work] = std::move(w);
  m.any_work = 1;
  return true;
}

bool RESIZE_WORK_MATRIX(Tmat& m, int work, int nx, int ny) {
  if (!Check_WORK_num(m, work, "REMAKE_FOR_WORK_MATRIX")) return false;
  const TWORK_DATA& old = m.works[work];
  return REBUILD_WORK_MATRIX(m, work, nx, ny, old.min, old.max);
}

bool REBUILD_WORK_MATRIX(Tmat& m, int work, int nx, int ny, const VEC3& min, const VEC3& max) {
  if (!Check_WORK_num(m, work, "REMAKE_FOR_WORK_MATRIX")) return false;
  TWORK_DATA& old = m.works[work];
  TWORK_DATA w;
  bool corners = false;
  std::string err;
  if (!build_work(w, nx, ny, min, max, old.color, old.jig != 0, err, corners)) {
    m.last_error() = err;
    return false;
  }
  w.group = old.group;
  w.jig = old.jig;
  w.cutting = old.cutting;
  w.visible = old.visible;
  w.see_through = old.see_through;
  w.sel_mark = old.sel_mark;
  w.sel_value = old.sel_value;
  w.memo = old.memo;
  old = std::move(w);
  Check_Any_WORK(m);
  return true;
}

bool WORK_MEM_FREE(Tmat& m, int work) {
  if (!valid_slot(work)) return false;
  TWORK_DATA& w = m.works[work];
  release_blocks(w);
  w.grid_bytes = 0;
  w.in_use = 0;
  w.cutting = 0;
  w.visible = 0;
  Check_Any_WORK(m);
  return true;
}

bool WORK_MEM_FREE_same_GROUP(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "WORK_MEM_FREE_same_GROUP")) return false;
  const int g = m.works[work].group;
  if (g < 1) return WORK_MEM_FREE(m, work);
  for (int i = 0; i < WORK_MAX; ++i)
    if (m.works[i].in_use && m.works[i].group == g) WORK_MEM_FREE(m, i);
  return true;
}

bool WORK_MEM_FREE_ALL(Tmat& m) {
  for (int i = 0; i < WORK_MAX; ++i) WORK_MEM_FREE(m, i);
  m.any_work = 0;
  return true;
}

bool CHANGE_GROUP_NUM(Tmat& m, int work, int group) {
  if (!Check_WORK_num(m, work, "CHANGE_GROUP_NUM")) return false;
  m.works[work].group = group;
  return true;
}

namespace {
bool change_group_byte(Tmat& m, int work, bool on, const char* caller,
                       std::uint8_t TWORK_DATA::*field) {
  if (!Check_WORK_num(m, work, caller)) return false;
  const int g = m.works[work].group;
  if (g > 0) {
    for (TWORK_DATA& w : m.works)
      if (w.in_use && w.group == g) w.*field = on ? 1 : 0;
  } else {
    m.works[work].*field = on ? 1 : 0;
  }
  return true;
}
}  // namespace

bool CHANGE_VIS_MODE(Tmat& m, int work, bool on) {
  return change_group_byte(m, work, on, "CHANGE_VIS_MODE", &TWORK_DATA::visible);
}

bool CHANGE_CUTTING_MODE(Tmat& m, int work, bool on) {
  return change_group_byte(m, work, on, "CHANGE_CUTTING_MODE", &TWORK_DATA::cutting);
}

bool CHANGE_WORK_to_ZIGU_MODE(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "CHANGE_WORK_to_ZIGU_MODE")) return false;
  if (!BACKUP_WORK_ARRAY(m, work)) return false;  // without its backup it stays a work
  m.works[work].jig = 1;
  return true;
}

bool CHANGE_ZIGU_to_WORK_MODE(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "CHANGE_ZIGU_to_WORK_MODE")) return false;
  TWORK_DATA& w = m.works[work];
  w.jig = 0;
  TGRID_VECTOR().swap(w.backup);  // a plain work resets to its top instead
  return true;
}

bool BACKUP_WORK_ARRAY(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "BACKUP_WORK_ARRAY")) return false;
  TWORK_DATA& w = m.works[work];
  std::string err;
  if (!ensure_backup(w, err)) {
    m.last_error() = err;
    return false;
  }
  std::copy(w.grid.begin(), w.grid.end(), w.backup.begin());
  return true;
}

bool Preset_MeshArray(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "Preset_MeshArray")) return false;
  TWORK_DATA& w = m.works[work];
  fill_coordinates(w.xs, w.nx, w.min.x, w.size.x);
  fill_coordinates(w.ys, w.ny, w.min.y, w.size.y);
  return true;
}

bool Preset_For_WORK_Color(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "Preset_For_WORK_Color")) return false;
  TWORK_DATA& w = m.works[work];
  for (TGRID_POINT& p : w.grid) std::copy(w.color, w.color + 4, p.col);
  for (TGRID_POINT& p : w.backup) std::copy(w.color, w.color + 4, p.col);
  touch_WORK_tiles(w);
  return true;
}

bool MOVE_Z_OF_WORK_MATRIX(Tmat& m, int work, float dz) {
  if (!Check_WORK_num(m, work, "MOVE_Z_OF_WORK_MATRIX")) return false;
  TWORK_DATA& w = m.works[work];
  // Refused too when the moved heights would make the work flat (as a float far from zero),
  // which its file could not hold.
  if (!std::isfinite(dz) || !thick_in_z(w.min.z + dz, w.max.z + dz)) {
    m.last_error() = "ERR : Z 移動量(" + sim_fixed3(dz) + ")が不正です";
    return false;
  }
  w.min.z += dz;
  w.max.z += dz;
  w.top_z += dz;
  w.bottom_z += dz;
  for (TGRID_POINT& p : w.grid) p.z += dz;
  for (TGRID_POINT& p : w.backup) p.z += dz;
  for (float& t : w.tile_max) t += dz;  // still bounds
  touch_WORK_tiles(w);
  return true;
}

bool MOVE_XY_OF_WORK_MATRIX(Tmat& m, int work, float dx, float dy) {
  if (!Check_WORK_num(m, work, "MOVE_XY_OF_WORK_MATRIX")) return false;
  TWORK_DATA& w = m.works[work];
  const bool ok = std::isfinite(dx) && std::isfinite(dy) && std::isfinite(w.min.x + dx) &&
                  std::isfinite(w.max.x + dx) && std::isfinite(w.min.y + dy) &&
                  std::isfinite(w.max.y + dy);
  if (!ok) {
    m.last_error() = "ERR : XY 移動量(" + sim_fixed3(dx) + "," + sim_fixed3(dy) + ")が不正です";
    return false;
  }
  w.min.x += dx;
  w.max.x += dx;
  w.min.y += dy;
  w.max.y += dy;
  for (float& x : w.xs) x += dx;
  for (float& y : w.ys) y += dy;
  touch_WORK_tiles(w);
  return true;
}

bool PRESET_Z_OF_WORK_MATRIX(Tmat& m, int work, float z) {
  if (!Check_WORK_num(m, work, "PRESET_Z_OF_WORK_MATRIX")) return false;
  TWORK_DATA& w = m.works[work];
  if (!thick_in_z(z, w.max.z)) {
    m.last_error() = "ERR : 指定 Z 値が元の最大 Z 値より大きくなっています";
    return false;
  }
  w.min.z = z;
  w.bottom_z = z;
  w.size.z = w.max.z - z;
  auto raise = [z](TGRID_VECTOR& g) {
    for (TGRID_POINT& p : g) {
      if (p.z < z) {
        p.z = z;
        if (!is_collision_point(p)) p.mark = GRID_MARK_BOTTOM;
      }
    }
  };
  raise(w.grid);
  raise(w.backup);
  for (float& t : w.tile_max) t = std::max(t, z);  // still bounds
  touch_WORK_tiles(w);
  return true;
}

bool REMAKE_FOR_WORK_MATRIX(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "REMAKE_FOR_WORK_MATRIX")) return false;
  TWORK_DATA& w = m.works[work];
  if (w.jig) {
    for (std::size_t i = 0; i < w.grid.size(); ++i) w.grid[i] = work_backup_point(w, i);
  } else {
    const TGRID_POINT u = uncut_point(w);
    std::fill(w.grid.begin(), w.grid.end(), u);
    std::fill(w.backup.begin(), w.backup.end(), u);
    level_tiles(w, w.top_z);
    return true;
  }
  Refresh_WORK_tiles(w);
  return true;
}

bool REMAKE_ALL_WORK_MATRIX(Tmat& m) {
  for (int i = 0; i < WORK_MAX; ++i)
    if (m.works[i].in_use) REMAKE_FOR_WORK_MATRIX(m, i);
  return true;
}

bool Check_WORK_after_Cutted(Tmat& m, int work) {
  if (!Check_WORK_num(m, work, "Check_WORK_after_Cutted")) return false;
  const TWORK_DATA& w = m.works[work];
  if (w.jig) {
    for (std::size_t i = 0; i < w.grid.size(); ++i)
      if (w.grid[i].z != work_backup_point(w, i).z) return true;
    return false;
  }
  for (const TGRID_POINT& p : w.grid)
    if (p.z != w.top_z) return true;
  return false;
}
