// CopyFileWithProgress against the system's CopyFileA on one large file, in the same run.
//   copy_bench [FOLDER] [MEGABYTES] [ROUNDS]
// The file (256 MB by default) is written into FOLDER (the temporary folder by default) and read
// once so both copies find it cached; every round runs both copies, each copy's median round
// counts, and the ratio is ours over the system's (goal: 1.1 or less).

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

bool WriteSource(const std::string& name, int megabytes) {
    HANDLE file = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> block(1 << 20);
    bool ok = true;
    for (int i = 0; i < megabytes && ok; ++i) {
        for (size_t j = 0; j < block.size(); ++j)
            block[j] = char((j * 31 + size_t(i) * 7) ^ (j >> 9));
        DWORD written = 0;
        ok = ::WriteFile(file, block.data(), DWORD(block.size()), &written, nullptr) &&
             written == block.size();
    }
    ::CloseHandle(file);
    return ok;
}

// Reads the whole file: to warm the cache, and to compare copies.
bool SameContents(const std::string& a, const std::string& b) {
    HANDLE fa =
        ::CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE fb =
        ::CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool same = fa != INVALID_HANDLE_VALUE && fb != INVALID_HANDLE_VALUE;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (same) {
        DWORD na = 0, nb = 0;
        same = ::ReadFile(fa, ba.data(), DWORD(ba.size()), &na, nullptr) &&
               ::ReadFile(fb, bb.data(), DWORD(bb.size()), &nb, nullptr) && na == nb &&
               std::equal(ba.begin(), ba.begin() + na, bb.begin());
        if (na == 0)
            break;
    }
    if (fa != INVALID_HANDLE_VALUE)
        ::CloseHandle(fa);
    if (fb != INVALID_HANDLE_VALUE)
        ::CloseHandle(fb);
    return same;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = velk::IncludeTrailingBackslash(argc > 1 ? argv[1] : velk::GetTempFolder());
    int megabytes = argc > 2 ? velk::StrToIntDef(argv[2], 256) : 256;
    int rounds = argc > 3 ? velk::StrToIntDef(argv[3], 9) : 9;
    std::string source = folder + "velk-copy-source.bin";
    std::string bySystem = folder + "velk-copy-system.bin";
    std::string byUs = folder + "velk-copy-ours.bin";
    if (!WriteSource(source, megabytes)) {
        std::fprintf(stderr, "copy_bench: cannot write %s\n", source.c_str());
        return 1;
    }
    SameContents(source, source);
    int blocks = 0;
    auto progress = [&](const std::string&, const std::string&, int32_t, int64_t, int64_t) {
        ++blocks;
        return true;
    };
    // Each round runs both copies, taking turns at going first, so that the system's writing back
    // of the previous round's data burdens both alike.
    std::vector<double> times[2];
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        for (int turn = 0; turn < 2 && ok; ++turn) {
            int which = (round + turn) % 2;
            const std::string& target = which == 0 ? bySystem : byUs;
            ::DeleteFileA(target.c_str());
            double start = Seconds();
            ok = which == 0 ? ::CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE
                            : velk::CopyFileWithProgress(source, target, progress, false);
            times[which].push_back(Seconds() - start);
        }
    }
    double median[2];
    for (int which = 0; which < 2; ++which) {
        std::sort(times[which].begin(), times[which].end());
        median[which] = times[which].empty() ? 0 : times[which][times[which].size() / 2];
    }
    ok = ok && SameContents(source, byUs) && SameContents(source, bySystem);
    for (const std::string& name : {source, bySystem, byUs})
        ::DeleteFileA(name.c_str());
    if (!ok) {
        std::fprintf(stderr, "copy_bench: a copy failed or differs\n");
        return 1;
    }
    double mb = double(megabytes);
    std::printf("copy_bench: %d MB, median of %d rounds, %d progress calls per copy\n", megabytes,
                rounds, blocks / rounds);
    std::printf("copy_bench: CopyFileA             %8.3f s  %7.1f MB/s\n", median[0],
                mb / median[0]);
    std::printf("copy_bench: CopyFileWithProgress  %8.3f s  %7.1f MB/s\n", median[1],
                mb / median[1]);
    std::printf("copy_bench: ratio %.3f (goal 1.1 or less)\n", median[1] / median[0]);
    return 0;
}
