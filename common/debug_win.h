// The program's diagnostic log behind its debug window: the message page, the dump page and
// the memory page as line lists, and the mirror into the main window's own debug list, which
// the main window later writes into its internal log file. Installed as the sink of deb_log,
// it receives every diagnostic line of the program. The window (common/widgets/deb_window.h)
// shows it; without a window it works alone. No Qt here.
#pragma once
#include <string>
#include <vector>

#include "common/debug_log.h"

namespace velmor {

class Tdeb : public DebLogSink {
 public:
  enum class Page { Message, Dump, Memory };

  // Told about every change, so that a window can follow the lists.
  class View {
   public:
    virtual ~View() = default;
    virtual void line_added(Page page, const std::string& line) = 0;
    virtual void page_cleared(Page page) = 0;
  };

  Tdeb() = default;
  ~Tdeb() override;
  Tdeb(const Tdeb&) = delete;
  Tdeb& operator=(const Tdeb&) = delete;

  // Makes this the sink of deb_log (until uninstall() or destruction).
  void install();
  void uninstall();

  // One line to the message page and, while mirroring is on, to the mirror list.
  void Add_deb_message(const std::string& text);
  // The mirror alone.
  void mirror_deb_message(const std::string& text);
  // Empties the message page.
  void clear_deb_message();
  void add_deb_line(const std::string& line) override { Add_deb_message(line); }

  // The dump page and the memory page.
  void add_dump_line(const std::string& text);
  void clear_dump();
  void add_mem_line(const std::string& text);
  void clear_mem();

  const std::vector<std::string>& deb_p_memo() const { return message_; }
  const std::vector<std::string>& Memo1() const { return dump_; }
  const std::vector<std::string>& lb2() const { return mem_; }
  const std::vector<std::string>& lines(Page page) const;
  // The lines of a page, each followed by CR LF (what the copy buttons put on the clipboard).
  std::string page_text(Page page) const;

  // Whether the window is on screen; the simulation control panel fills the dump page only
  // then.
  bool visible() const { return visible_; }
  void set_visible(bool v) { visible_ = v; }

  void set_view(View* v) { view_ = v; }

  // The main window's debug list (owned by it) and the switch of the mirror.
  std::vector<std::string>* mirror_list = nullptr;
  bool mirror_on = false;

 private:
  std::vector<std::string>& list(Page page);
  void add(Page page, const std::string& text);
  void clear(Page page);

  std::vector<std::string> message_, dump_, mem_;
  View* view_ = nullptr;
  bool visible_ = false;
  bool installed_ = false;
  DebLogSink* prev_sink_ = nullptr;
};

}  // namespace velmor
