#include "platform/epFileUtils.h"

namespace velk {

std::string IncludeTrailingBackslash(std::string_view path) {
    std::string r(path);
    if (!r.empty() && r.back() != '\\')
        r += '\\';
    return r;
}

std::string ExcludeTrailingBackslashFor(std::string_view path, bool (*isLeadByte)(char)) {
    // Walk the characters from the start: only there do lead and trail bytes pair up.
    size_t last = 0;
    for (size_t i = 0; i < path.size();) {
        last = i;
        i += (isLeadByte(path[i]) && i + 1 < path.size()) ? 2 : 1;
    }
    if (!path.empty() && last == path.size() - 1 && path[last] == '\\')
        path.remove_suffix(1);
    return std::string(path);
}

std::string ExcludeTrailingBackslash(std::string_view path) {
    return ExcludeTrailingBackslashFor(path, IsLeadByte);
}

// Position of the last single-byte character out of delimiters, or npos.
static size_t LastDelimiter(std::string_view path, std::string_view delimiters) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < path.size();) {
        if (IsLeadByte(path[i]) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (delimiters.find(path[i]) != std::string_view::npos)
            found = i;
        ++i;
    }
    return found;
}

std::string ExtractFilePath(std::string_view fileName) {
    size_t i = LastDelimiter(fileName, "\\:");
    return i == std::string_view::npos ? std::string() : std::string(fileName.substr(0, i + 1));
}

std::string ExtractFileDrive(std::string_view fileName) {
    if (fileName.size() >= 2 && fileName[1] == ':')
        return std::string(fileName.substr(0, 2));
    if (fileName.substr(0, 2) != "\\\\")
        return {};
    size_t server = fileName.find('\\', 2);
    if (server == std::string_view::npos || server == 2)
        return {};
    size_t share = fileName.find('\\', server + 1);
    return std::string(fileName.substr(0, share));
}

std::string ExtractFileName(std::string_view fileName) {
    size_t i = LastDelimiter(fileName, "\\:");
    return std::string(i == std::string_view::npos ? fileName : fileName.substr(i + 1));
}

std::string ExtractFileExt(std::string_view fileName) {
    size_t i = LastDelimiter(fileName, ".\\:");
    return i != std::string_view::npos && fileName[i] == '.' ? std::string(fileName.substr(i))
                                                             : std::string();
}

std::string WithoutExtension(std::string_view fileName) {
    return std::string(fileName.substr(0, fileName.size() - ExtractFileExt(fileName).size()));
}

static bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

static int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 30 December 1899 to the given day of the proleptic Gregorian calendar.
static long DaysSinceEpoch(int year, int month, int day) {
    int y = year - (month <= 2 ? 1 : 0);
    long era = (y >= 0 ? y : y - 399) / 400;
    long yearOfEra = y - era * 400;
    long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + 25569;
}

TDateTime FileDateToDateTime(int32_t dosDateTime) {
    uint32_t v = static_cast<uint32_t>(dosDateTime);
    int year = 1980 + int(v >> 25);
    int month = int((v >> 21) & 15);
    int day = int((v >> 16) & 31);
    int hour = int((v >> 11) & 31);
    int minute = int((v >> 5) & 63);
    int second = int(v & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return 0;
    return double(DaysSinceEpoch(year, month, day)) +
           double(hour * 3600 + minute * 60 + second) / 86400.0;
}

static std::string Base32(long value, size_t width) {
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    std::string r;
    do {
        r.insert(r.begin(), digits[value % 32]);
        value /= 32;
    } while (value > 0);
    if (r.size() < width)
        r.insert(0, width - r.size(), '0');
    return r;
}

std::string UniqueNameStamp(const TLocalTime& time) {
    int yearInCycle = time.Year % 10;
    long day = long(yearInCycle) * 365 + yearInCycle / 4 + time.Day;
    for (int month = 1; month < time.Month && month <= 12; ++month)
        day += DaysInMonth(time.Year, month);
    long hundredths = long(time.Hour) * 360000 + long(time.Minute) * 6000 +
                      long(time.Second) * 100 + time.Milliseconds / 10;
    return Base32(day, 3) + Base32(hundredths, 5);
}

std::string UniqueNameCandidate(const TLocalTime& time, std::string_view prefix,
                                std::string_view ext, bool shortName) {
    std::string stamp = UniqueNameStamp(time);
    if (shortName) {
        prefix = prefix.substr(0, 4);
        stamp.erase(0, prefix.size());
    }
    return std::string(prefix) + stamp + std::string(ext);
}

std::string ReadFileToString(const std::string& fileName) {
    TFileHandleOwner file(OpenFileHandle(fileName, FileAccessRead, FileShareRead,
                                         FileAttributeNormal, FileOpenExisting));
    if (!file.IsOpen())
        return {};
    int64_t size = FileHandleSize(file.Get());
    if (size <= 0 || size > INT32_MAX)
        return {};
    std::string data(size_t(size), '\0');
    size_t done = 0;
    while (done < data.size()) {
        int32_t n = ReadFileHandle(file.Get(), &data[done], uint32_t(data.size() - done));
        if (n <= 0)
            return {};
        done += size_t(n);
    }
    return data;
}

} // namespace velk
