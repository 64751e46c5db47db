// main() of the gui and gl tests: GoogleTest inside the program's own application object.
#include <gtest/gtest.h>

#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/qt/app.h"

namespace {
// A modal box would hang a test run: a box that no test scripted is a failure.
class UnexpectedBoxes : public plat::MessageBoxHandler {
 public:
  int show(const std::string& text, const std::string& caption, unsigned flags) override {
    ADD_FAILURE() << "unexpected message box [" << plat::cp932_to_utf8(caption) << "] "
                  << plat::cp932_to_utf8(text);
    return plat::default_answer(flags);
  }
};
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  plat::Application app(argc, argv);
  UnexpectedBoxes boxes;
  plat::MessageBoxHandler* prev = plat::set_message_box_handler(&boxes);
  int rc = RUN_ALL_TESTS();
  plat::set_message_box_handler(prev);
  return rc;
}
