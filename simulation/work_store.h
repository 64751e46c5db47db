// The work-piece store: up to 32 works and jigs as height grids in one record, Tmat, that
// also carries the current tool shape and the state of the move being cut. Every routine of
// the simulation takes a Tmat as its first argument. Texts are CP932 byte strings.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/ats_func.h"
#include "platform/core/system.h"

// ---- capacities ----------------------------------------------------------------------------
constexpr int WORK_MAX = 32;             // work slots 0..31
constexpr int WORK_DIV_MAX = 4095;       // divisions per axis
constexpr int WORK_DISP_STEP_MAX = 64;   // drawn steps per axis
constexpr int TOOL_SHAPE_MAX = 16;       // shape sections of the current tool
constexpr int TOOL_SILHOUETTE_SLOTS = 51;
constexpr int TOOL_SILHOUETTE_MAX = 50;  // segments built per section
constexpr int WORK_MEMO_SIZE = 256;
constexpr int TMAT_TEXT_COUNT = 5;
constexpr int WORK_TILE_SHIFT = 5;       // height bound tiles of 32 x 32 points
constexpr int WORK_TILE = 1 << WORK_TILE_SHIFT;

// Grid point marks.
constexpr std::int32_t GRID_MARK_UNCUT = -1;
constexpr std::int32_t GRID_MARK_BOTTOM = -2;

// One lattice point: 12 bytes. A blue byte of 1 marks a collision point; its alpha byte then
// holds the low byte of the collision flags.
struct TGRID_POINT {
  float z = 0;
  std::int32_t mark = GRID_MARK_UNCUT;
  union {
    std::uint8_t col[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::uint32_t rgba;                  // the same four bytes as one word
  };
};
static_assert(sizeof(TGRID_POINT) == 12);
// A grid: large ones live on huge pages (a 4094 x 4094 grid is 200 MB).
using TGRID_VECTOR = std::vector<TGRID_POINT, plat::LargeAllocator<TGRID_POINT>>;

inline bool is_collision_point(const TGRID_POINT& p) { return p.col[2] == 1; }

// A quadruple of floats (silhouette control points).
struct VEC4 {
  float x = 0, y = 0, z = 0, w = 0;
};

// One work piece or jig.
struct TWORK_DATA {
  std::int32_t nx = 0, ny = 0;   // divisions; the lattice has (nx+1) x (ny+1) points
  float top_z = 0;               // height of an uncut point
  float bottom_z = 0;            // lowest height cutting may leave
  float step_x = 1, step_y = 1;  // cell size
  VEC3 size;                     // max - min
  VEC3 min;
  VEC3 max;
  std::uint8_t color[4] = {0, 0, 0, 0};
  std::uint8_t in_use = 0;
  std::int32_t group = 0;        // 0 = no group
  std::uint8_t jig = 0;
  std::uint8_t cutting = 0;
  std::uint8_t visible = 0;
  std::uint8_t see_through = 0;  // drawn transparently (work view)
  std::uint8_t sel_mark = 0;     // selection state of the work settings window
  std::int32_t sel_value = 0;
  // The memo: a zero-terminated text inside a fixed field; read it with work_memo_text().
  std::array<char, WORK_MEMO_SIZE> memo{};
  std::uint32_t grid_bytes = 0;  // (nx+1) * (ny+1) * 12
  // Current grid, row by row: point (ix, iy) is number (nx+1)*iy + ix.
  TGRID_VECTOR grid;
  // The state a jig is restored to. Only jigs keep one (it is taken when a work becomes a
  // jig); a work without it reads as its uncut state, see work_backup_point().
  TGRID_VECTOR backup;
  std::vector<float> xs;         // nx+1 X coordinates
  std::vector<float> ys;         // ny+1 Y coordinates
  std::int32_t disp_steps_x = 0, disp_steps_y = 0;
  std::int32_t disp_index_x[WORK_DISP_STEP_MAX + 1] = {};
  std::int32_t disp_index_y[WORK_DISP_STEP_MAX + 1] = {};
  // An upper bound of the heights of each tile of WORK_TILE x WORK_TILE points of the current
  // grid, row by row. Cutting only lowers points, so the bounds stay valid while it runs; any
  // code that raises points calls Refresh_WORK_tiles().
  std::vector<float> tile_max;
  // The cut (Tmat::cut_epoch) that last lowered points of each tile; 0 when the bound is
  // exact. A bound from an earlier cut is recomputed before it is relied on.
  std::vector<std::uint32_t> tile_epoch;
  // The revision of each tile's points (next_WORK_revision): every writer of grid points
  // gives the tiles it wrote a new one, so that a drawing can tell which tiles changed since
  // it last drew them.
  std::vector<std::uint64_t> tile_rev;
  std::int32_t tiles_x = 0, tiles_y = 0;

  std::size_t point_count() const {
    return static_cast<std::size_t>(nx + 1) * static_cast<std::size_t>(ny + 1);
  }
};

// One axially symmetric section of the tool shape (see tool_shape.h).
struct TSILHOUETTE_SEG {
  VEC4 p[3];  // quadratic Bezier control points: x along the track, y lateral, z height
};

struct TTOOL_PARAM {
  std::string description;
  std::int32_t type = 0;          // 1..6
  float removed_depth_sum = 0;    // section 0: over the current cut
  float max_cut_depth = 0;
  float max_excess_depth = 0;
  std::uint16_t cut_flags = 0;    // section 0: collision flags of the current cut
  std::uint8_t oblique_restricted = 0;  // section 0 only
  double ref_z = 0;               // bottom of the section above the tool tip
  double FR = 0, FR2 = 0;
  double BR = 0, BR2 = 0;
  double AR = 0, AR2 = 0;
  double area_rz = 0;
  double edge_len = 0, effective_len = 0;
  double slope_sin = 0, slope_sin2 = 0;  // per move
  double taper_a = 0;             // pi/2 - half angle (type 5)
  double taper_zx = 0;            // tan(taper_a)
  double deg_a = 0;
  std::uint8_t ball_reached = 0;  // per move, types 3 and 6
  std::uint8_t slope_under_taper = 0;  // per move, type 5
  std::uint8_t cutting_edge = 0;  // 1 = cuts; 0 = shank or holder
  float tool_edge_len = 0;        // section 0 only
  double centre_r = 0, centre_r2 = 0;
  double pass_value = 0;
  std::uint8_t cut_color[4] = {0, 0, 0, 0};
  std::int32_t pass_int = 0;
  TSILHOUETTE_SEG segs[TOOL_SILHOUETTE_SLOTS];
  std::int32_t seg_count = 0;
};

// One segment of the measuring chain.
struct TMEASURE_SEG {
  VEC3 a, b;
};

// The picked grid cell of the work view.
struct TPICK_CELL {
  float x = 0, y = 0, z = 0, top = 0;
  std::int32_t mark = 0;
  std::uint8_t col[4] = {0, 0, 0, 0};
  std::int32_t work = -1;
  std::int32_t ix = 0, iy = 0;
  std::uint16_t damage = 0;
};

struct Tmat {
  // -- the move being cut
  double slope_k = 0, slope_k2 = 0;
  double step_inc[4] = {0, 0, 0, 0};  // (du, dv) per X step, then per Y step
  double sin_mt = 0, cos_mt = 1;      // sin(-theta), cos(-theta)
  double dx = 0, dy = 0, dz = 0;
  double L2 = 0, L = 0;
  double theta = 0;
  double start_u = 0, start_v = 0;
  VEC3 P0, P1;
  std::uint8_t downward = 0;
  // -- work view state
  std::int32_t blink_phase = 0;
  std::uint8_t blend = 0;
  float work_alpha = 1, jig_alpha = 1;
  // -- tool
  std::uint8_t tool_defined = 0;
  // -- store
  std::uint8_t any_work = 0;
  std::int32_t nc_line = -1;
  std::int32_t move_kind = 1;         // 0 = rapid
  std::int32_t pick_count = 0;
  VEC3 pick_pos, pick_tool_pos, pick_normal;
  TWORK_DATA works[WORK_MAX];
  std::int32_t cur_work = -1;
  // -- tool shape sections
  std::int32_t tpm_count = 0;         // sections in use
  std::int32_t tpm_tool_count = 0;    // sections below this index belong to the tool
  std::int32_t tpm_active = 0;        // active sections of the current cut
  TTOOL_PARAM tpm[TOOL_SHAPE_MAX];
  // -- switches and cut parameters
  std::uint8_t cut_jigs = 1;          // DISP_SIM_CUTTING_ZIGU
  std::int32_t cut_section_mode = 2;  // 0 none, 1 the tool's own sections, 2 all
  double cut_r = 0;
  double view_azimuth = 0;            // degrees
  std::uint8_t view_order = 0;
  std::uint8_t see_through_works = 0, see_through_tool = 0, show_jigs = 1, blink = 0;
  std::uint8_t jig_rect_check = 1;    // DISP_SIM_ZIGU_RECT_CHK
  std::int32_t mesh_mode = 1;         // 1 coarse display grid, otherwise the full grid
  std::int32_t tool_mode = 2;         // 0 off, 1 without lighting, 2 with lighting
  std::uint8_t tool_spin = 0;
  float spin_angle = 0;
  std::uint8_t frame_color[4] = {255, 255, 255, 255};
  float frame_height = 0;             // height of the grid-point frame (measuring)
  // The measuring chain of measure mode, segment by segment; `measure_open` while the
  // chain is being drawn (a new chain starts at the next segment after it closed).
  std::vector<TMEASURE_SEG> measure;
  std::uint8_t measure_open = 0;
  // -- texts; text[0] is the last error text
  std::string text[TMAT_TEXT_COUNT];
  // -- cut abort and index box
  std::int32_t abort_flag = 0;        // 0 none, 1 Escape, 2 mouse button
  std::int32_t box[4] = {0, 0, 0, 0}; // ix0, iy0, ix1, iy1 inclusive
  std::int32_t abort_count = 500;     // cells left before the next abort check
  std::uint32_t abort_poll_ms = 0;    // clock of the last poll
  std::uint8_t abort_polled = 0;      // a poll has happened
  // Collision flags of every sweep since the caller last cleared them (a move cuts several
  // works, an arc several chords; each sweep clears its own flags in section 0).
  std::uint16_t cut_flags_acc = 0;
  std::uint32_t cut_epoch = 0;        // counts the sweeps
  std::uint64_t cut_visited = 0;      // lattice points looked at by the sweeps (statistics)
  // 1: walk the whole index box of every cut instead of the swept area only (the reference
  // that the fast walk must equal; tests and benchmarks).
  std::uint8_t cut_walk_plain = 0;
  // Threads of a large sweep: 0 as many as the machine has, 1 only the calling thread.
  std::int32_t cut_threads = 0;
  // -- picked cell
  TPICK_CELL pick;

  std::string& last_error() { return text[0]; }
  const std::string& last_error() const { return text[0]; }
};

// ---- operations of the store ---------------------------------------------------------------
bool Get_mat_Version(std::string& out);
bool Check_WORK_num(Tmat& m, int work, const std::string& caller);
bool Check_Any_WORK(Tmat& m);
int Get_Free_WORK_num(const Tmat& m);
int Get_Max_GROUP_num(const Tmat& m);
int Get_GROUP_Offset(Tmat& m);
void Get_WORK_Area(const Tmat& m, VEC3& out_min, VEC3& out_max);
bool SET_WORK_NUM(Tmat& m, int work);
bool GET_WORK_MEM(Tmat& m, int work, int nx, int ny, const VEC3& min, const VEC3& max);
bool CREATE_WORK(Tmat& m, const std::uint8_t color[4], int nx, int ny, bool cutting, bool jig,
                 const VEC3& min, const VEC3& max);
bool RESIZE_WORK_MATRIX(Tmat& m, int work, int nx, int ny);
// Rebuilds a work, uncut, over new bounds and divisions; a refused rebuild (bad bounds,
// memory) leaves the work exactly as it was.
bool REBUILD_WORK_MATRIX(Tmat& m, int work, int nx, int ny, const VEC3& min, const VEC3& max);
bool WORK_MEM_FREE(Tmat& m, int work);
bool WORK_MEM_FREE_same_GROUP(Tmat& m, int work);
bool WORK_MEM_FREE_ALL(Tmat& m);
bool CHANGE_GROUP_NUM(Tmat& m, int work, int group);
bool CHANGE_VIS_MODE(Tmat& m, int work, bool on);
bool CHANGE_CUTTING_MODE(Tmat& m, int work, bool on);
bool CHANGE_WORK_to_ZIGU_MODE(Tmat& m, int work);
bool CHANGE_ZIGU_to_WORK_MODE(Tmat& m, int work);
bool BACKUP_WORK_ARRAY(Tmat& m, int work);
bool Preset_MeshArray(Tmat& m, int work);
bool Preset_For_WORK_Color(Tmat& m, int work);
bool MOVE_Z_OF_WORK_MATRIX(Tmat& m, int work, float dz);
// Moves a work in X and Y: its bounds together with its lattice coordinates, so that the
// drawing and cutting see it at the same place; the grid keeps its heights.
bool MOVE_XY_OF_WORK_MATRIX(Tmat& m, int work, float dx, float dy);
bool PRESET_Z_OF_WORK_MATRIX(Tmat& m, int work, float z);
bool REMAKE_FOR_WORK_MATRIX(Tmat& m, int work);
bool REMAKE_ALL_WORK_MATRIX(Tmat& m);
bool Check_WORK_after_Cutted(Tmat& m, int work);

// ---- helpers -------------------------------------------------------------------------------
// The memo up to its first zero byte (at most 256 bytes), and setting it (cut to 255 bytes at
// a character boundary, zero-filled).
std::string work_memo_text(const TWORK_DATA& w);
void set_work_memo(TWORK_DATA& w, const std::string& text);
// The point i of the state a work is reset to: its backup grid when it has one, else the
// uncut state (top Z, mark -1, the work colour).
TGRID_POINT work_backup_point(const TWORK_DATA& w, std::size_t i);
// Recomputes the height bounds of every tile of a work in use; its points count as written.
void Refresh_WORK_tiles(TWORK_DATA& w);
// The memory works may take: what the machine has available less this reserve for the
// drawing and the rest of the program.
constexpr std::uint64_t WORK_MEMORY_RESERVE = 512ull << 20;
// The bytes a work of nx x ny divisions holds: its grid (twice for a jig, which keeps a
// backup), lattice coordinates, tile bounds and tile revisions.
std::uint64_t work_memory_bytes(int nx, int ny, bool jig);
// True when `bytes` more fit in the available memory less the reserve, or when the figure
// cannot be read; otherwise false with "ワーク用のメモリが確保できませんでした" and the needed
// and free megabytes in `err`.
bool check_work_memory(std::uint64_t bytes, std::string& err);
// Revisions of grid points, from one counter of the program: the cutting walk gives the
// tiles where it lowered points a new one, the store's operations and the work-file reader
// the whole work (touch_WORK_tiles). current_WORK_revision is the last one given.
std::uint64_t next_WORK_revision();
std::uint64_t current_WORK_revision();
void touch_WORK_tiles(TWORK_DATA& w);
// Checks the corners and divisions as GET_WORK_MEM does, without allocating; false with the
// message in `err`. On success `nx` and `ny` hold the divisions the allocation would use (0 for an axis whose
// extent collapses).
bool check_work_extent(int& nx, int& ny, const VEC3& min, const VEC3& max, std::string& err);
