#include "platform/epFileHandles.h"

#include <algorithm>
#include <iterator>

namespace velk {

int64_t FilePosition(TFileHandle Handle) {
    return SeekFileHandle(Handle, 0, TSeekOrigin::Current);
}

bool AtEndOfFile(TFileHandle Handle) {
    int64_t position = FilePosition(Handle);
    int64_t size = FileHandleSize(Handle);
    return position >= 0 && size >= 0 && position >= size;
}

bool ReadTextLine(TFileHandle Handle, std::string& Line) {
    constexpr int32_t ChunkSize = 100;
    Line.clear();
    bool readAny = false;
    char chunk[ChunkSize];
    for (;;) {
        int32_t count = ReadFileHandle(Handle, chunk, ChunkSize);
        if (count < 0)
            return false;
        if (count == 0)
            return readAny;
        readAny = true;
        const char* begin = chunk;
        const char* end = chunk + count;
        const char* cr = std::find(begin, end, '\r');
        std::remove_copy(begin, cr, std::back_inserter(Line), '\n');
        if (cr != end) {
            int64_t unread = end - (cr + 1);
            return unread == 0 || SeekFileHandle(Handle, -unread, TSeekOrigin::Current) >= 0;
        }
    }
}

bool WriteTextLine(TFileHandle Handle, std::string_view Text) {
    std::string line;
    line.reserve(Text.size() + 2);
    line.append(Text).append("\r\n");
    return WriteFileHandle(Handle, line.data(), static_cast<uint32_t>(line.size()));
}

} // namespace velk
