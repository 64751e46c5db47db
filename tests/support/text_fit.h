// Does every caption of a form show whole? Walks the visible labels, push buttons, check
// boxes and radio buttons under a widget and measures each text in the widget's own font
// against the room its style gives the text. Any form's test can call it at the form's
// smallest size, and with other fonts.
#pragma once
#include <string>
#include <vector>

class QWidget;

namespace testing_support {

// One line per caption that is cut: object name, class, text, and the width and height the
// text needs against those it has (UTF-8). Empty when everything fits.
std::vector<std::string> clipped_captions(const QWidget& root);

}  // namespace testing_support
