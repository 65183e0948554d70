#include "setup/PackageTrailer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace velk {
namespace {

std::string Trailer(uint32_t packageSize, uint32_t presetup, uint32_t files,
                    const char* marker = PackageTrailerMarker) {
    uint8_t bytes[PackageTrailerSize];
    EncodePackageTrailer({packageSize, presetup, files}, bytes);
    std::memcpy(bytes + 12, marker, 6);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

// A package built the way the builder builds it: image, cabinet stand-in, trailer recording the
// whole size.
std::string Package(const std::string& body, uint32_t presetup = 1000, uint32_t files = 2000) {
    return body + Trailer(uint32_t(body.size() + PackageTrailerSize), presetup, files);
}

TTrailerSearch Search(const std::string& file) {
    return FindPackageTrailer(file.size(), [&](uint64_t offset, uint8_t* buffer, size_t size) {
        if (offset > file.size() || size > file.size() - offset)
            return false;
        std::memcpy(buffer, file.data() + offset, size);
        return true;
    });
}

TEST(PackageTrailer, EncodesThreeLittleEndianSizesAndTheMarker) {
    uint8_t bytes[PackageTrailerSize];
    EncodePackageTrailer({0x01020304, 0xA0B0C0D0, 7}, bytes);
    const uint8_t expected[PackageTrailerSize] = {4, 3, 2, 1,   0xD0, 0xC0, 0xB0, 0xA0, 7,
                                                  0, 0, 0, 'V', 'K',  'P',  'E',  'N',  'D'};
    EXPECT_EQ(0, std::memcmp(expected, bytes, sizeof(bytes)));
    TPackageTrailer decoded;
    ASSERT_TRUE(DecodePackageTrailer(bytes, decoded));
    EXPECT_EQ(0x01020304u, decoded.PackageSize);
    EXPECT_EQ(0xA0B0C0D0u, decoded.PresetupSize);
    EXPECT_EQ(7u, decoded.FilesSize);
    for (const char* marker : {"vkpend", "VKPENd", "VKPEN ", "XKPEND"}) {
        std::memcpy(bytes + 12, marker, 6);
        EXPECT_FALSE(DecodePackageTrailer(bytes, decoded)) << marker;
    }
}

TEST(PackageTrailer, APackageAsBuiltPassesWithItsSizes) {
    const std::string file = Package(std::string(300000, 'x'), 123, 456);
    const TTrailerSearch r = Search(file);
    EXPECT_TRUE(r.Found);
    EXPECT_TRUE(r.SizeMatches);
    EXPECT_EQ(0u, r.Appended);
    EXPECT_EQ(file.size(), r.Trailer.PackageSize);
    EXPECT_EQ(123u, r.Trailer.PresetupSize);
    EXPECT_EQ(456u, r.Trailer.FilesSize);

    const TTrailerSearch bare = Search(Package(""));
    EXPECT_TRUE(bare.SizeMatches) << "a file of the trailer alone";
}

TEST(PackageTrailer, BytesAppendedAfterTheTrailerAreCountedUpToTheSearchWindow) {
    const std::string package = Package(std::string(100000, 'p'));
    // 65530 appended bytes leave the marker at the very start of the window, with the sizes in
    // front of the window.
    for (size_t appended : {size_t(1), size_t(5000), TrailerSearchSize - 18, size_t(65530)}) {
        const TTrailerSearch r = Search(package + std::string(appended, 'a'));
        EXPECT_TRUE(r.Found) << appended;
        EXPECT_TRUE(r.SizeMatches) << appended;
        EXPECT_EQ(appended, r.Appended);
        EXPECT_EQ(1000u, r.Trailer.PresetupSize);
    }
    EXPECT_FALSE(Search(package + std::string(65531, 'a')).Found);
    // A signature that happens to hold the marker comes after the real trailer.
    const TTrailerSearch signed_ = Search(package + "sig VKPEND sig");
    EXPECT_TRUE(signed_.SizeMatches);
    EXPECT_EQ(14u, signed_.Appended);
}

TEST(PackageTrailer, WrongSizeLowerCaseMarkerAndShortFilesFail) {
    const std::string body(5000, 'b');
    const std::string good = Package(body);
    const TTrailerSearch shorter = Search(good.substr(0, 100) + good.substr(101));
    EXPECT_TRUE(shorter.Found);
    EXPECT_FALSE(shorter.SizeMatches);
    const TTrailerSearch longer = Search("x" + good);
    EXPECT_TRUE(longer.Found);
    EXPECT_FALSE(longer.SizeMatches);
    EXPECT_EQ(good.size(), longer.Trailer.PackageSize);

    const std::string lower = body + Trailer(uint32_t(body.size() + 18), 1, 2, "vkpend");
    EXPECT_FALSE(Search(lower).Found);
    EXPECT_FALSE(Search(lower).SizeMatches);

    // Shorter than a trailer: even the marker with the right size field in front is no trailer.
    std::string tiny = Trailer(17, 0, 0).substr(1);
    EXPECT_FALSE(Search(tiny).Found);
    EXPECT_FALSE(Search("").Found);
    EXPECT_FALSE(Search("VKPEND").Found);

    // Without a marker the last 18 bytes are not taken for a trailer, whatever they hold.
    std::string noMarker = body + Trailer(uint32_t(body.size() + 18), 0, 0, "NOMARK");
    EXPECT_FALSE(Search(noMarker).SizeMatches);
}

TEST(PackageTrailer, MarkerBytesInsidePackageDataDoNotHideTheTrailer) {
    std::string body(70000, 'c');
    body.replace(body.size() - 3000, 6, "VKPEND");
    body.replace(body.size() - 2000, 18, Trailer(1, 2, 3));
    const TTrailerSearch r = Search(Package(body, 11, 22));
    EXPECT_TRUE(r.SizeMatches);
    EXPECT_EQ(0u, r.Appended);
    EXPECT_EQ(11u, r.Trailer.PresetupSize);

    // Only a stray marker: reported as found, with the size check failing.
    const TTrailerSearch stray = Search(body);
    EXPECT_TRUE(stray.Found);
    EXPECT_FALSE(stray.SizeMatches);
    EXPECT_EQ(2999u - 5, stray.Appended);
}

TEST(PackageTrailer, UnreadableAndHugeFilesFailCleanly) {
    const auto failing = [](uint64_t, uint8_t*, size_t) { return false; };
    EXPECT_FALSE(FindPackageTrailer(1000000, failing).Found);

    // Beyond 4 GB no 32-bit size can match, and nothing wraps around.
    const uint64_t size = 5ull << 30;
    const std::string tail = Trailer(uint32_t(size), 0, 0);
    const TTrailerSearch r =
        FindPackageTrailer(size, [&](uint64_t offset, uint8_t* buffer, size_t n) {
            for (size_t i = 0; i < n; ++i) {
                uint64_t at = offset + i;
                buffer[i] = at >= size - 18 ? uint8_t(tail[size_t(at - (size - 18))]) : 0;
            }
            return true;
        });
    EXPECT_TRUE(r.Found);
    EXPECT_FALSE(r.SizeMatches);
}

TEST(PackageTrailer, CabinetStartIsTheFirstSignatureBefore262128) {
    const std::string sig("MSCF\0\0\0\0", 8);
    auto find = [](const std::string& head) {
        return FindCabinetStart(reinterpret_cast<const uint8_t*>(head.data()), head.size());
    };
    EXPECT_EQ(0, find(sig + "rest"));
    EXPECT_EQ(-1, find(""));
    EXPECT_EQ(-1, find(sig.substr(0, 7)));
    // "MSCF" followed by anything but four zero bytes is skipped.
    EXPECT_EQ(20, find(std::string("MSCF\0\0\0\1MSCF", 12) + std::string(8, 'x') + sig + sig));
    std::string head(CabinetSearchBytes, 'i');
    EXPECT_EQ(-1, find(head));
    head.replace(CabinetSearchLimit - 1, 8, sig);
    EXPECT_EQ(int64_t(CabinetSearchLimit - 1), find(head));
    head.assign(CabinetSearchBytes + 100, 'i');
    head.replace(CabinetSearchLimit, 8, sig);
    EXPECT_EQ(-1, find(head)) << "begins at the limit";
}

} // namespace
} // namespace velk
