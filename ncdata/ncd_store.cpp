// The NC program store: paged line records, text entries and word-data entries, the
// splitter, insertion and deletion with renumbering, and the two line tables.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

#include "common/debug_log.h"
#include "ncdata/ncd_data.h"
#include "platform/core/cp932.h"
#include "platform/core/system.h"

namespace {

constexpr std::int32_t END_MARK = -1;

void put_i32(std::uint8_t* p, std::int32_t v) { put_le_i32(p, v); }
std::int32_t get_i32(const std::uint8_t* p) { return get_le_i32(p); }

void set_full(NCD_DATA& d, const char* msg) {
  d.buf_full = true;
  d.buf_msg = msg;
}

// Byte classes of the splitter.
enum : std::uint8_t { C_PLAIN, C_LOWER, C_LEAD, C_TAB, C_CR, C_LF, C_CTRL };
struct SplitTable {
  std::uint8_t cls[256];
  constexpr SplitTable() : cls{} {
    for (int c = 0; c < 256; ++c) {
      std::uint8_t k = C_PLAIN;
      if (c < 32) k = C_CTRL;
      if (c == '\t') k = C_TAB;
      if (c == '\r') k = C_CR;
      if (c == '\n') k = C_LF;
      if (c >= 'a' && c <= 'z') k = C_LOWER;
      if (plat::is_sjis_lead(static_cast<unsigned char>(c))) k = C_LEAD;
      cls[c] = k;
    }
  }
};
constexpr SplitTable SPLIT;

// Writes line number `n` into the text entry and the word-data entry of `rec`.
void renumber_entries(NCD_DATA& d, const NCD_LINE& rec, int n) {
  put_i32(d.text_pages[ncd_handle_page(rec.text)] + ncd_handle_offset(rec.text), n);
  if (rec.word != 0)
    d.word_pages[ncd_handle_page(rec.word)][ncd_handle_offset(rec.word)] =
        static_cast<std::uint32_t>(n);
}

// Removes the text entry at (page, off): later entries of the page move down, and their
// line records follow them. An entry whose line number is -1 belongs to no line.
void remove_text_entry(NCD_DATA& d, int page, int off) {
  std::uint8_t* base = d.text_pages[page];
  const int size = base[off + 4] + 5;
  const int fill = d.text_fill[page];
  std::memmove(base + off, base + off + size, static_cast<std::size_t>(fill - off - size));
  const int nfill = fill - size;
  for (int q = off; q < nfill; q += base[q + 4] + 5) {
    const std::int32_t ln = get_i32(base + q);
    if (ln >= 0 && ln < d.line_count) d.line(ln).text = ncd_handle(page, q);
  }
  d.text_fill[page] = nfill;
  put_i32(base + nfill, END_MARK);
  if (nfill == 0 && page != 0) Free_NCD_text_page(d, page);
}

void remove_word_entry(NCD_DATA& d, int page, int off) {
  std::uint32_t* base = d.word_pages[page];
  const int size = static_cast<int>(base[off + 1]) + 2;
  const int fill = d.word_fill[page];
  std::memmove(base + off, base + off + size,
               static_cast<std::size_t>(fill - off - size) * sizeof(std::uint32_t));
  const int nfill = fill - size;
  for (int q = off; q < nfill; q += static_cast<int>(base[q + 1]) + 2) {
    const auto ln = static_cast<std::int32_t>(base[q]);
    if (ln >= 0 && ln < d.line_count) d.line(ln).word = ncd_handle(page, q);
  }
  d.word_fill[page] = nfill;
  base[nfill] = static_cast<std::uint32_t>(END_MARK);
  if (nfill == 0 && page != 0) Free_NCD_word_page(d, page);
}

// Lowers the line count to n, freeing the line pages the cursor steps out of (never page 0).
void truncate_lines(NCD_DATA& d, int n) {
  const int page = n >> d.cap.line_page_shift;
  while (d.cur_line_page > page && d.cur_line_page > 0) Free_NCD_line_page(d);
  d.line_slot = n & (d.lines_per_page - 1);
  d.line_count = n;
}

// Takes the next slot after the record at the slot cursor was filled: a new line page when
// that was the page's last slot. False when the line cannot be counted.
bool advance_slot(NCD_DATA& d, const char* full_msg) {
  if (d.line_slot == d.lines_per_page - 1) {
    if (d.cur_line_page >= d.cap.page_slots - 1) {
      set_full(d, full_msg);
      return false;
    }
    if (!New_NCD_line_page(d)) return false;
  }
  ++d.line_slot;
  ++d.line_count;
  return true;
}

void table_insert(NCD_DATA& d, NCD_LINE_TABLE& t, int n, std::int32_t num, const char* msg) {
  if (t.count >= NCD_TABLE_MAX) {
    d.table_full = true;
    if (!d.buf_full) d.buf_msg = msg;
    return;
  }
  int at = t.count;
  if (t.count > 0 && t.e[t.count - 1].line > n) {
    auto it = std::upper_bound(t.e.begin(), t.e.begin() + t.count, n,
                               [](int v, const NCD_TABLE_ENTRY& e) { return v < e.line; });
    at = static_cast<int>(it - t.e.begin());
    std::copy_backward(t.e.begin() + at, t.e.begin() + t.count, t.e.begin() + t.count + 1);
  }
  t.e[at] = {n, num};
  ++t.count;
}

void table_delete(NCD_LINE_TABLE& t, int n) {
  int w = 0;
  for (int i = 0; i < t.count; ++i) {
    NCD_TABLE_ENTRY e = t.e[i];
    if (e.line == n) continue;
    if (e.line > n) --e.line;
    t.e[w++] = e;
  }
  t.count = w;
}

void table_shift(NCD_LINE_TABLE& t, int n, int k) {
  for (int i = 0; i < t.count; ++i)
    if (t.e[i].line >= n) t.e[i].line += k;
}

// ---- page memory ------------------------------------------------------------------------
// The first pages of a record come from the heap, so that a small program takes little;
// past PAGE_HEAP_BYTES its pages are carved from blocks of PAGE_BLOCK_BYTES (huge pages
// where the system has them), reserved and mapped only as far as pages are used.
enum PageKind : int { PK_LINE = 0, PK_TEXT = 1, PK_WORD = 2 };
constexpr std::size_t PAGE_HEAP_BYTES = std::size_t{2} << 20;
constexpr std::size_t PAGE_BLOCK_BYTES = std::size_t{64} << 20;

bool in_arena(const NCD_PAGE_ARENA& a, const void* p) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  for (const NCD_PAGE_ARENA::Block& k : a.blocks)
    if (b >= k.base && b < k.base + k.size) return true;
  return false;
}

// A page of `bytes` (a multiple of 64 bytes); null when memory is short. `fresh` tells
// whether the page came new from the heap (the caller may map it in one go).
void* page_alloc(NCD_DATA& d, PageKind kind, std::size_t bytes, bool& fresh) {
  NCD_PAGE_ARENA& a = d.page_arena;
  fresh = false;
  std::vector<void*>& spare = a.spare[kind];
  if (!spare.empty()) {
    void* p = spare.back();
    spare.pop_back();
    return p;
  }
  if (a.heap_bytes + bytes <= PAGE_HEAP_BYTES) {
    void* p = std::malloc(bytes);
    if (p) {
      a.heap_bytes += bytes;
      fresh = true;
    }
    return p;
  }
  if (a.blocks.empty() || a.blocks.back().size - a.blocks.back().used < bytes) {
    try {
      a.spare[PK_LINE].reserve(16);
      a.spare[PK_TEXT].reserve(64);
      a.spare[PK_WORD].reserve(16);
      NCD_PAGE_ARENA::Block k;
      k.size = std::max(PAGE_BLOCK_BYTES, bytes);
      k.base = static_cast<std::uint8_t*>(plat::large_alloc(k.size));
      a.blocks.push_back(k);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  NCD_PAGE_ARENA::Block& k = a.blocks.back();
  void* p = k.base + k.used;
  k.used += bytes;
  return p;
}

void page_free(NCD_DATA& d, PageKind kind, void* p, std::size_t bytes) {
  if (!p) return;
  NCD_PAGE_ARENA& a = d.page_arena;
  if (in_arena(a, p)) {
    try {
      a.spare[kind].push_back(p);
    } catch (const std::bad_alloc&) {
    }
    return;
  }
  std::free(p);
  a.heap_bytes -= bytes;
}

std::size_t line_page_bytes(const NCD_DATA& d) {
  return sizeof(NCD_LINE) * static_cast<std::size_t>(d.lines_per_page);
}
std::size_t text_page_bytes(const NCD_DATA& d) {
  return static_cast<std::size_t>(d.cap.text_page_bytes);
}
std::size_t word_page_bytes(const NCD_DATA& d) {
  return sizeof(std::uint32_t) * static_cast<std::size_t>(d.cap.word_page_words);
}

}  // namespace

NCD_DATA::NCD_DATA(const NCD_CAPACITY& c) : cap(c) {
  cap.page_slots = std::clamp(cap.page_slots, 2, NCD_PAGE_SLOTS);
  cap.line_page_shift = std::clamp(cap.line_page_shift, 1, 16);
  cap.text_page_bytes = std::clamp(cap.text_page_bytes, 512, NCD_TEXT_PAGE_BYTES);
  cap.word_page_words = std::clamp(cap.word_page_words, 64, NCD_WORD_PAGE_WORDS);
  cap.run_moves = std::clamp(cap.run_moves, 1, NCD_TOTAL_BLOCKS_UNLIMITED);
  cap.snap_blocks = std::clamp(cap.snap_blocks, 1, NCD_SNAP_BLOCKS);
  lines_per_page = 1 << cap.line_page_shift;
  line_pages.assign(static_cast<std::size_t>(cap.page_slots), nullptr);
  word_pages.assign(static_cast<std::size_t>(cap.page_slots), nullptr);
  text_pages.assign(static_cast<std::size_t>(cap.page_slots), nullptr);
  word_fill.assign(static_cast<std::size_t>(cap.page_slots), -1);
  text_fill.assign(static_cast<std::size_t>(cap.page_slots), -1);
}

NCD_DATA::~NCD_DATA() { Free_NCD(*this); }

void get_NCD_unit_mark(std::string& s) { s += "*"; }

void Create_NCD(NCD_DATA& d) {
  Init_NCD_pages(d, true);
  Clear_NCD(d);
}

void Free_NCD(NCD_DATA& d) { Init_NCD_pages(d, true); }

void Init_NCD_pages(NCD_DATA& d, bool free_pages) {
  ++d.change_count;
  NCD_PAGE_ARENA& a = d.page_arena;
  if (free_pages) {
    for (int i = d.cap.page_slots - 1; i >= 0; --i) {
      if (d.line_pages[i] && !in_arena(a, d.line_pages[i])) std::free(d.line_pages[i]);
      if (d.text_pages[i] && !in_arena(a, d.text_pages[i])) std::free(d.text_pages[i]);
      if (d.word_pages[i] && !in_arena(a, d.word_pages[i])) std::free(d.word_pages[i]);
    }
    // The spare pages all lie in the blocks.
    for (const NCD_PAGE_ARENA::Block& k : a.blocks) plat::large_free(k.base, k.size);
    a = NCD_PAGE_ARENA{};
  }
  std::fill(d.line_pages.begin(), d.line_pages.end(), nullptr);
  std::fill(d.text_pages.begin(), d.text_pages.end(), nullptr);
  std::fill(d.word_pages.begin(), d.word_pages.end(), nullptr);
  d.cur_line_page = d.cur_word_page = d.cur_text_page = d.line_slot = -1;
  std::fill(d.word_fill.begin(), d.word_fill.end(), -1);
  std::fill(d.text_fill.begin(), d.text_fill.end(), -1);
  d.file_folder.clear();
  d.file_name.clear();
  d.text_size = 0;
  d.line_count = 0;
}

void Clear_NCD(NCD_DATA& d) {
  Init_NCD_pages(d, true);
  d.run_done = false;
  d.host().ncd_cleared(d);
  d.file_folder.clear();
  d.file_name.clear();
  d.text_size = 0;
  d.tape_length = 0;
  d.line_count = 0;
  d.pos = NCD_POS{};
  d.tool_lines.count = 0;
  d.prog_lines.count = 0;
  d.comments = NCD_FILE_COMMENTS{};
  d.parse.status = d.parse.flags = d.parse.mask = 0;
  d.buf_full = false;
  d.table_full = false;
  d.buf_msg.clear();
  d.line_limit = -1;
  d.split_report = NCD_SPLIT_REPORT{};
  Find_NCD_text_page(d, 0);
  Find_NCD_word_page(d, 0);
  if (d.cur_line_page < 0 && New_NCD_line_page(d)) d.line_slot = 0;
  Reset_NCD_run(d);
}

// ---- pages ------------------------------------------------------------------------------

bool New_NCD_line_page(NCD_DATA& d) {
  if (d.cur_line_page >= d.cap.page_slots - 1) {
    set_full(d, "ERR: line_data バッファがなくなりました");
    return false;
  }
  bool fresh;
  void* p = page_alloc(d, PK_LINE, line_page_bytes(d), fresh);
  if (!p) {
    set_full(d, "ERR: line_data バッファがなくなりました");
    return false;
  }
  ++d.cur_line_page;
  d.line_pages[d.cur_line_page] = static_cast<NCD_LINE*>(p);
  d.line_slot = -1;
  return true;
}

void Free_NCD_line_page(NCD_DATA& d) {
  if (d.cur_line_page < 0) return;
  page_free(d, PK_LINE, d.line_pages[d.cur_line_page], line_page_bytes(d));
  d.line_pages[d.cur_line_page] = nullptr;
  --d.cur_line_page;
  d.line_slot = d.lines_per_page;
}

bool New_NCD_text_page(NCD_DATA& d) {
  const int p = d.cur_text_page;
  bool fresh;
  auto* page = static_cast<std::uint8_t*>(page_alloc(d, PK_TEXT, text_page_bytes(d), fresh));
  if (!page) {
    set_full(d, "ERR: 文字バッファがなくなりました");
    d.cur_text_page = -1;
    return false;
  }
  if (fresh) plat::prefault(page, text_page_bytes(d));
  d.text_pages[p] = page;
  d.text_fill[p] = 0;
  put_i32(page, END_MARK);
  return true;
}

void Free_NCD_text_page(NCD_DATA& d, int page) {
  page_free(d, PK_TEXT, d.text_pages[page], text_page_bytes(d));
  d.text_pages[page] = nullptr;
  d.text_fill[page] = -1;
  if (d.cur_text_page == page) d.cur_text_page = -1;
}

bool New_NCD_word_page(NCD_DATA& d) {
  const int p = d.cur_word_page;
  bool fresh;
  auto* page = static_cast<std::uint32_t*>(page_alloc(d, PK_WORD, word_page_bytes(d), fresh));
  if (!page) {
    set_full(d, "ERR: XYZバッファがなくなりました");
    d.cur_word_page = -1;
    return false;
  }
  if (fresh) plat::prefault(page, word_page_bytes(d));
  d.word_pages[p] = page;
  d.word_fill[p] = 0;
  page[0] = static_cast<std::uint32_t>(END_MARK);
  return true;
}

void Free_NCD_word_page(NCD_DATA& d, int page) {
  page_free(d, PK_WORD, d.word_pages[page], word_page_bytes(d));
  d.word_pages[page] = nullptr;
  d.word_fill[page] = -1;
  if (d.cur_word_page == page) d.cur_word_page = -1;
}

bool Find_NCD_text_page(NCD_DATA& d, int need) {
  for (int i = 0; i < d.cap.page_slots; ++i) {
    if (!d.text_pages[i]) {
      d.cur_text_page = i;
      return New_NCD_text_page(d);
    }
    if (d.cap.text_page_bytes - d.text_fill[i] > need + 20) {
      d.cur_text_page = i;
      return true;
    }
  }
  set_full(d, "ERR: 文字バッファがなくなりました");
  return false;
}

bool Find_NCD_word_page(NCD_DATA& d, int need) {
  for (int i = 0; i < d.cap.page_slots; ++i) {
    if (!d.word_pages[i]) {
      d.cur_word_page = i;
      return New_NCD_word_page(d);
    }
    if (d.cap.word_page_words - d.word_fill[i] > need + 10) {
      d.cur_word_page = i;
      return true;
    }
  }
  set_full(d, "ERR: XYZバッファがなくなりました");
  return false;
}

void Trim_NCD_pages(NCD_DATA& d) {
  NCD_PAGE_ARENA& a = d.page_arena;
  if (a.blocks.empty()) return;
  // The huge page at the end of the last block is mapped whole, past the pages carved.
  const NCD_PAGE_ARENA::Block& k = a.blocks.back();
  constexpr std::size_t huge = std::size_t{2} << 20;
  const std::size_t mapped = std::min(k.size, (k.used + huge - 1) & ~(huge - 1));
  if (mapped > k.used) plat::discard_memory(k.base + k.used, mapped - k.used);
  // The unused ends of the pages being filled (each keeps its end mark).
  auto trim = [&](void* page, std::size_t used, std::size_t size) {
    if (page && in_arena(a, page) && used < size)
      plat::discard_memory(static_cast<std::uint8_t*>(page) + used, size - used);
  };
  if (d.cur_line_page >= 0 && d.line_slot >= 0)
    trim(d.line_pages[d.cur_line_page], sizeof(NCD_LINE) * static_cast<std::size_t>(d.line_slot + 1),
         line_page_bytes(d));
  if (d.cur_text_page >= 0 && d.text_fill[d.cur_text_page] >= 0)
    trim(d.text_pages[d.cur_text_page], static_cast<std::size_t>(d.text_fill[d.cur_text_page]) + 4,
         text_page_bytes(d));
  if (d.cur_word_page >= 0 && d.word_fill[d.cur_word_page] >= 0)
    trim(d.word_pages[d.cur_word_page],
         sizeof(std::uint32_t) * (static_cast<std::size_t>(d.word_fill[d.cur_word_page]) + 1),
         word_page_bytes(d));
}

// ---- lines ------------------------------------------------------------------------------

namespace {

// The high bit of each of the 8 bytes (little-endian) that is below 0x20 or above 0x5F: a
// control byte, a lower-case letter or a Shift-JIS lead byte, which the splitter looks at
// one by one. Bytes above the lowest flagged one may be flagged falsely; the lowest is exact.
static_assert(std::endian::native == std::endian::little, "care_bytes reads bytes little-endian");
inline std::uint64_t care_bytes(std::uint64_t w) {
  constexpr std::uint64_t ones = 0x0101010101010101ULL, high = 0x8080808080808080ULL;
  const std::uint64_t below = (w - ones * 0x20) & ~w & high;
  const std::uint64_t above = ((w + ones * (127 - 0x5F)) | w) & high;
  return below | above;
}

// With `padded`, `chars` may be read up to the next multiple of 8 bytes past `length`.
template <bool padded>
[[gnu::always_inline]] inline bool store_line(NCD_DATA& d, const char* chars, int length) {
  if (d.buf_full || d.cur_line_page < 0 || d.line_slot < 0) return false;
  length = std::clamp(length, 0, NCD_LINE_MAX_CHARS);
  if (d.line_limit >= 0 && d.line_count >= d.line_limit) {
    set_full(d, "バッファがなくなりました");
    return false;
  }
  int tp = d.cur_text_page;
  if (tp < 0 || d.text_fill[tp] < 0 || d.cap.text_page_bytes - d.text_fill[tp] < length + 20) {
    if (!Find_NCD_text_page(d, length)) return false;
    tp = d.cur_text_page;
  }
  const int off = d.text_fill[tp];
  std::uint8_t* e = d.text_pages[tp] + off;
  NCD_LINE& rec = d.line_pages[d.cur_line_page][d.line_slot];
  rec = NCD_LINE{0, 0, 0, ncd_handle(tp, off)};
  put_i32(e, d.line_count);
  e[4] = static_cast<std::uint8_t>(length + 1);
  if constexpr (padded) {
    // Whole words: the room test left at least 20 bytes after the entry.
    for (int i = 0; i < length; i += 8) std::memcpy(e + 5 + i, chars + i, 8);
  } else {
    std::memcpy(e + 5, chars, static_cast<std::size_t>(length));
  }
  e[5 + length] = 0;
  d.text_fill[tp] = off + length + 6;
  put_i32(e + length + 6, END_MARK);
  if (!advance_slot(d, "行データバッファがなくなりました")) {
    // The line is not counted: take its text back.
    d.text_fill[tp] = off;
    put_i32(e, END_MARK);
    rec = NCD_LINE{};
    return false;
  }
  return true;
}

}  // namespace

bool Store_NCD_line(NCD_DATA& d, const char* chars, int length) {
  ++d.change_count;
  return store_line<false>(d, chars, length);
}

int Append_NCD_text(NCD_DATA& d, const char* text, std::size_t length, bool upper) {
  return Split_NCD_text(d, text, length, upper);
}

int Split_NCD_text(NCD_DATA& d, const char* text, std::size_t length, bool upper) {
  if (length == 0) return 0;
  ++d.change_count;
  d.run_done = false;
  d.split_report = NCD_SPLIT_REPORT{};
  if (d.buf_full) return -1;
  if (d.cur_line_page >= d.cap.page_slots - 1) {
    set_full(d, "バッファがなくなりました");
    return -1;
  }
  const auto* b = reinterpret_cast<const std::uint8_t*>(text);
  const std::uint8_t* p = b;
  const std::uint8_t* const end = b + length;
  char line[NCD_LINE_MAX_CHARS + 16];
  int len = 0;
  int added = 0;
  auto store = [&]() -> bool {
    if (!store_line<true>(d, line, len)) return false;
    ++added;
    len = 0;
    return true;
  };
  // Cuts the pending line at the 250-byte limit and skips the rest of it. False when the
  // walk must stop (a control byte, or the store is full).
  auto cut = [&]() -> bool {
    d.split_report.cut_lines.push_back(d.line_count);
    if (!store()) return false;
    while (p < end) {
      const std::uint8_t c = *p;
      if (c == '\r') {
        ++p;
        if (p < end && *p == '\n') ++p;
        return true;
      }
      if (c == '\n') {
        ++p;
        return true;
      }
      if (c < 32 && c != '\t') return true;  // ends the text at the top of the walk
      ++p;
    }
    return true;
  };
  bool ok = true;
  while (p < end && ok) {
    while (end - p >= 8 && len <= NCD_LINE_MAX_CHARS - 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      std::memcpy(line + len, &w, 8);
      const std::uint64_t care = care_bytes(w);
      if (care != 0) {
        const int plain = std::countr_zero(care) >> 3;
        len += plain;
        p += plain;
        break;
      }
      len += 8;
      p += 8;
    }
    if (p == end) break;
    const std::uint8_t c = *p;
    switch (SPLIT.cls[c]) {
      case C_PLAIN:
        if (len == NCD_LINE_MAX_CHARS) {
          ok = cut();
          break;
        }
        line[len++] = static_cast<char>(c);
        ++p;
        break;
      case C_LOWER:
        if (len == NCD_LINE_MAX_CHARS) {
          ok = cut();
          break;
        }
        line[len++] = static_cast<char>(upper ? c - 32 : c);
        ++p;
        break;
      case C_TAB:
        if (len == NCD_LINE_MAX_CHARS) {
          ok = cut();
          break;
        }
        line[len++] = ' ';
        ++p;
        break;
      case C_LEAD:
        if (p + 1 < end && plat::is_sjis_trail(p[1])) {
          if (len + 2 > NCD_LINE_MAX_CHARS) {
            ok = cut();
            break;
          }
          line[len++] = static_cast<char>(c);
          line[len++] = static_cast<char>(p[1]);
          p += 2;
        } else {
          if (len == NCD_LINE_MAX_CHARS) {
            ok = cut();
            break;
          }
          line[len++] = static_cast<char>(c);
          ++p;
        }
        break;
      case C_CR:
        ok = store();
        ++p;
        if (p < end && *p == '\n') ++p;
        break;
      case C_LF:
        ok = store();
        ++p;
        break;
      default:  // any other control byte ends the text
        d.split_report.control_end = true;
        d.split_report.control_byte = c;
        d.split_report.control_pos = static_cast<std::size_t>(p - b);
        p = end;
        break;
    }
  }
  if (ok && len > 0) store();
  return d.buf_full ? -1 : added;
}

int Insert_NCD_text(NCD_DATA& d, const char* text, int n, std::size_t length) {
  if (d.buf_full) return -1;
  ++d.change_count;
  d.run_done = false;
  n = std::clamp(n, 0, d.line_count);
  static const char empty_line[] = "\r";
  if (length == 0) {
    text = empty_line;
    length = 1;
  }
  const int k = d.line_count - n;
  if (d.line_count >= d.max_lines()) {
    // No room for a single line: refused before the tail is touched.
    set_full(d, "バッファがなくなりました");
    return -1;
  }
  if (k == 0) {
    const int added = Split_NCD_text(d, text, length, true);
    Parse_NCD_lines(d, n, d.line_count);
    return added;
  }
  // Park the tail; the split may not take the room that putting it back needs.
  std::vector<NCD_LINE> parked;
  try {
    parked.resize(static_cast<std::size_t>(k));
  } catch (const std::bad_alloc&) {
    set_full(d, "バッファがなくなりました");
    return -1;
  }
  for (int i = 0; i < k; ++i) parked[i] = d.line(n + i);
  truncate_lines(d, n);
  d.line_limit = static_cast<std::int32_t>(d.max_lines() - k);
  int added = Split_NCD_text(d, text, length, true);
  d.line_limit = -1;
  const int stored = d.line_count - n;
  if (stored > 0) {
    Fix_NCD_tables_insert(d, n, stored);
    Parse_NCD_lines(d, n, d.line_count);
  }
  // Put the tail back after the new lines.
  const bool was_full = d.buf_full;
  const std::string msg = d.buf_msg;
  d.buf_full = false;
  int i = 0;
  for (; i < k; ++i) {
    const int at = d.line_count;
    d.line_pages[d.cur_line_page][d.line_slot] = parked[i];
    renumber_entries(d, parked[i], at);
    if (!advance_slot(d, "バッファがなくなりました")) break;
  }
  if (i < k) {
    // Only a failed page allocation gets here: the dropped lines' entries belong to no line.
    deb_log("◆◆◆ ERR : Insert_NCD_text; tail dropped, lines= " + std::to_string(k - i));
    for (; i < k; ++i) renumber_entries(d, parked[i], -1);
  } else if (was_full) {
    d.buf_full = true;
    d.buf_msg = msg;
  }
  Run_all_NCD(d, d.pos.start_line);
  d.host().set_TOOL_defs(d);
  return d.buf_full ? -1 : added;
}

void Delete_NCD_line(NCD_DATA& d, int n) {
  if (n < 0 || n >= d.line_count) return;
  ++d.change_count;
  d.run_done = false;
  Fix_NCD_tables_delete(d, n);
  const NCD_LINE rec = d.line(n);
  // The entry's own line number is set to -1 first, so the compaction leaves its record.
  renumber_entries(d, rec, -1);
  remove_text_entry(d, ncd_handle_page(rec.text), ncd_handle_offset(rec.text));
  if (rec.word != 0) remove_word_entry(d, ncd_handle_page(rec.word), ncd_handle_offset(rec.word));
  const int last = d.line_count - 1;
  for (int i = n; i < last; ++i) {
    NCD_LINE& to = d.line(i);
    to = d.line(i + 1);
    renumber_entries(d, to, i);
  }
  if (d.line_slot == 0) Free_NCD_line_page(d);
  --d.line_slot;
  d.line(last) = NCD_LINE{};
  d.line_count = last;
}

void Store_NCD_word_data(NCD_DATA& d, int n, int total_words) {
  NCD_store_word_entry(d, n, total_words, d.parse.wbuf.data());
}

std::uint32_t* NCD_place_word_entry(NCD_DATA& d, int n, int total_words, std::uint32_t& handle) {
  if (d.buf_full) return nullptr;
  if (n < 0 || n >= d.line_count || total_words < 2 || total_words > NCD_WORD_BUF_WORDS) {
    deb_log("◆◆◆ ERR : Store_NCD_word_data; n= " + std::to_string(n) +
            " , words= " + std::to_string(total_words));
    return nullptr;
  }
  int wp = d.cur_word_page;
  if (wp < 0 || d.word_fill[wp] < 0 || d.cap.word_page_words - d.word_fill[wp] <= total_words + 10) {
    if (!Find_NCD_word_page(d, total_words)) return nullptr;
    wp = d.cur_word_page;
  }
  ++d.change_count;
  const int off = d.word_fill[wp];
  handle = ncd_handle(wp, off);
  d.word_fill[wp] = off + total_words;
  return d.word_pages[wp] + off;
}

void NCD_end_word_page(NCD_DATA& d, int p) {
  if (p >= 0 && p < d.cap.page_slots && d.word_pages[p] && d.word_fill[p] >= 0)
    d.word_pages[p][d.word_fill[p]] = static_cast<std::uint32_t>(END_MARK);
}

void NCD_store_word_entry(NCD_DATA& d, int n, int total_words, const std::uint32_t* src) {
  std::uint32_t handle = 0;
  std::uint32_t* w = NCD_place_word_entry(d, n, total_words, handle);
  if (!w) return;
  NCD_LINE& rec = d.line(n);
  rec.word = handle;
  rec.status = d.parse.status;
  rec.flags = d.parse.flags;
  // Four words at a time: the room test left more than 10 words after the entry.
  for (int i = 0; i < total_words; i += 4) std::memcpy(w + i, src + i, 16);
  w[total_words] = static_cast<std::uint32_t>(END_MARK);
}

void Clear_NCD_word_data(NCD_DATA& d, int n) {
  if (n < 0 || n >= d.line_count) return;
  NCD_LINE& rec = d.line(n);
  if (rec.word == 0) return;
  ++d.change_count;
  const std::uint32_t h = rec.word;
  rec.word = 0;
  d.word_pages[ncd_handle_page(h)][ncd_handle_offset(h)] = static_cast<std::uint32_t>(-1);
  remove_word_entry(d, ncd_handle_page(h), ncd_handle_offset(h));
  for (NCD_LINE_TABLE* t : {&d.tool_lines, &d.prog_lines}) {
    int w = 0;
    for (int i = 0; i < t->count; ++i)
      if (t->e[i].line != n) t->e[w++] = t->e[i];
    t->count = w;
  }
}

void Clear_NCD_all_word_data(NCD_DATA& d) {
  ++d.change_count;
  for (int n = 0; n < d.line_count; ++n) d.line(n).word = 0;
  // Every entry goes at once: page 0 is kept empty, the others are freed.
  for (int p = d.cap.page_slots - 1; p > 0; --p)
    if (d.word_pages[p]) Free_NCD_word_page(d, p);
  if (d.word_pages[0]) {
    d.word_fill[0] = 0;
    d.word_pages[0][0] = static_cast<std::uint32_t>(END_MARK);
  }
  d.cur_word_page = -1;
  Find_NCD_word_page(d, 0);
  d.tool_lines.count = 0;
  d.prog_lines.count = 0;
}

void Store_NCD_line_flags(NCD_DATA& d, int n) {
  if (n < 0 || n >= d.line_count) return;
  NCD_LINE& rec = d.line(n);
  rec.status = d.parse.status;
  rec.flags = d.parse.flags;
}

void Register_NCD_OT_line(NCD_DATA& d, int n, std::int32_t o, std::int32_t t) {
  if (d.parse.mask & (1u << NCD_MB_O))
    table_insert(d, d.prog_lines, n, o, "ERR: プログラム番号の行テーブルがいっぱいです");
  if (d.parse.mask & (1u << NCD_MB_T))
    table_insert(d, d.tool_lines, n, t, "ERR: 工具交換の行テーブルがいっぱいです");
}

void Fix_NCD_tables_delete(NCD_DATA& d, int n) {
  NCD_POS& p = d.pos;
  if (p.cur_line > n) {
    --p.cur_line;
    --p.next_line;
  }
  if (p.start_line > n) --p.start_line;
  table_delete(d.tool_lines, n);
  table_delete(d.prog_lines, n);
}

void Fix_NCD_tables_insert(NCD_DATA& d, int n, int k) {
  NCD_POS& p = d.pos;
  if (p.cur_line > n) {
    p.cur_line += k;
    p.next_line += k;
  }
  if (p.start_line > n) p.start_line += k;
  table_shift(d.tool_lines, n, k);
  table_shift(d.prog_lines, n, k);
}

int Find_prev_end_line(const NCD_DATA& d, int n) {
  if (n <= 0) return 0;
  if (n >= d.line_count) return d.line_count;
  for (int i = n; i >= 0; --i)
    if ((d.line(i).status & (NCD_ST_ERROR | NCD_ST_PROG_END)) == NCD_ST_PROG_END) return i;
  return 0;
}

void get_NCD_line_text(const NCD_DATA& d, int n, std::string& out) {
  if (n < 0 || n >= d.line_count) {
    out.clear();
    return;
  }
  out.assign(get_NCD_line_view(d, n));
}

const char* get_NCD_line_ptr(const NCD_DATA& d, int n) {
  if (n < 0 || n >= d.line_count) return "";
  return get_NCD_line_view(d, n).data();
}

const std::uint32_t* get_NCD_word_data(const NCD_DATA& d, int n, int* count) {
  if (n < 0 || n >= d.line_count) return nullptr;
  const NCD_LINE& rec = d.line(n);
  if (rec.word == 0) return nullptr;
  const std::uint32_t* w = d.word_pages[ncd_handle_page(rec.word)] + ncd_handle_offset(rec.word);
  if (count) *count = static_cast<int>(w[1]);
  return w + 2;
}

void Count_NCD_size(NCD_DATA& d) {
  std::int64_t size = 0;
  for (int i = 0; i < d.line_count; ++i) {
    const NCD_LINE& rec = d.line(i);
    size += d.text_pages[ncd_handle_page(rec.text)][ncd_handle_offset(rec.text) + 4] + 1;
  }
  d.text_size = static_cast<std::int32_t>(std::min<std::int64_t>(size, INT32_MAX));
  d.tape_length = static_cast<float>(static_cast<double>(size) * 0.0025);
}
