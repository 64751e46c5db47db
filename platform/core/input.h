// Key and mouse polling inside long work, and the busy flag.
//
// A long loop asks key_down(Key::Escape) between steps. The answer is "down now, or pressed
// since the last read" (the read clears the latch). The GUI feeds the latches from an
// application event filter and lets a poll run the event loop at most every ~30 ms; tests
// install ScriptedInput.
#pragma once
#include <cstdint>
#include <deque>

namespace plat {

enum class Key : int { Escape = 0, LButton = 1, RButton = 2, MButton = 3 };
constexpr int kKeyCount = 4;

class InputSource {
 public:
  virtual ~InputSource() = default;
  virtual bool key_down(Key k) = 0;
  // Screen position of the last press of a mouse button (false when none is known).
  virtual bool press_position(Key k, int& x, int& y) {
    (void)k, (void)x, (void)y;
    return false;
  }
};

// Reads a latch through the installed source (false when none is installed).
bool key_down(Key k);
inline bool escape_pressed() { return key_down(Key::Escape); }
// Any mouse button down or pressed since the last read.
bool mouse_button_down();

// The screen position of the last latched press of a mouse button; false when none is known.
bool press_position(Key k, int& x, int& y);

InputSource* set_input_source(InputSource* s);

// Test double: each key answers from its own queue (then false). `escape_after(n)` makes
// the n-th read of Escape (1-based) answer true.
class ScriptedInput : public InputSource {
 public:
  ScriptedInput() { prev_ = set_input_source(this); }
  ~ScriptedInput() override { set_input_source(prev_); }
  ScriptedInput(const ScriptedInput&) = delete;
  ScriptedInput& operator=(const ScriptedInput&) = delete;

  bool key_down(Key k) override;
  void press(Key k) { queue[static_cast<int>(k)].push_back(true); }
  void escape_after(int n) { escape_at_ = n; }
  // The press of `k` lies at screen point (x, y).
  void press_at(Key k, int x, int y) {
    pos_[static_cast<int>(k)] = {x, y, true};
  }
  bool press_position(Key k, int& x, int& y) override;

  std::deque<bool> queue[kKeyCount];
  int reads[kKeyCount] = {};

 private:
  InputSource* prev_ = nullptr;
  int escape_at_ = -1;
  struct Pos { int x = 0, y = 0; bool set = false; };
  Pos pos_[kKeyCount];
};

// The program-wide busy flag: set while a long command runs. While it is set the GUI's
// event filter swallows user input other than Escape, so nothing re-enters.
bool busy();
class BusyGuard {
 public:
  BusyGuard();
  ~BusyGuard();
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  // false when the program was already busy (the command must refuse to start).
  bool acquired() const { return acquired_; }

 private:
  bool acquired_;
};

}  // namespace plat
