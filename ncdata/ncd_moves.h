// The moves of a step: what the last block, or the last sub-move of a canned cycle, made, as
// plain records with their kind, ends, arc data, plane, tool and NC line. Under G41/G42 they
// are the compensated moves. Path drawing, cutting calls, picking and the control panel read
// the interpreter through these records and never decode its status bits. No Qt here.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/ats_func.h"

struct NCD_DATA;

// Kinds of a move.
enum class NCD_MOVE_KIND : std::int32_t {
  RAPID = 0,  // G00, G60, and the rapid sub-moves of a cycle
  FEED = 1,   // G01, G31, G33, and the feed sub-moves of a cycle
  ARC = 2,    // G02, G03 (centre, turn and plane given)
  DWELL = 3,  // G04, or a sub-move of a cycle that does not travel (dwell, spindle stop, ...)
};

struct NCD_MOVE {
  NCD_MOVE_KIND kind = NCD_MOVE_KIND::RAPID;
  std::int32_t cycle_kind = -1;  // NCD_CYCLE_KIND of a cycle sub-move; -1 not a cycle
  bool compensated = false;      // a compensated move of G41/G42
  VEC3 start, end;
  VEC3 centre;                   // arcs only
  float radius = 0;              // arcs only: |R|
  std::int32_t turn = 0;         // arcs only: -1 clockwise (G02), +1 counter-clockwise (G03)
  std::uint32_t plane = 0x10;    // NCD_PLANE_* of the arc; the plane in force otherwise
  std::int32_t tool = 0;         // T of the current tool
  std::int32_t line = 0;         // the NC line (0-based)
};

// At most this many moves in one step: the compensated moves of a block.
inline constexpr int NCD_STEP_MOVES_MAX = 2;
struct NCD_STEP_MOVES {
  std::int32_t count = 0;
  std::array<NCD_MOVE, NCD_STEP_MOVES_MAX> m{};
};

// The moves that the last step (exec_NCD_block or STEP_NCD) made: none for a block that does
// not move, an error or the end; one for a straight move, an arc, a dwell or one sub-move of
// a canned cycle; the compensated moves under G41/G42. A cycle block run whole gives its last
// sub-move only: STEP_NCD_moves has them all.
void get_NCD_step_moves(const NCD_DATA& d, NCD_STEP_MOVES& out);
// STEP_NCD with the moves it made appended to `out`; a canned cycle's block runs sub-move by
// sub-move (unless `sub_step`, which stops after one), so each of its sub-moves is there.
// True ("ended") as STEP_NCD.
bool STEP_NCD_moves(NCD_DATA& d, bool sub_step, std::vector<NCD_MOVE>& out);
// One line of text for a move: "L<line> T<t> <kind> X.. Y.. Z.. > X.. Y.. Z.." with the
// centre, radius and turn of an arc, numbers to three decimals at most.
std::string get_NCD_move_text(const NCD_MOVE& m);
