#include "platform/DecimalDigits.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace velk {

namespace {

// An unsigned big integer in base 10^9, least significant limb first.
class TBigDecimal {
public:
    explicit TBigDecimal(uint64_t value) {
        do {
            limbs_.push_back(uint32_t(value % kBase));
            value /= kBase;
        } while (value != 0);
    }

    void MultiplyBy(uint32_t factor) {
        uint64_t carry = 0;
        for (uint32_t& limb : limbs_) {
            uint64_t product = uint64_t(limb) * factor + carry;
            limb = uint32_t(product % kBase);
            carry = product / kBase;
        }
        while (carry != 0) {
            limbs_.push_back(uint32_t(carry % kBase));
            carry /= kBase;
        }
    }

    std::string ToString() const {
        std::string text;
        for (size_t i = limbs_.size(); i-- > 0;) {
            char part[9];
            uint32_t limb = limbs_[i];
            for (int d = 8; d >= 0; --d, limb /= 10)
                part[d] = char('0' + limb % 10);
            text.append(part, 9);
        }
        return text.substr(text.find_first_not_of('0'));
    }

private:
    static constexpr uint32_t kBase = 1000000000;
    std::vector<uint32_t> limbs_;
};

// Multiplies by base^count in steps that keep every product inside 64 bits.
void MultiplyByPower(TBigDecimal& number, uint32_t base, int count) {
    const uint32_t step = base == 2 ? (1u << 16) : 390625; // 2^16, 5^8
    const int stepExponent = base == 2 ? 16 : 8;
    for (; count >= stepExponent; count -= stepExponent)
        number.MultiplyBy(step);
    for (; count > 0; --count)
        number.MultiplyBy(base);
}

} // namespace

std::string DecimalDigits(double value, int maxDigits, int& exponent) {
    value = std::fabs(value);
    if (value == 0) {
        exponent = 0;
        return "0";
    }
    // value = mantissa * 2^binary exactly, with an integer mantissa.
    int binary = 0;
    double fraction = std::frexp(value, &binary);
    uint64_t mantissa = uint64_t(std::ldexp(fraction, 53));
    binary -= 53;

    TBigDecimal number(mantissa);
    int shift = 0; // value = number * 10^-shift
    if (binary >= 0) {
        MultiplyByPower(number, 2, binary);
    } else {
        MultiplyByPower(number, 5, -binary);
        shift = -binary;
    }
    std::string digits = number.ToString();
    exponent = int(digits.size()) - 1 - shift;

    if (int(digits.size()) > maxDigits) {
        size_t keep = size_t(maxDigits);
        char next = digits[keep];
        bool restNonZero = digits.find_first_not_of('0', keep + 1) != std::string::npos;
        bool roundUp =
            next > '5' || (next == '5' && (restNonZero || (digits[keep - 1] - '0') % 2 == 1));
        digits.resize(keep);
        for (size_t i = keep; roundUp && i-- > 0;) {
            roundUp = digits[i] == '9';
            digits[i] = roundUp ? '0' : char(digits[i] + 1);
        }
        if (roundUp) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    return digits;
}

} // namespace velk
