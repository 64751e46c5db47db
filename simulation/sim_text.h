// Number texts of the simulation's messages.
#pragma once
#include <string>

// The value with exactly `decimals` decimals (0..9), as "%.3f" would write it but rounded
// half away from zero on the exact value and without a sign on zero ("-0.000" never
// appears); "nan", "inf" and "-inf" for values that are not finite.
std::string fixed_text(double v, int decimals);
inline std::string sim_fixed3(double v) { return fixed_text(v, 3); }
