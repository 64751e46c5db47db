// The NC data record: one loaded NC program kept as its text, line by line, and as the
// tokenised form of each line, in fixed-size heap pages reached through page tables.
//
// NCD_DATA is one object owned by the program (a test may build as many as it needs). Its
// parts, each with its own home:
//   - the store: page tables, cursors, fills, the buffer-exhausted state (this header);
//   - the file-level comment data and the two line tables (this header);
//   - the tokenizer's options, outputs and word buffer (`NCD_PARSE`, this header);
//   - the interpreter's position fields (`NCD_POS`, this header);
//   - the interpreter's modal state, options and block texts (`exec`, ncd_exec.h);
//   - the program run's snapshots, tool statistics, error list and save areas, added by the
//     run beside `exec`.
// No Qt here.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/ats_func.h"
#include "ncdata/ncd_exec.h"
#include "ncdata/ncd_host.h"
#include "ncdata/ncd_run.h"

// ---- capacities ----------------------------------------------------------------------------
// Slots of each page table: 1 GiB of text pages and as much of word data, room for some
// 40 million lines of 20 characters. The page handles of NCD_LINE reach 65535 pages.
inline constexpr int NCD_PAGE_SLOTS = 16384;
inline constexpr int NCD_LINE_PAGE_SHIFT = 16;        // 65536 line records per line page
inline constexpr int NCD_TEXT_PAGE_BYTES = 65536;     // bytes per text page
inline constexpr int NCD_WORD_PAGE_WORDS = 65536;     // 32-bit words per word-data page
inline constexpr int NCD_TABLE_MAX = 1023;            // entries of each line table
inline constexpr int NCD_LINE_MAX_CHARS = 250;        // longer lines are cut
inline constexpr int NCD_WORD_BUF_WORDS = 1024;       // the tokenizer's word buffer

// The capacities of one record. The defaults are the program's; tests shrink them to reach
// page borders, the exhaustion paths and the end of a run. Page sizes are at most 65536
// units (the handles of NCD_LINE keep a 16-bit offset).
struct NCD_CAPACITY {
  int page_slots = NCD_PAGE_SLOTS;
  int line_page_shift = NCD_LINE_PAGE_SHIFT;
  int text_page_bytes = NCD_TEXT_PAGE_BYTES;
  int word_page_words = NCD_WORD_PAGE_WORDS;
  // Blocks and canned-cycle sub-moves that one whole-program run executes at most
  // (at most 134,217,727).
  int run_moves = 0x7FFFFFF;
  // Blocks between two snapshots of the run. The run takes as many slots as its capacity
  // needs, so a seek anywhere steps at most this many blocks.
  int snap_blocks = NCD_SNAP_BLOCKS;
};

// One NC line. `word` and `text` are handles ((page + 1) << 16 | offset): the offset counts
// bytes in a text page and 32-bit words in a word-data page; a word handle of 0 means the
// line has no word data.
struct NCD_LINE {
  std::uint16_t status;  // motion group, modal bits, end/call/return, colour, or error code
  std::uint16_t flags;   // word groups and G-code flags; for a syntax error, its position
  std::uint32_t word;
  std::uint32_t text;
};
static_assert(sizeof(NCD_LINE) == 12, "NCD_LINE must stay 12 bytes");

inline constexpr std::uint32_t ncd_handle(int page, int offset) {
  return (static_cast<std::uint32_t>(page + 1) << 16) | static_cast<std::uint32_t>(offset);
}
inline constexpr int ncd_handle_page(std::uint32_t h) { return static_cast<int>(h >> 16) - 1; }
inline constexpr int ncd_handle_offset(std::uint32_t h) { return static_cast<int>(h & 0xFFFF); }

// Bits of the line status word and of the word flags that the store and the run test.
inline constexpr std::uint16_t NCD_ST_MOTION = 0x001F;
inline constexpr std::uint16_t NCD_ST_G90 = 0x0020;
inline constexpr std::uint16_t NCD_ST_G91 = 0x0040;
inline constexpr std::uint16_t NCD_ST_G98 = 0x0080;
inline constexpr std::uint16_t NCD_ST_G99 = 0x0100;
inline constexpr std::uint16_t NCD_ST_TOOL_CHANGE = 0x0200;
inline constexpr std::uint16_t NCD_ST_END_FIELD = 0x0C00;
inline constexpr std::uint16_t NCD_ST_PROG_END = 0x0400;
inline constexpr std::uint16_t NCD_ST_CALL = 0x0800;
inline constexpr std::uint16_t NCD_ST_RETURN = 0x0C00;
inline constexpr std::uint16_t NCD_ST_OFFSET_SET = 0x1000;
inline constexpr std::uint16_t NCD_ST_COLOUR = 0x4000;
inline constexpr std::uint16_t NCD_ST_ERROR = 0x8000;

inline constexpr std::uint16_t NCD_WF_AXIS = 0x0001;
inline constexpr std::uint16_t NCD_WF_ARC = 0x0002;
inline constexpr std::uint16_t NCD_WF_OTHER = 0x0004;
inline constexpr std::uint16_t NCD_WF_CODE = 0x0008;
inline constexpr std::uint16_t NCD_WF_Z = 0x0010;
inline constexpr std::uint16_t NCD_WF_Y = 0x0020;
inline constexpr std::uint16_t NCD_WF_X = 0x0040;
inline constexpr std::uint16_t NCD_WF_R = 0x0080;
inline constexpr std::uint16_t NCD_WF_IJK = 0x0100;
inline constexpr std::uint16_t NCD_WF_NOSIM = 0x0200;
inline constexpr std::uint16_t NCD_WF_G80 = 0x0400;
inline constexpr std::uint16_t NCD_WF_G04 = 0x0800;
inline constexpr std::uint16_t NCD_WF_COMP_FIELD = 0x3000;
inline constexpr std::uint16_t NCD_WF_LEN_FIELD = 0xC000;

// Cutter radius compensation in the word flags (NCD_WF_COMP_FIELD) and its codes.
inline constexpr std::uint16_t NCD_WF_G41 = 0x1000;  // G41 cutter left
inline constexpr std::uint16_t NCD_WF_G42 = 0x2000;  // G42 cutter right
inline constexpr std::uint16_t NCD_WF_G40 = 0x3000;  // G40, or D0: cancelled
// Tool length offset in the word flags (NCD_WF_LEN_FIELD).
inline constexpr std::uint16_t NCD_WF_G43 = 0x4000;  // G43 plus
inline constexpr std::uint16_t NCD_WF_G44 = 0x8000;  // G44 minus
inline constexpr std::uint16_t NCD_WF_G49 = 0xC000;  // G49 cancelled

// Bits of the presence mask of the other-words group; the values follow in this order.
enum NCD_MASK_BIT : int {
  NCD_MB_N = 0, NCD_MB_F, NCD_MB_P, NCD_MB_O, NCD_MB_L, NCD_MB_T, NCD_MB_H, NCD_MB_D,
  NCD_MB_S, NCD_MB_A, NCD_MB_B, NCD_MB_C, NCD_MB_Q,
  NCD_MB_M_COUNT = 13,  // bits 13-14: number of M codes (0..3)
  NCD_MB_MODE = 15,     // the mode value (plane, work system)
  NCD_MB_VALUES = 13    // values N .. Q
};

// One entry of a line table.
struct NCD_TABLE_ENTRY {
  std::int32_t line;
  std::int32_t num;  // tool number or program number
};
struct NCD_LINE_TABLE {
  std::int32_t count = 0;
  std::array<NCD_TABLE_ENTRY, NCD_TABLE_MAX + 1> e{};
};

// File-level comment data, filled by the tokenizer and cleared with the store.
struct NCD_FILE_COMMENTS {
  bool origin_given = false;
  VEC3 origin;
  std::string origin_comment;
  bool source_given = false;
  std::string source_name;
  std::string source_comment;
  bool output_given = false;
  std::string output_name;
  std::string output_comment;
};

// What the last split of a text cut or dropped, for the NC file commands to report.
struct NCD_SPLIT_REPORT {
  std::vector<std::int32_t> cut_lines;  // lines cut at 250 bytes (0-based)
  bool control_end = false;             // a control byte ended the text early
  std::uint8_t control_byte = 0;
  std::size_t control_pos = 0;          // its position in the text
};

// The tokenizer's options, its outputs for the last line, and its word buffer.
struct NCD_PARSE {
  bool change_tool_by_T = false;  // nc_word_change_tool: a T word is the tool change
  bool undef_is_noerr = true;     // nc_word_undef_ncd_is_noerr: unknown characters end the line
  int word_unit = 4;              // nc_word_unit: 1..5 = 1, 0.1, 0.01, 0.001, 0.0001
  std::uint16_t status = 0;
  std::uint16_t flags = 0;
  std::uint16_t mask = 0;
  std::array<std::uint32_t, NCD_WORD_BUF_WORDS> wbuf{};
};

// Position fields of the interpreter and the program run.
struct NCD_POS {
  std::int32_t start_line = 0;
  std::int32_t cur_line = 0;
  std::int32_t next_line = 0;
  std::int32_t last_line = 0;  // the current line at the end of the last whole-program run
  std::int32_t block_count = 0;
  std::int32_t total_blocks = 0;
  std::int64_t sub_moves = 0;   // canned-cycle sub-moves since the reset
  std::int32_t mark_first = 0;  // the block range marked by the main window
  std::int32_t mark_last = 0;
};
inline constexpr std::int32_t NCD_TOTAL_BLOCKS_UNLIMITED = 0x7FFFFFF;

// Large blocks that a record's pages are carved from once its program outgrows its first
// pages (ncd_store.cpp): a large program then takes a page fault per huge page, not per page.
// Freed pages wait for reuse by pages of their kind; the blocks go with the record's pages.
struct NCD_PAGE_ARENA {
  struct Block {
    std::uint8_t* base = nullptr;
    std::size_t size = 0;
    std::size_t used = 0;
  };
  std::vector<Block> blocks;
  std::array<std::vector<void*>, 3> spare;  // freed pages: line, text, word
  std::size_t heap_bytes = 0;               // pages taken from the heap
};

struct NCD_DATA {
  explicit NCD_DATA(const NCD_CAPACITY& cap = NCD_CAPACITY{});
  ~NCD_DATA();
  NCD_DATA(const NCD_DATA&) = delete;
  NCD_DATA& operator=(const NCD_DATA&) = delete;

  // ---- store ----
  NCD_CAPACITY cap;
  int lines_per_page = 0;  // 1 << cap.line_page_shift
  std::vector<NCD_LINE*> line_pages;
  std::vector<std::uint32_t*> word_pages;
  std::vector<std::uint8_t*> text_pages;
  std::int32_t cur_line_page = -1;
  std::int32_t cur_word_page = -1;
  std::int32_t cur_text_page = -1;
  std::int32_t line_slot = -1;  // next free slot in the current line page
  std::vector<std::int32_t> word_fill;  // words; -1 = no page
  std::vector<std::int32_t> text_fill;  // bytes; -1 = no page
  NCD_PAGE_ARENA page_arena;
  std::string buf_msg;
  bool buf_full = false;
  bool table_full = false;  // a line table refused an entry (buf_msg says which)
  // While an insertion parks the tail: lines the split may reach; -1 no limit.
  std::int32_t line_limit = -1;
  NCD_SPLIT_REPORT split_report;

  std::string file_folder;
  std::string file_name;
  std::int32_t text_size = 0;
  float tape_length = 0;
  std::int32_t line_count = 0;

  NCD_POS pos;
  bool run_done = false;  // the whole-program run moved something
  // Counts the changes of the stored lines and their word data. Every store routine that
  // changes them bumps it, so a caller can tell whether the program is still the one it
  // last ran. Whoever changes what a run depends on besides the store (the interpreter's
  // options, the tool table) bumps it too.
  std::uint32_t change_count = 0;

  NCD_LINE_TABLE tool_lines;  // tool-change lines
  NCD_LINE_TABLE prog_lines;  // program-number lines
  NCD_FILE_COMMENTS comments;
  NCD_PARSE parse;

  // ---- interpreter ----
  NCD_EXEC exec;
  NCD_EXEC_OPTIONS exec_opt;
  NCD_BLOCK_TEXTS block_text;
  // ---- program run: snapshots, statistics, error list, save areas (ncd_run.h) ----
  NCD_RUN run;

  // The record's one host (ncd_host.h): set once by whoever holds the record; null gives
  // the default host.
  void set_host(NCD_HOST* h) { host_ = h ? h : &NCD_HOST::none(); }
  NCD_HOST& host() const { return *host_; }
  bool has_host() const { return host_ != &NCD_HOST::none(); }

  // Record of line n (0 <= n < the page capacity; callers check the range).
  NCD_LINE& line(int n) {
    return line_pages[static_cast<unsigned>(n) >> cap.line_page_shift]
                     [static_cast<unsigned>(n) & static_cast<unsigned>(lines_per_page - 1)];
  }
  const NCD_LINE& line(int n) const { return const_cast<NCD_DATA*>(this)->line(n); }
  // Lines the store can hold: the last slot of the last line page is never counted.
  std::int64_t max_lines() const {
    return static_cast<std::int64_t>(cap.page_slots) * lines_per_page - 1;
  }

 private:
  NCD_HOST* host_ = &NCD_HOST::none();
};

// ---- routines -----------------------------------------------------------------------------
void get_NCD_unit_mark(std::string& s);
void Create_NCD(NCD_DATA& d);
void Free_NCD(NCD_DATA& d);
void Init_NCD_pages(NCD_DATA& d, bool free_pages);
void Clear_NCD(NCD_DATA& d);
// Swaps the programs of two records (store, tables, interpreter state, run results); each
// record keeps its hosts and its tokenizer and interpreter options.
void Swap_NCD(NCD_DATA& a, NCD_DATA& b);
// Splits the text into lines and stores them after the last line; the lines added, or -1
// when the buffer is exhausted.
int Append_NCD_text(NCD_DATA& d, const char* text, std::size_t length, bool upper);
int Split_NCD_text(NCD_DATA& d, const char* text, std::size_t length, bool upper);
bool Store_NCD_line(NCD_DATA& d, const char* chars, int length);
// Inserts the text's lines before line n, tokenises them and, when lines followed, runs the
// program again; the lines added, or -1.
int Insert_NCD_text(NCD_DATA& d, const char* text, int n, std::size_t length);
void Delete_NCD_line(NCD_DATA& d, int n);
void Store_NCD_word_data(NCD_DATA& d, int n, int total_words);
// As Store_NCD_word_data, from the entry at src (three words past its end may be read).
void NCD_store_word_entry(NCD_DATA& d, int n, int total_words, const std::uint32_t* src);
// The place line n's entry of total_words takes, as NCD_store_word_entry gives it (the page
// found or made, its fill advanced, the change counted), with the entry's handle; null when
// it is not stored (the store full, a wrong size). The caller copies the entry there and
// sets the line's record; the page's end mark is written by NCD_end_word_page.
std::uint32_t* NCD_place_word_entry(NCD_DATA& d, int n, int total_words, std::uint32_t& handle);
// Writes the end mark after the last entry of word page p.
void NCD_end_word_page(NCD_DATA& d, int p);
void Store_NCD_line_flags(NCD_DATA& d, int n);
// Removes line n's word data and its line-table entries (before the line is tokenised again).
void Clear_NCD_word_data(NCD_DATA& d, int n);
// Removes every line's word data and empties both line tables, in one pass over the lines.
void Clear_NCD_all_word_data(NCD_DATA& d);
// Enters line n in the program-number table (mask has O) and the tool-change table (T).
void Register_NCD_OT_line(NCD_DATA& d, int n, std::int32_t o, std::int32_t t);
void Fix_NCD_tables_delete(NCD_DATA& d, int n);
void Fix_NCD_tables_insert(NCD_DATA& d, int n, int k);
int Find_prev_end_line(const NCD_DATA& d, int n);
void get_NCD_line_text(const NCD_DATA& d, int n, std::string& out);
// The line's NUL-terminated characters; an empty text outside the store.
const char* get_NCD_line_ptr(const NCD_DATA& d, int n);
// The line's characters (no range test: 0 <= n < line count).
inline std::string_view get_NCD_line_view(const NCD_DATA& d, int n) {
  const NCD_LINE& rec = d.line(n);
  const std::uint8_t* e = d.text_pages[ncd_handle_page(rec.text)] + ncd_handle_offset(rec.text);
  return {reinterpret_cast<const char*>(e + 5), static_cast<std::size_t>(e[4] - 1)};
}
void Count_NCD_size(NCD_DATA& d);

bool New_NCD_line_page(NCD_DATA& d);
void Free_NCD_line_page(NCD_DATA& d);
bool New_NCD_text_page(NCD_DATA& d);
void Free_NCD_text_page(NCD_DATA& d, int page);
bool New_NCD_word_page(NCD_DATA& d);
void Free_NCD_word_page(NCD_DATA& d, int page);
bool Find_NCD_text_page(NCD_DATA& d, int need);
bool Find_NCD_word_page(NCD_DATA& d, int need);
// Gives back the memory that the pages being filled do not use yet (after a large load).
void Trim_NCD_pages(NCD_DATA& d);

// The line's word data (count words after the two header words), or null without any.
const std::uint32_t* get_NCD_word_data(const NCD_DATA& d, int n, int* count = nullptr);

// The other-words group of one line as the tokenizer read it.
struct NCD_OTHER_WORDS {
  std::uint16_t mask = 0;                  // presence mask (M count included)
  std::array<std::uint32_t, NCD_MB_VALUES> vals{};  // N, F, P, O, L, T, H, D, S, A, B, C, Q
  std::array<std::int32_t, 3> m{};         // M codes, `mask` bits 13-14 tell how many
  std::uint32_t mode = 0;                  // plane in bits 4-5, work system in bits 0-3
};
// Appends the presence mask and the values of `w` to the word buffer at index `at` and
// registers line n in the line tables; returns the index after the last word written.
int Set_NCD_word_data(NCD_DATA& d, int n, int at, const NCD_OTHER_WORDS& w);
// The words of one stored line, decoded from its word data by its word flags.
struct NCD_LINE_WORDS {
  float x = 0, y = 0, z = 0, r = 0, i = 0, j = 0, k = 0;
  NCD_OTHER_WORDS other;
  float f(int bit) const;  // a real value of `other` (F, A, B, C, Q)
  std::int32_t v(int bit) const { return static_cast<std::int32_t>(other.vals[bit]); }
  bool has(int bit) const { return (other.mask >> bit) & 1u; }
  int m_count() const { return (other.mask >> NCD_MB_M_COUNT) & 3; }
};
// Decodes line n's word data; false (and all zeros) when the line has none.
bool get_NCD_line_words(const NCD_DATA& d, int n, NCD_LINE_WORDS& out);
// Tokenises line n of the store (the tokenizer).
void Parse_NCD_line(NCD_DATA& d, int n);
// Tokenises lines first .. last - 1 with the same result as Parse_NCD_line on each in turn,
// on several threads for a range of NCD_PARSE_PARALLEL_MIN lines or more (threads = 0: one
// per processor; 1: this thread only).
inline constexpr int NCD_PARSE_PARALLEL_MIN = 20000;
void Parse_NCD_lines(NCD_DATA& d, int first, int last, int threads = 0);
// Tokenises every stored line again (after a switch that changes how lines are read): the
// old word data goes at once rather than line by line.
void Parse_NCD_all_lines(NCD_DATA& d);
// Sets the tokenizer's no-point unit from the settings key nc_word_unit (1..5; others 4).
void Set_NCD_word_unit(NCD_DATA& d, int key);
