#pragma once

#include <string>

namespace velk {

// The significant decimal digits of |value| (finite), rounded half to even to at most
// maxDigits, trailing zeros removed, and the decimal exponent of the first digit: 1234.5 with
// 3 digits gives "123" and 3. Exact on every host: the C libraries disagree in the last digits.
std::string DecimalDigits(double value, int maxDigits, int& exponent);

} // namespace velk
