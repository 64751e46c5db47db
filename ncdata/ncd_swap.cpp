// Swapping two NC data records: a program loaded into a spare record takes the place of the
// one in use, while each record keeps its host and its interpreter options.
#include <utility>

#include "ncdata/ncd_data.h"

void Swap_NCD(NCD_DATA& a, NCD_DATA& b) {
  using std::swap;
  // The store. Every member is swapped; a member added to NCD_DATA belongs here too.
  swap(a.cap, b.cap);
  swap(a.lines_per_page, b.lines_per_page);
  swap(a.line_pages, b.line_pages);
  swap(a.word_pages, b.word_pages);
  swap(a.text_pages, b.text_pages);
  swap(a.cur_line_page, b.cur_line_page);
  swap(a.cur_word_page, b.cur_word_page);
  swap(a.cur_text_page, b.cur_text_page);
  swap(a.line_slot, b.line_slot);
  swap(a.word_fill, b.word_fill);
  swap(a.text_fill, b.text_fill);
  swap(a.page_arena, b.page_arena);
  swap(a.buf_msg, b.buf_msg);
  swap(a.buf_full, b.buf_full);
  swap(a.table_full, b.table_full);
  swap(a.line_limit, b.line_limit);
  swap(a.split_report, b.split_report);
  swap(a.file_folder, b.file_folder);
  swap(a.file_name, b.file_name);
  swap(a.text_size, b.text_size);
  swap(a.tape_length, b.tape_length);
  swap(a.line_count, b.line_count);
  swap(a.pos, b.pos);
  swap(a.run_done, b.run_done);
  swap(a.tool_lines, b.tool_lines);
  swap(a.prog_lines, b.prog_lines);
  swap(a.comments, b.comments);
  swap(a.exec, b.exec);
  swap(a.block_text, b.block_text);
  // Both records changed their program.
  ++a.change_count;
  ++b.change_count;
  // The tokenizer's state and buffer go with the program, its options stay.
  swap(a.parse, b.parse);
  swap(a.parse.change_tool_by_T, b.parse.change_tool_by_T);
  swap(a.parse.undef_is_noerr, b.parse.undef_is_noerr);
  swap(a.parse.word_unit, b.parse.word_unit);
  // The run's results go with the program.
  swap(a.run, b.run);
}
