// Plain routines that every part of the program uses: real numbers to text, numbers out of
// text after a letter pattern, integer and real checks, angle and small vector arithmetic
// with a cut-off of 1e-6, the shared sine/cosine table, the 6-bit colour code, Shift-JIS and
// file-name helpers. Texts are CP932 byte strings. No Qt here.
#pragma once
#include <bit>
#include <cstdint>
#include <numbers>
#include <string>
#include <string_view>

// pi, in double and in long double precision (the angle helpers reckon in long double).
inline constexpr double ATS_PI = std::numbers::pi;
inline constexpr long double ATS_PI_L = std::numbers::pi_v<long double>;

// A point or vector of three single-precision floats.
struct VEC3 {
  float x = 0, y = 0, z = 0;
};

// ---- number text -------------------------------------------------------------------------
// At most N decimals (N outside 1..8: none), rounded half away from zero on the exact value,
// no trailing zeros, never "-0".
std::string float_to_str(float v, int n);
std::string float_to_str3(float v);
// float_to_str, with "." appended to a whole number ("10.").
std::string float_to_str_dot(float v, int n);
// Like float_to_str, but any text other than "0" starts with "+" or "-".
std::string float_to_str_signed(float v, int n);
// Fixed-point text with d decimals (w - 1 significant digits at most) right-aligned in a
// field of w + 1 characters; a longer text is kept whole.
std::string float_to_str_fixed(float v, int w, int d);
// "1ooo oooo oooo ooo1 " for 0x8001.
std::string word_to_bit_text(std::uint16_t v);
std::string bool_to_str(bool b);
inline bool byte_to_bool(std::uint8_t b) { return b != 0; }
inline bool int_is_one(int v) { return v == 1; }

// The magnitude of the finite value v rounded half away from zero, on its exact value, to
// `decimals` (0 or more) decimals: the integer digits (no leading zeros but one) and exactly
// `decimals` fraction digits. Every decimal text of the program rounds through this.
void round_decimal(double v, int decimals, std::string& int_part, std::string& frac_part);

// ---- numbers out of text and checks ------------------------------------------------------
// The text of the value that follows `pattern` in `text` ("T#" integer, "B%" real, "?" any
// one character, "\" a word); the empty text when absent, "err" on a sign inside a number.
std::string _numbers_for_routine(std::string_view pattern, std::string_view text);
// Optionally signed integer within the 32-bit range; with `show`, a refused text gets its box.
bool is_integer_text(std::string_view text, bool show);
bool is_real_text(std::string_view text, bool show);
// The characters between the first quote (single or double) and its closing twin.
std::string get_quoted_text(std::string_view text);
// Characters 6.. of a "(VLM " comment up to the first ")", "/" or ":".
std::string get_VLM_comment_body(std::string_view text);
bool is_SJIS_lead_byte(std::uint8_t c);
// ASCII letters upper-cased; the trail bytes of double-byte characters are left alone.
std::string upper_sjis(std::string_view s);
// Unanchored match of `mask` ("*" any run, "?" any one character) inside `name`.
bool wildcard_match(std::string_view name, std::string_view mask);
bool mask_include_exclude(std::string_view name, std::string_view include_mask,
                          std::string_view exclude_mask);
// Looks the file up case-insensitively in its folder ("/" or "\" separate folders), trying
// "." + ext when it has no extension; true with `name` set to the folder part and the stored
// spelling of the file name, else false with `err` set to "ERR: <name> が見つかりません。".
bool find_file_name(std::string& name, std::string_view ext, std::string* err = nullptr);

// ---- angles and vectors (radians unless the name says degrees) -----------------------------
float Sin_Z(float a);
float Cos_Z(float a);
float deg_to_rad(float deg);
float sin_deg(float deg);
float cos_deg(float deg);
float tan_deg(float deg);
// Direction of (x, y) in [0, 2pi).
float Get_Angle_2D(float x, float y);
// Bounds and length of an arc; the bounds are always written (from the end points at
// least); true when the arc's quarter crossings were taken into account.
bool get_arc_min_max(bool ccw, const VEC3& start, const VEC3& centre, const VEC3& end,
                     float radius, float& xmax, float& xmin, float& ymax, float& ymin,
                     float& length);
VEC3 rotate_point_2D(const VEC3& c, const VEC3& p, float a);
// The middle of a and b in the XY plane; z is 0.
VEC3 mid_point_2D(const VEC3& a, const VEC3& b);
inline void Set_VEC3(VEC3& v, float x, float y, float z) { v.x = x; v.y = y; v.z = z; }

// Sines of i*pi/128 (i = 0..255) followed by their cosines.
extern float SinCos_table[512];
void Preset_SinCos_table(float* table = SinCos_table);

// ---- colours ------------------------------------------------------------------------------
// A window colour: red in the low byte, then green, then blue.
std::uint32_t color_code_to_TColor(int code);
void color_code_to_RGBA(int code, std::uint8_t alpha, std::uint8_t out[4]);

// ---- little-endian bytes ------------------------------------------------------------------
// Numbers in byte buffers (binary files and the store's pages) are 4 bytes, low byte first.
inline void put_le_u32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline std::uint32_t get_le_u32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void put_le_i32(std::uint8_t* p, std::int32_t v) {
  put_le_u32(p, static_cast<std::uint32_t>(v));
}
inline std::int32_t get_le_i32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(get_le_u32(p));
}
inline void put_le_f32(std::uint8_t* p, float v) { put_le_u32(p, std::bit_cast<std::uint32_t>(v)); }
inline float get_le_f32(const std::uint8_t* p) { return std::bit_cast<float>(get_le_u32(p)); }

// ---- checked conversions -----------------------------------------------------------------
// Float to integer with truncation toward zero; NaN gives `fallback`, out-of-range values
// are clamped. Every float-to-integer conversion of the program goes through these.
int float_to_int(double v, int fallback = 0);
std::int64_t float_to_int64(double v, std::int64_t fallback = 0);
// Round half away from zero, then as float_to_int.
int float_round_to_int(double v, int fallback = 0);
