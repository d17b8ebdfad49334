#include "eclipse/decimal.h"

#include <cmath>
#include <locale>
#include <sstream>

namespace eclipse {

bool parseDecimal(const std::string& text, double* value) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double v = 0.0;
  in >> v;
  if (in.fail() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

}  // namespace eclipse
