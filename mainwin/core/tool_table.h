// The main window's tool table: one magazine slot per tool the program changes to, with the
// tools and holders of the program's tool file and the per-tool totals and listing texts of
// the last whole-program run. No Qt here.
#pragma once
#include <string>
#include <vector>

#include "ncdata/ncd_run.h"
#include "simulation/tool_records.h"

// The grand totals of a tool listing; the magazine has no field for them.
struct VLM_tool_totals {
  float mach_time = 0;  // minutes
  float cut_len = 0;    // mm
  float rapid_len = 0;  // mm
};

// Rebuilds the magazine from the tool numbers of the program's tool changes (in program
// order) and the tool-definition lines: T0 and every changed-to tool once, ascending, at most
// kMagazineSlots slots; the lines are applied to their slots, the rest gets defaults, and
// defs is replaced by every slot's name, tool and holder line. When tools are left out for
// want of slots, one line goes to log.
void set_TOOL_defs(const std::vector<int>& change_tools, std::vector<std::string>& defs,
                   TTOOL_HOLDER_tmp& m, std::vector<std::string>* log);

// Adds the run's per-tool records to the slots of their tool numbers and writes every
// slot's listing head and body. f_assumed: the program's largest F was below 10, so the run
// timed it at F100. A record whose tool has no slot is skipped; its message goes to errors
// ("kougu_list_up でエラー発生, i=%d used_T_num=%d").
VLM_tool_totals fill_tool_listing(const std::vector<NCD_TOOL_STAT>& stats, bool f_assumed,
                                  TTOOL_HOLDER_tmp& m, std::vector<std::string>& errors);

// The tool numbers of the store's tool-change table, in program order.
std::vector<int> program_tool_changes(const NCD_DATA& d);
