// The other display settings: the fields of the display record that the window edits, as a
// table (edit, caption, unit, kind), their texts and the rules that normalise a typed value.
// No Qt.
#pragma once
#include <string>
#include <vector>

#include "tooling/core/disp_status.h"

enum class TExtra_kind {
  color,   // colour code 0..63
  real1,   // positive real, one decimal; 0 becomes 0.1
  real3,   // positive real, three decimals; 0 becomes 0.1
  whole,   // whole number, at least 1
  angle,   // tenths of a degree within one turn, the sign kept
};

struct TExtra_field {
  const char* edit;     // ED_A ..
  const char* panel;    // PNL_A .. for colours, else ""
  const char* caption;  // CP932
  const char* unit;     // CP932, "" for none
  TExtra_kind kind;
};

// The thirteen fields in window order.
const std::vector<TExtra_field>& extra_setup_fields();

// The text of field i of the record.
std::string extra_field_text(const Tdisp_status& d, int i);
// The value a typed real becomes for a kind (not for colours).
double normalise_extra_value(TExtra_kind kind, double v);
// Takes the typed text into field i of the record. False when the text is refused: a colour
// outside 0..63 or not whole gets its box, any other field's text that is not a number gets
// the number check's box; the record then keeps its value.
bool commit_extra_field(Tdisp_status& d, int i, const std::string& text);
// An origin line width of 0 (or less) becomes 1.
void fix_extra_fields(Tdisp_status& d);
