// The pieces that the interpreter's own files share: the block step with its straight moves
// and subprograms (ncd_exec.cpp), the canned cycles (ncd_cycle.cpp) and the arcs
// (ncd_arc.cpp). Not for callers outside the interpreter. No Qt here.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ncdata/ncd_data.h"

namespace ncd_exec_detail {

inline constexpr double PI = ATS_PI;
inline constexpr double TWO_PI = 2 * PI;
inline constexpr float EPS = 1e-6f;

inline void set_error(NCD_EXEC& e, std::uint16_t code) {
  e.status = code;
  e.flags = 0;
}

inline void extend(NCD_EXEC& e, const VEC3& p) {
  if (!e.ext_set) {
    e.ext_min = e.ext_max = p;
    e.ext_set = true;
    return;
  }
  e.ext_min.x = std::min(e.ext_min.x, p.x);
  e.ext_min.y = std::min(e.ext_min.y, p.y);
  e.ext_min.z = std::min(e.ext_min.z, p.z);
  e.ext_max.x = std::max(e.ext_max.x, p.x);
  e.ext_max.y = std::max(e.ext_max.y, p.y);
  e.ext_max.z = std::max(e.ext_max.z, p.z);
}

inline void note_z(NCD_EXEC& e, double z) {
  e.tool.high_z = std::max(e.tool.high_z, static_cast<float>(z));
  e.prog_high_z = std::max(e.prog_high_z, static_cast<float>(z));
}

// Clears decoded words as bytes with a few 16-byte stores. The compiler makes a string
// store of a memset or of an assignment of NCD_LINE_WORDS{} this size, and the start-up of
// that costs more than the whole clearing does, once for every block.
inline void clear_words(NCD_LINE_WORDS& out) {
  static_assert(std::is_trivially_copyable_v<NCD_LINE_WORDS>, "cleared as bytes");
#if defined(__SSE2__)
  constexpr std::size_t n = sizeof(NCD_LINE_WORDS);
  static_assert(n >= 16 && n <= 128);
  auto* const p = reinterpret_cast<char*>(&out);
  const __m128i z = _mm_setzero_si128();
  [&]<std::size_t... i>(std::index_sequence<i...>) {
    (_mm_storeu_si128(reinterpret_cast<__m128i*>(p + i * 16), z), ...);
  }(std::make_index_sequence<n / 16>{});
  if constexpr (n % 16 != 0) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 16), z);
#else
  std::memset(static_cast<void*>(&out), 0, sizeof out);
#endif
}

// The words of a stored line from its record (get_NCD_line_words by line number): the
// three or seven coordinates, then the other words by the set bits of their value mask;
// false (all zeros) without words.
inline bool line_words(const NCD_DATA& d, const NCD_LINE& rec, NCD_LINE_WORDS& out) {
  clear_words(out);
  if (rec.word == 0) return false;
  const std::uint32_t* const head =
      d.word_pages[static_cast<std::size_t>(ncd_handle_page(rec.word))] + ncd_handle_offset(rec.word);
  const std::uint32_t* w = head + 2;
  const std::uint32_t* const end = w + static_cast<int>(head[1]);
  const int low = rec.flags & 7;
  if (low & 3) {
    const int n = (low & 2) ? 7 : 3;
    float v[7] = {};  // x, y, z, then r, i, j, k
    for (int i = 0; i < n && w < end; ++i) std::memcpy(&v[i], w++, 4);
    out.x = v[0], out.y = v[1], out.z = v[2];
    if (n == 7) out.r = v[3], out.i = v[4], out.j = v[5], out.k = v[6];
  }
  if ((low & 4) && w < end) {
    NCD_OTHER_WORDS& o = out.other;
    o.mask = static_cast<std::uint16_t>(*w++);
    for (std::uint32_t bits = o.mask & ((1u << NCD_MB_VALUES) - 1); bits && w < end; bits &= bits - 1)
      o.vals[static_cast<std::size_t>(__builtin_ctz(bits))] = *w++;
    const int mc = (o.mask >> NCD_MB_M_COUNT) & 3;
    for (int i = 0; i < mc && w < end; ++i) o.m[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(*w++);
    if ((o.mask & (1u << NCD_MB_MODE)) && w < end) o.mode = *w++;
  }
  return true;
}

// One value (N .. Q) of the other words of a stored line, as line_words would decode it:
// false when the line does not give it.
inline bool line_value(const NCD_DATA& d, const NCD_LINE& rec, int bit, std::int32_t& v) {
  if (rec.word == 0 || !(rec.flags & 4)) return false;
  const std::uint32_t* const head =
      d.word_pages[static_cast<std::size_t>(ncd_handle_page(rec.word))] + ncd_handle_offset(rec.word);
  const std::uint32_t* w = head + 2;
  const std::uint32_t* const end = w + static_cast<int>(head[1]);
  if (rec.flags & 3) w += (rec.flags & 2) ? 7 : 3;
  if (w >= end) return false;
  const std::uint32_t mask = static_cast<std::uint16_t>(*w++);
  if (!((mask >> bit) & 1u)) return false;
  w += __builtin_popcount(mask & ((1u << bit) - 1));
  v = w < end ? static_cast<std::int32_t>(*w) : 0;  // a short entry leaves it 0
  return true;
}

// A real value of the other words (F, A, B, C, Q).
inline float word_f(const NCD_LINE_WORDS& w, int bit) {
  float v;
  std::memcpy(&v, &w.other.vals[static_cast<std::size_t>(bit)], 4);
  return v;
}

inline double& axis(NCD_POINT& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
inline double axis(const NCD_POINT& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
inline float axis(const VEC3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

// ---- canned cycles (ncd_cycle.cpp) ---------------------------------------------------------
// The cycle of the block: all its sub-moves, or one in sub-step mode. 0 done, 1 more to
// come, or an error code.
int run_cycle(NCD_DATA& d, bool sub_step);
// Ends the block's cycle; true when it went on into an error.
bool cycle_result(NCD_DATA& d, int r);
// A cycle block with axis words: its words and levels taken, its sub-moves to come.
void start_cycle(NCD_DATA& d, const NCD_LINE& rec, const NCD_LINE_WORDS& w);
// A cycle code without axis words drills nothing, but its words hold for the next holes.
void keep_cycle_levels(NCD_EXEC& e, const NCD_LINE& rec, const NCD_LINE_WORDS& w);

}  // namespace ncd_exec_detail
