// Plain decimal numbers as sites and elements files write them.
//
// Thread safety: a pure function; safe from any thread.
#ifndef QUORVALE_ECLIPSE_DECIMAL_H_
#define QUORVALE_ECLIPSE_DECIMAL_H_

#include <string>

namespace eclipse {

// Reads a plain decimal number ("-0.8891", "200", "+12.5", ".5"): sign, digits, one point. No
// exponent, no "inf"/"nan", no blanks; independent of the process locale. On success sets *value
// and returns true; otherwise leaves it unchanged and returns false.
bool parseDecimal(const std::string& text, double* value);

}  // namespace eclipse

#endif  // QUORVALE_ECLIPSE_DECIMAL_H_
