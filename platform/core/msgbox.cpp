#include "platform/core/msgbox.h"

#include <cstdio>

#include "platform/core/cp932.h"

namespace plat {

namespace {
MessageBoxHandler* g_handler = nullptr;
}

int default_answer(unsigned flags) {
  unsigned buttons = flags & 0xF;
  bool second = (flags & 0xF00) == MB_DEFBUTTON2;
  switch (buttons) {
    case MB_OKCANCEL: return second ? IDCANCEL : IDOK;
    case MB_ABORTRETRYIGNORE: return second ? IDRETRY : IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return second ? IDNO : IDYES;
    case MB_RETRYCANCEL: return second ? IDCANCEL : IDRETRY;
    default: return IDOK;
  }
}

int message_box(const std::string& text, const std::string& caption, unsigned flags) {
  if (g_handler) return g_handler->show(text, caption, flags);
  std::fprintf(stderr, "[%s] %s\n", cp932_to_utf8(caption).c_str(), cp932_to_utf8(text).c_str());
  return default_answer(flags);
}

MessageBoxHandler* set_message_box_handler(MessageBoxHandler* h) {
  MessageBoxHandler* prev = g_handler;
  g_handler = h;
  return prev;
}

int ScriptedMessageBoxes::show(const std::string& text, const std::string& caption,
                               unsigned flags) {
  int a = default_answer(flags);
  if (!answers.empty()) {
    a = answers.front();
    answers.pop_front();
  }
  shown.push_back({text, caption, flags, a});
  return a;
}

}  // namespace plat
