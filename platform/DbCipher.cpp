#include "platform/DbCipher.h"

#include "platform/Gost.h"
#include "platform/Haval.h"
#include "platform/StrUtils.h"

#include <cstring>

namespace velk {

const char DatabaseKeyPrefix[] = "VelkKey.db";
static_assert(sizeof(DatabaseKeyPrefix) == 11, "the key prefix has 10 characters");

namespace {

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    // Proleptic Gregorian calendar, counted from 1 March of year 0.
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = unsigned(y - era * 400);
    unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe);
}

std::string Transform(std::string_view in, int32_t daySerial, bool encipher) {
    const auto key = DatabaseKey(daySerial);
    const TGost gost(key.data());
    const unsigned n = TGost::BlockSize;
    uint8_t chain[n];
    std::memset(chain, 0xFF, n);
    gost.EncryptBlock(chain, chain);

    std::string out(in.size(), '\0');
    const uint8_t* src = reinterpret_cast<const uint8_t*>(in.data());
    uint8_t* dst = reinterpret_cast<uint8_t*>(&out[0]);
    size_t whole = in.size() - in.size() % n;
    uint8_t block[n];
    for (size_t i = 0; i < whole; i += n) {
        if (encipher) {
            for (unsigned k = 0; k < n; ++k)
                block[k] = src[i + k] ^ chain[k];
            gost.EncryptBlock(block, dst + i);
            std::memcpy(chain, dst + i, n);
        } else {
            gost.DecryptBlock(src + i, block);
            for (unsigned k = 0; k < n; ++k)
                dst[i + k] = block[k] ^ chain[k];
            std::memcpy(chain, src + i, n);
        }
    }
    if (whole < in.size()) {
        gost.EncryptBlock(chain, block);
        for (size_t i = whole; i < in.size(); ++i)
            dst[i] = src[i] ^ block[i - whole];
    }
    return out;
}

} // namespace

bool DateToDaySerial(int year, int month, int day, int32_t& serial) {
    static const uint8_t MonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    int days = MonthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    if (day > days)
        return false;
    serial =
        int32_t(DaysFromCivil(year, unsigned(month), unsigned(day)) - DaysFromCivil(1899, 12, 30));
    return true;
}

std::string DatabaseKeyText(int32_t daySerial) {
    return std::string(DatabaseKeyPrefix) + IntToStr(daySerial);
}

std::array<uint8_t, 32> DatabaseKey(int32_t daySerial) {
    return THaval::Hash(DatabaseKeyText(daySerial));
}

std::string DecipherBytes(std::string_view cipherText, int32_t daySerial) {
    return Transform(cipherText, daySerial, false);
}

std::string EncipherBytes(std::string_view plainText, int32_t daySerial) {
    return Transform(plainText, daySerial, true);
}

} // namespace velk
