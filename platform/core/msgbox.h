// Message boxes. Core code calls message_box(); the GUI installs a handler that shows an
// application-modal QMessageBox, tests install ScriptedMessageBoxes.
#pragma once
#include <deque>
#include <string>
#include <vector>

namespace plat {

// Buttons (low nibble) and icons, with the values the system's callers use.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONSTOP = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_SYSTEMMODAL = 0x1000,
  MB_TASKMODAL = 0x2000,
};
// Answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// The answer of the first (default) button of a box with these flags.
int default_answer(unsigned flags);

class MessageBoxHandler {
 public:
  virtual ~MessageBoxHandler() = default;
  // text and caption are CP932 byte strings.
  virtual int show(const std::string& text, const std::string& caption, unsigned flags) = 0;
};

// Shows a box through the installed handler. Without one (a headless tool) the text goes to
// stderr and the default answer is returned.
int message_box(const std::string& text, const std::string& caption, unsigned flags = MB_OK);

// Installs a handler (nullptr restores the headless default); returns the previous one.
MessageBoxHandler* set_message_box_handler(MessageBoxHandler* h);

// Test double: records every box and answers from a queue, then with the default answer.
class ScriptedMessageBoxes : public MessageBoxHandler {
 public:
  struct Shown {
    std::string text, caption;
    unsigned flags;
    int answer;
  };
  ScriptedMessageBoxes() { prev_ = set_message_box_handler(this); }
  ~ScriptedMessageBoxes() override { set_message_box_handler(prev_); }
  ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
  ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

  int show(const std::string& text, const std::string& caption, unsigned flags) override;
  void answer(int a) { answers.push_back(a); }

  std::deque<int> answers;
  std::vector<Shown> shown;

 private:
  MessageBoxHandler* prev_ = nullptr;
};

}  // namespace plat
