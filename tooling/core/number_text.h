// The values of the settings windows' number texts: a text that is_real_text or
// is_integer_text accepts (an optional sign, digits, for reals one point), as a number.
// No Qt.
#pragma once
#include <cstdint>
#include <string_view>

// False for a text those checks refuse, or a real too large for a double.
bool real_text_value(std::string_view text, double& out);
bool integer_text_value(std::string_view text, std::int64_t& out);
