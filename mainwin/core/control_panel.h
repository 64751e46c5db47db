// The simulation control panel without its form: the status read-outs of the block in hand,
// the interference alarm, the playback buttons' dispatch, the play and high-speed loops and
// the auto-repeat of the step buttons. The form (mainwin/control_view_1) answers the host
// interfaces; the loops poll Escape and the mouse buttons through the platform latches.
// No Qt here.
#pragma once
#include <array>
#include <cstdint>
#include <string>

struct NCD_DATA;
struct NCD_EXEC;

// ---- read-outs -------------------------------------------------------------------------

inline constexpr int CONTROLER_STAT_COUNT = 15;  // stat_1 .. stat_12, STAT_13 .. STAT_15

// The current tool as the tool-holder state knows it.
struct CONTROLER_TOOL {
  bool set = false;      // a tool entry is set
  std::string name;      // its name
  int use_index = 0;     // the current tool-use index
  int entry = -1;        // its entry in the tool-holder list; -1 none
};

struct CONTROLER_TEXTS {
  std::string caption = "controler";
  std::array<std::string, CONTROLER_STAT_COUNT> stat{};  // [0] stat_1 .. [14] STAT_15
  bool abc_visible = false;
};

// The texts of a cleared panel.
void clear_controler_texts(CONTROLER_TEXTS& t, bool show_abc);
// Brings the texts up to the interpreter's state. At the program end the G-code and
// coordinate labels keep what they showed, so `t` is read as well as written.
void controler_status_texts(const NCD_DATA& d, const CONTROLER_TOOL& tool, bool show_abc,
                            CONTROLER_TEXTS& t);
// The G-code, coordinate and offset labels (stat_1 ... stat_8) of a block that is not the
// program end or an error.
void controler_block_texts(const NCD_EXEC& e, CONTROLER_TEXTS& t);
// "T5 M03 S1200 " and the like.
std::string controler_tool_text(const NCD_DATA& d);
// The G-code name of a motion group ("???" for none known).
const char* controler_motion_name(int group);

// The display switches that the settings part of the panel shows (they belong to the main
// window, which gets the clicks).
struct CONTROLER_SWITCHES {
  bool vis_tool = false, vis_holder = false, cursor_path = false, vis_abc = false;
  bool invis_g00 = false, seeth_path = false, up_ball_r = false;
  int path_coloring = 0;  // 0 by feed, 1 by G code, 2 by tool
  bool cutting = false, holder_check = false, rotate_tool = false;
  bool setup_window = false;  // the work window exists: Button3 is shown
  int seeth_work = 50, seeth_tool = 50;  // see-through levels
};

// ---- interference alarm ----------------------------------------------------------------

// The alarm message for the cutting check bits (bit 0 alone gives the empty text).
std::string interference_alarm_text(std::uint32_t bits);

// ---- host of the panel -----------------------------------------------------------------

// Action codes of Central_Control_Action that the panel uses.
enum CONTROLER_ACTION : int {
  CA_BACK_STEP = 2, CA_END = 4, CA_TOP = 5, CA_NEXT_TOOL = 6, CA_PREV_TOOL = 7,
  CA_STEP2 = 8, CA_LAST_LINE = 9, CA_TOP_LINE = 10, CA_PREV_PROG = 14, CA_NEXT_PROG = 15,
  CA_STEP = 16
};

// Redraw modes of the main window's draw_data that the panel asks for.
enum CONTROLER_DRAW : int {
  CD_QUICK = 3, CD_FULL = 4, CD_REFRESH = 5, CD_HISPD_STEP = 12, CD_PLAY_END = 16
};

enum class CONTROLER_BUTTON : int { Left = 1, Middle = 2, Right = 3 };

// The main window's side: the store, the stepping, the drawing and the cutting state.
class CONTROLER_SIM {
 public:
  virtual ~CONTROLER_SIM() = default;
  virtual NCD_DATA& data() = 0;
  // Central_Control_Action with the code; true when it ended (an interference to ask about
  // for the step of the play loop).
  virtual bool action(int code) = 0;
  virtual int draw_data(int mode) = 0;
  // Run_all_NCD from the start line and back to the current block (Goto_NCD_step).
  virtual void rerun() = 0;
  virtual void goto_step(int block) = 0;
  virtual void zoom_by_factor(double f) = 0;
  virtual void fit_scale() = 0;
  virtual bool debug_window_shown() = 0;
  virtual void dump_status() = 0;
  virtual void redraw_list() = 0;
  // The first block of the current tool.
  virtual int tool_first_block() = 0;
  // The cutting check bits of the works and the abort flag of the cutting.
  virtual std::uint32_t check_bits() = 0;
  virtual void clear_check_bits() = 0;
  virtual int abort_flag() = 0;
  virtual void set_abort_flag(int v) = 0;
  // The run copy of the stop-on-interference switch, and the switch itself.
  virtual void set_run_stop(bool on) = 0;
  virtual bool stop_on_interference() = 0;
  // A frame of the 3D view is due (the 3D view's pacer), and one was drawn.
  virtual bool frame_due() = 0;
  virtual void frame_drawn() = 0;
  virtual int redraw_interval() = 0;  // DISP_INTERVAL_REDRAW_LIST
};

// The panel form's side.
class CONTROLER_FORM {
 public:
  virtual ~CONTROLER_FORM() = default;
  virtual void set_status(bool force) = 0;
  // The alarm box, OK/Cancel (or OK alone); true for OK.
  virtual bool alarm_box(const std::string& text, bool ok_only) = 0;
  // Every control of the panel and the main window off, then the loop's own button on
  // again; all on again.
  virtual void disable_buttons(int keep_tag) = 0;
  virtual void enable_buttons() = 0;
  // The latched press of a mouse button lies inside the button with the tag.
  virtual bool press_inside(int tag) = 0;
  virtual std::uint32_t tick_ms() = 0;
};

// ---- the panel's behaviour -------------------------------------------------------------

class CONTROLER_CORE {
 public:
  CONTROLER_CORE(CONTROLER_SIM& sim, CONTROLER_FORM& form) : h_(sim), f_(form) {}

  // A press on the playback or zoom button with the tag at `now` (ticks). True when an
  // auto-repeat should follow (step, back step, step2 with the left button).
  bool press(int tag, CONTROLER_BUTTON b, bool ctrl, std::uint32_t now);
  // The release of Btn01_play (and the end of a held step): stores the event time.
  void release(std::uint32_t now) { last_event_ = now; }
  // One repeated action of the held button; false when the repeat ends.
  bool repeat(int tag);
  // Asks about an interference after a cutting step; true to go on.
  bool Check_interference_alarm();

  bool playing() const { return playing_; }
  std::uint32_t last_event() const { return last_event_; }
  void set_last_event(std::uint32_t t) { last_event_ = t; }

  // The action code of a step button that repeats while held (0 for none).
  static int repeat_action(int tag);

 private:
  void play_loop(int tag, bool hispd, bool fastest);
  void clear(bool right, bool ctrl);

  CONTROLER_SIM& h_;
  CONTROLER_FORM& f_;
  bool playing_ = false;
  std::uint32_t last_event_ = 0;
};

// Debounce of the playback buttons and the time a held step waits before it repeats.
inline constexpr std::uint32_t CONTROLER_DEBOUNCE_MS = 100;
inline constexpr std::uint32_t CONTROLER_REPEAT_DELAY_MS = 200;
// A click on the loop's own button stops it only this long after the loop began.
inline constexpr std::uint32_t CONTROLER_STOP_AFTER_MS = 201;
