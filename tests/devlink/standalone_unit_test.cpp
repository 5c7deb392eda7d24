// The read and write chains through the real serial code, against the standalone simulated
// unit on a pseudo-terminal in real time.
#include "fenlo.h"
#include "fenlo_host.h"
#include "loader_unit.h"
#include "standalone_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace unitsim;

namespace {

void quietBox(const char*, const char*, unsigned) {}

using Image = unsigned char[2][128];

TEST(StandaloneUnit, ReadAndWriteChainsOverAPseudoTerminal)
{
    const std::filesystem::path memory =
        std::filesystem::temp_directory_path() / ("velko-unitsim-" + std::to_string(getpid()) + ".bin");
    std::filesystem::remove(memory);
    StandaloneUnit standalone(VELKO_UNITSIM, {"--unit", "tx", "--memory", memory.string()});
    ASSERT_FALSE(standalone.slave().empty());
    FenloSetMessageBox(quietBox);
    ASSERT_STREQ(OpenCom(standalone.slave().c_str()), standalone.slave().c_str());

    const LoaderUnit preset = LoaderUnit::transmitter();
    const auto& pw = LoaderUnit::TransmitterVectors;
    Image image{};
    EXPECT_EQ(GetICData(pw.data()), 0x20);
    EXPECT_TRUE(LoadSegmentA(image, pw.data()));
    EXPECT_TRUE(LoadSegmentB(image, pw.data()));
    EXPECT_EQ(Bytes(image[1], image[1] + 128), preset.bytes(map::SegmentA, 128));
    EXPECT_EQ(Bytes(image[0], image[0] + 128), preset.bytes(map::SegmentB, 128));

    Image written;
    for (std::size_t k = 0; k < 128; ++k) {
        written[0][k] = static_cast<unsigned char>(k);
        written[1][k] = static_cast<unsigned char>(0xFF - k);
    }
    EXPECT_NE(GetICData(pw.data()), 0);
    EXPECT_TRUE(EraseSegmentA(pw.data()));
    EXPECT_TRUE(EraseSegmentB(pw.data()));
    EXPECT_TRUE(WriteSegmentA(written, pw.data()));
    EXPECT_TRUE(WriteSegmentB(written, pw.data()));
    ExitCom();
    FenloSetMessageBox(nullptr);

    ASSERT_EQ(standalone.stop(), 0);
    std::ifstream in(memory, std::ios::binary);
    const Bytes saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(saved.size(), 0x10000u);
    EXPECT_EQ(Bytes(saved.begin() + map::SegmentA, saved.begin() + map::SegmentA + 128),
              Bytes(written[1], written[1] + 128));
    EXPECT_EQ(Bytes(saved.begin() + map::SegmentB, saved.begin() + map::SegmentB + 128),
              Bytes(written[0], written[0] + 128));
    std::filesystem::remove(memory);
}

} // namespace
