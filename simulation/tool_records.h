// Tool and holder records, magazine slots and the magazine, the 21 tool kinds with their
// texts and library files, and the wire outline record of the 3D view.
//
// Lengths are millimetres, angles degrees, colours 6-bit colour codes (0..63). Texts are
// CP932 byte strings. Every record is value-initialised (all zeros, empty texts); the
// defaults of a new tool or holder come from set_default_TOOL / set_default_HOLDER.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One cutting tool. The letters are those of the tool comment line.
struct TTOOL {
  std::string name;             // shown in lists; "未設定" for TOOL_KIND_NONE
  std::int32_t T_number = 0;    // T
  std::int32_t T_category = 0;  // A: tool kind 0..20
  std::int32_t shank_color = 0; // E: colour of the tool body
  float protrusion = 0;         // F: tool length out of the holder
  float shank_dia = 0;          // G: shank diameter
  std::int32_t edge_color = 0;  // B: colour of the cutting part
  float edge_len = 0;           // D: effective edge length
  float dia = 0;                // C: diameter
  float radius = 0;             // H: ball or corner radius; insert diameter (FACE_MILL_MARU),
                                //    insert width (FACE_MILL_KAKU), edge thickness (T_SLOT)
  float half_angle = 0;         // I: taper half angle
  float noedge_dia = 0;         // J: diameter of the part without edge (TAP, BORING_BAR, T_SLOT,
                                //    O_RING, INNER_R)
  std::uint8_t Z_given = 0;     // 1 when a Z value was read from text
  float Z_value = 0;            // Z
  // Derived by make_TOOL_comment_lines; read them only after it ran.
  float cut_dia = 0;            // largest diameter of the cutting part
  float tan_half_angle = 0;     // tan of the half angle (TAPER_EM..TAP, REV_TAPER)
  float derived1 = 0;           // kind-specific length
  float derived2 = 0;           // kind-specific length (ball kinds: where the ball meets C)
  std::string tool_line;        // "(VLM T..." comment line
  std::string name_line;        // "(VLM N..." comment line
  float ref_dia = 0;            // diameter used for the tool shape
  float ref_radius = 0;         // ball or corner radius of the tip, 0 without one
};

// One holder with its optional second holder, which may be tapered.
struct THOLDER {
  std::int32_t H_number = 0;    // H: equals the tool number in a magazine
  std::int32_t color = 0;       // A
  float dia = 0;                // B: holder diameter
  std::uint8_t h2_used = 0;     // second holder present (C present)
  std::int32_t h2_color = 0;    // C
  float h2_len = 0;             // E: second holder length
  float h2_max_dia = 0;         // G: largest diameter (taper base)
  float h2_half_angle = 0;      // F: taper half angle
  float h2_tip_dia = 0;         // D: tip diameter
  std::uint8_t h2_tapered = 0;  // F present
  std::uint8_t Z_given = 0;
  float Z_value = 0;            // Z
  float taper_len = 0;          // derived: length of the tapered part
  std::int32_t reserved = 0;    // always 0
  std::string holder_line;      // "(VLM H..." comment line
};

// One magazine slot: a tool, its holder and the per-tool texts and totals of the NC
// program's tool table.
struct TTTOOL_HOLDER_tmp {
  std::uint8_t tool_set = 0;
  std::uint8_t holder_set = 0;
  TTOOL tool;
  THOLDER holder;
  std::int32_t T_number = 0;    // the slot's tool number
  std::string text1, text2, text3, text4;
  float cut_len = 0;            // cutting length, mm
  float rapid_len = 0;          // rapid length, mm
  float mach_time = 0;          // machining time, minutes
  std::string list_head;
  std::string tool_name;        // the name typed in the tool settings window
  std::string list_body;
};

// A magazine: 201 slots and the count of slots in use. (Not "slots": Qt defines it.)
constexpr int kMagazineSlots = 201;
struct TTOOL_HOLDER_tmp {
  std::array<TTTOOL_HOLDER_tmp, kMagazineSlots> slot{};
  std::int32_t count = 0;
  // count limited to 0..kMagazineSlots, for loops over the slots in use.
  int used() const {
    return count < 0 ? 0 : (count > kMagazineSlots ? kMagazineSlots : count);
  }
};

// ---- tool kinds ---------------------------------------------------------------------------
// The value of TTOOL::T_category, then the code that stands for it in a tool line, the kind
// selector's text and the kind's library file.
enum TOOL_KIND : std::int32_t {
  TOOL_KIND_NONE = 0,                 // A0  選択なし         (no library file)
  TOOL_KIND_FLAT_EM = 1,              // A1  フラット         TOOL_FLAT_EM.nts
  TOOL_KIND_BALL_EM = 2,              // A2  ボール           TOOL_BALL_EM.nts
  TOOL_KIND_CORNER_R_EM = 3,          // A3  コーナーＲ       TOOL_CORNER_R_EM.nts
  TOOL_KIND_TAPER_EM = 4,             // A4  テーパー         TOOL_TAPER_EM.nts
  TOOL_KIND_TAPER_BALL_EM = 5,        // A5  テーパーボール   TOOL_TAPER_BALL_EM.nts
  TOOL_KIND_TAPER_RADIUS = 6,         // A6  テーパラジアス   TOOL_TAPER_RADIUS.nts
  TOOL_KIND_CENTER_DRILL = 7,         // A7  センタ穴ドリル   TOOL_CENTER_DRILL.nts
  TOOL_KIND_DRILL = 8,                // A8  ドリル           TOOL_DRILL.nts
  TOOL_KIND_TAP = 9,                  // A9  タップ           TOOL_TAP.nts
  TOOL_KIND_BORING_BAR = 10,          // A10 ボーリングバー   TOOL_BORING_BAR.nts
  TOOL_KIND_INDEXABLE_INS_DRILL = 11, // A11 ｽﾛｰｱｳｴｲ ドリル   TOOL_INDEXABLE_INS_DRILL.nts
  TOOL_KIND_FACE_MILL = 12,           // A12 フェイスミル     TOOL_FACE_MILL.nts
  TOOL_KIND_FACE_MILL_MARU = 13,      // A13 丸フェイスミル   TOOL_FACE_MILL_MARU.nts
  TOOL_KIND_FACE_MILL_KAKU = 14,      // A14 角フェイスミル   TOOL_FACE_MILL_KAKU.nts
  TOOL_KIND_T_SLOT = 15,              // A15 T-スロット       TOOL_T_SLOT.nts
  TOOL_KIND_O_RING = 16,              // A16 Ｏリングカッタ   TOOL_O_RING.nts
  TOOL_KIND_REV_TAPER = 17,           // A17 逆テーパカッタ   TOOL_REV_TAPER.nts
  TOOL_KIND_INNER_R = 18,             // A18 インナーＲ       TOOL_INNER_R.nts
  TOOL_KIND_REAMER = 19,              // A19 リーマ           TOOL_REAMER.nts
  TOOL_KIND_STRAIGHT = 20,            // A20 スロッチング     TOOL_STRAIGHT.nts
};
constexpr int kToolKinds = 21;
// Texts of the kind selector, blanks kept, in selector order.
extern const char* const TOOL_KIND_NAMES[kToolKinds];
// Library file of each kind ("" for kind 0).
extern const char* const TOOL_KIND_FILES[kToolKinds];

// The unit's version mark "*".
const char* Get_WORK_TOOL_HOLDER_Version();

// The defaults of a new tool / holder. The tool's name, comment lines and derived fields
// and the holder's line keep their values.
void set_default_TOOL(TTOOL& t);
void set_default_HOLDER(THOLDER& h);

// Sets the tool's name to the automatic name of its kind ("φ8 フラット"); a kind outside
// 0..20 leaves the name unchanged.
void get_TOOL_kind_text(TTOOL& t);

// ---- wire outline -------------------------------------------------------------------------
// A set of open polylines ("runs"): runs[k] is the number of points of run k, 255 after the
// last run. Points are stored run after run.
constexpr int kOutlineRuns = 104;
constexpr int kOutlinePoints = 256;
constexpr int kOutlineDrawnPoints = 254;  // the drawing stops after this many points
struct TOUTLINE_POINT {
  float x = 0, y = 0, z = 0;
};
struct TTOOL_OUTLINE {
  std::array<std::uint8_t, kOutlineRuns> runs{255};  // empty: first byte 255
  std::int32_t run_count = 0;
  std::array<TOUTLINE_POINT, kOutlinePoints> points{};
  std::int32_t point_count = 0;
};

// The polylines that draw_outline_GL draws: each one's first point index and point count,
// in run order, at most kOutlineDrawnPoints points in all (and none beyond point_count).
struct OutlineStrip {
  int first = 0;
  int count = 0;
};
std::vector<OutlineStrip> outline_strips(const TTOOL_OUTLINE& o);
