// Check bytes of every frame, and the Hamming nibble code both ways.
#include "fenlo.h"
#include "frames.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace fenlo::frames;

namespace {

struct StoredFrame {
    const char* name;
    std::vector<Byte> bytes;
};

void PrintTo(const StoredFrame& f, std::ostream* os) { *os << f.name; }

template <std::size_t N>
StoredFrame stored(const char* name, const Frame<N>& f)
{
    return {name, {f.begin(), f.end()}};
}

class StoredCheckBytes : public ::testing::TestWithParam<StoredFrame> {};

} // namespace

TEST_P(StoredCheckBytes, CheckSumReproducesThem)
{
    std::vector<Byte> frame = GetParam().bytes;
    frame[frame.size() - 2] = 0;
    frame[frame.size() - 1] = 0;
    CheckSum(frame.data(), static_cast<int>(frame.size()));
    EXPECT_EQ(frame, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, StoredCheckBytes,
    ::testing::Values(stored("MassErase", MassEraseFrame), stored("EraseSegmentA", EraseSegmentAFrame),
                      stored("EraseSegmentB", EraseSegmentBFrame), stored("LoadPcC22", LoadPcC22Frame),
                      stored("LoadPc220", LoadPc220Frame), stored("ReadSegmentA", ReadSegmentAFrame),
                      stored("ReadSegmentB", ReadSegmentBFrame), stored("ReadVersionBytes", ReadVersionBytesFrame),
                      stored("LoaderVersion", LoaderVersionFrame), stored("BlankPassword", BlankPasswordFrame)),
    [](const auto& p) { return std::string(p.param.name); });

TEST(CheckSum, ReadBlockAtFF60)
{
    std::array<Byte, 10> frame = {0x80, 0x14, 0x04, 0x04, 0x60, 0xFF, 0x80, 0x00, 0x00, 0x00};
    CheckSum(frame.data(), 10);
    EXPECT_EQ(frame[8], 0x9B);
    EXPECT_EQ(frame[9], 0x10);
    EXPECT_EQ(readBlockFrame(0xFF60), (CommandFrame{0x80, 0x14, 0x04, 0x04, 0x60, 0xFF, 0x80, 0x00, 0, 0}));

    CheckSum(frame.data(), 10);
    EXPECT_NE(frame[8], 0x9B) << "a second pass works from the old check bytes";
}

TEST(CheckSum, CoversADataFrameAndLeavesItsBody)
{
    std::vector<Byte> frame(PatchFrame.begin(), PatchFrame.end());
    CheckSum(frame.data(), static_cast<int>(frame.size()));
    EXPECT_TRUE(std::equal(frame.begin(), frame.end() - 2, PatchFrame.begin()));
    const auto expected = withCheckBytes(PatchFrame);
    EXPECT_EQ(frame, std::vector<Byte>(expected.begin(), expected.end()));
    EXPECT_EQ(PatchFrame[PatchLength - 2], 0);
    EXPECT_EQ(PatchFrame[PatchLength - 1], 0);
}

TEST(CheckSum, IgnoresFramesTooShortForCheckBytes)
{
    std::array<Byte, 2> tiny = {0x12, 0x34};
    CheckSum(tiny.data(), 2);
    CheckSum(nullptr, 10);
    EXPECT_EQ(tiny, (std::array<Byte, 2>{0x12, 0x34}));
}

TEST(Hamming, CodeTableBothWays)
{
    constexpr std::array<Byte, 16> table = {0x00, 0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x66, 0x69,
                                            0x96, 0x99, 0xA5, 0xAA, 0xC3, 0xCC, 0xF0, 0xFF};
    for (unsigned k = 0; k < 16; ++k) {
        EXPECT_EQ(DeHamming(static_cast<Byte>(k)), table[k]) << k;
        EXPECT_EQ(ReHamming(table[k]), k) << k;
    }
}

TEST(Hamming, InvalidInputsGiveEE)
{
    for (unsigned b = 16; b < 256; ++b)
        EXPECT_EQ(DeHamming(static_cast<Byte>(b)), 0xEE) << b;
    int codewords = 0;
    for (unsigned b = 0; b < 256; ++b) {
        const Byte nibble = ReHamming(static_cast<Byte>(b));
        if (nibble == 0xEE)
            continue;
        ++codewords;
        EXPECT_EQ(DeHamming(nibble), b) << "only exact codewords decode";
    }
    EXPECT_EQ(codewords, 16);
    EXPECT_EQ(ReHamming(0x0E), 0xEE);
    EXPECT_EQ(ReHamming(0x96), 8);
}
