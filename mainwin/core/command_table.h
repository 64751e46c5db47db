// Commands of the main window's menus and tool buttons, by Tag. Each concern registers its
// rows {Tag, handler}; open1Click looks the Tag up. No Qt here.
#pragma once
#include <functional>
#include <map>

struct TSession;
class TVLM_ui;

class TVLM_command_table {
 public:
  using Handler = std::function<void()>;
  // A later row of the same Tag replaces the earlier one.
  void add(int tag, Handler h) { rows_[tag] = std::move(h); }
  bool has(int tag) const { return rows_.count(tag) != 0; }
  // Runs the Tag's command; false when it has none.
  bool run(int tag) const;

 private:
  std::map<int, Handler> rows_;
};

// The shared click handler: nothing while the program is busy; otherwise the edited
// listing rows go back into the store, then the Tag's command runs. False when nothing ran.
bool open1Click(TVLM_ui& ui, const TVLM_command_table& table, int tag);
