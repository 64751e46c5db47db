// The moves of one interpreter step as the 3D view draws, picks and cuts them: the step seam
// (ncdata/ncd_moves.h) turned into a PathMove with the feed, tool colour and the compensated
// segments of the block. No Qt, no GL here.
#pragma once
#include "mainwin/core/path_emit.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_moves.h"
#include "ncdata/ncd_run.h"

struct Tmat;

// The move of the step the interpreter just made (`moves` from get_NCD_step_moves). Under
// cutter compensation the programmed move is the block's own, the compensated moves its
// segments. Canned-cycle sub-moves are cycle moves: dwells and stops draw nothing, rapid
// sub-moves are drawn as rapid and the others as feed.
PathMove path_move_of_step(const NCD_DATA& d, const NCD_STEP_MOVES& moves);

// Cuts the works along the moves of the step: straight moves through the linear cutter
// (move kind 0 rapid, 1 feed), arcs through the arc cutter of their plane. Cutting ignores
// the path display switches, so a hidden rapid still cuts. False when the abort flag of the
// works is set afterwards.
bool cut_PATH_only(Tmat& m, const NCD_STEP_MOVES& moves);

// One block of the interpreter (STEP_NCD sub-move by sub-move, so each sub-move of a canned
// cycle is seen), handing the moves of every step to `each`. True ("ended") as STEP_NCD.
template <class Each>
bool path_step_block(NCD_DATA& d, Each&& each) {
  NCD_STEP_MOVES m;
  for (;;) {
    const bool ended = STEP_NCD(d, true);
    get_NCD_step_moves(d, m);
    each(m);
    const bool cycle_going = d.exec.cyc.active && d.pos.next_line == d.pos.cur_line;
    if (ended || !cycle_going) return ended;
  }
}
