#include "mainwin/core/command_table.h"

#include "mainwin/core/host_adapter.h"
#include "platform/core/input.h"

bool TVLM_command_table::run(int tag) const {
  auto it = rows_.find(tag);
  if (it == rows_.end()) return false;
  it->second();
  return true;
}

bool open1Click(TVLM_ui& ui, const TVLM_command_table& table, int tag) {
  if (plat::busy()) return false;
  ui.commit_listing();
  return table.run(tag);
}
