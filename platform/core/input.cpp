#include "platform/core/input.h"

namespace plat {

namespace {
InputSource* g_source = nullptr;
int g_busy = 0;
}  // namespace

bool key_down(Key k) { return g_source ? g_source->key_down(k) : false; }

bool mouse_button_down() {
  // Read all three, so every latch is cleared.
  bool l = key_down(Key::LButton);
  bool r = key_down(Key::RButton);
  bool m = key_down(Key::MButton);
  return l || r || m;
}

bool press_position(Key k, int& x, int& y) {
  return g_source ? g_source->press_position(k, x, y) : false;
}

bool ScriptedInput::press_position(Key k, int& x, int& y) {
  const Pos& p = pos_[static_cast<int>(k)];
  if (!p.set) return false;
  x = p.x;
  y = p.y;
  return true;
}

InputSource* set_input_source(InputSource* s) {
  InputSource* prev = g_source;
  g_source = s;
  return prev;
}

bool ScriptedInput::key_down(Key k) {
  int i = static_cast<int>(k);
  ++reads[i];
  if (k == Key::Escape && escape_at_ > 0 && reads[i] >= escape_at_) return true;
  if (queue[i].empty()) return false;
  bool v = queue[i].front();
  queue[i].pop_front();
  return v;
}

bool busy() { return g_busy > 0; }

BusyGuard::BusyGuard() : acquired_(g_busy == 0) {
  if (acquired_) ++g_busy;
}
BusyGuard::~BusyGuard() {
  if (acquired_) --g_busy;
}

}  // namespace plat
