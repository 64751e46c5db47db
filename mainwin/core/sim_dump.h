// The simulation state written to the debug window's dump page: the current line and
// counters, the positions, the status words, the cycle and the length and time totals.
#pragma once
#include <string>
#include <vector>

struct NCD_DATA;
namespace velmor {
class Tdeb;
}

// The dump page's lines for the record's current state, blank lines between the groups.
std::vector<std::string> sim_status_lines(const NCD_DATA& d);
// Clears the dump page and writes sim_status_lines into it.
void Dump_SIM_status_to_deb(const NCD_DATA& d, velmor::Tdeb& deb);
