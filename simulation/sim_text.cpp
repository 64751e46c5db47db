#include "simulation/sim_text.h"

#include <cmath>

#include "common/ats_func.h"

std::string fixed_text(double v, int decimals) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  if (decimals < 0) decimals = 0;
  if (decimals > 9) decimals = 9;
  std::string int_part, frac_part;
  round_decimal(v, decimals, int_part, frac_part);
  std::string out = decimals > 0 ? int_part + "." + frac_part : int_part;
  if (v < 0 && out.find_first_not_of("0.") != std::string::npos) out.insert(out.begin(), '-');
  return out;
}
