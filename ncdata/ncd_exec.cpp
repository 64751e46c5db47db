// The block interpreter's state and its reset.
#include "ncdata/ncd_data.h"

void Reset_NCD_exec(NCD_DATA& d) {
  d.pos.cur_line = d.pos.next_line = d.pos.start_line;
  d.pos.block_count = 0;
  d.pos.total_blocks = NCD_TOTAL_BLOCKS_UNLIMITED;
}
