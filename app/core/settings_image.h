// The settings image of a unit: both information segments as byte rows, the relay tables
// that mirror parts of them, and the value tables the pages share.
#pragma once

#include <array>
#include <cstdint>

namespace velko {

inline constexpr int SegmentBytes = 128;
using SegmentRow = std::array<std::uint8_t, SegmentBytes>;
// Row 0 is Segment B (device 0x1000), row 1 Segment A (device 0x1080): the order the
// device link takes and gives whole images in.
using SegmentImage = std::array<SegmentRow, 2>;
inline constexpr int SegmentBRow = 0;
inline constexpr int SegmentARow = 1;

inline std::uint8_t& SegA(SegmentImage& image, int k) { return image[SegmentARow][k]; }
inline std::uint8_t& SegB(SegmentImage& image, int k) { return image[SegmentBRow][k]; }
inline std::uint8_t SegA(const SegmentImage& image, int k) { return image[SegmentARow][k]; }
inline std::uint8_t SegB(const SegmentImage& image, int k) { return image[SegmentBRow][k]; }

// 16-bit values of the segments are little-endian.
inline void PutWord(SegmentRow& row, int k, std::uint16_t value)
{
    row[k] = static_cast<std::uint8_t>(value & 0xFF);
    row[k + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline std::uint16_t GetWord(const SegmentRow& row, int k)
{
    return static_cast<std::uint16_t>(row[k] | (row[k + 1] << 8));
}

// The image as read, the working image the pages edit, the as-read copy the pages load.
struct DeviceImageRows {
    SegmentImage ReadImage{};
    SegmentImage EditImage{};
    SegmentImage BaselineImage{};
};
extern DeviceImageRows DeviceImage;
inline SegmentImage& ReadImage = DeviceImage.ReadImage;
inline SegmentImage& EditImage = DeviceImage.EditImage;
inline SegmentImage& BaselineImage = DeviceImage.BaselineImage;

inline constexpr int PasswordBytes = 32;
inline constexpr int RecordBytes = 138;
extern std::array<std::uint8_t, PasswordBytes> DevicePassword;
// The program-memory block 0xFF60..0xFFDF as a loader write record: data byte d at 8 + d.
extern std::array<std::uint8_t, RecordBytes> VectorData;

// Axis groups, in the order the relay tables keep them.
enum AxisGroup { UD = 0, LR = 1, EW = 2, SN = 3 };
inline constexpr int AxisGroups = 4;

// k of the RelayPositionMask for each lever position (grid column 1..11) of each group;
// column 0 is the grid's fixed column and has none.
inline constexpr int RelayPositionK[AxisGroups][12] = {
    {-1, 10, 9, 8, 7, 6, 16, 0, 1, 2, 3, 4},
    {-1, 15, 14, 13, 12, 11, 5, 17, 18, 19, 20, 21},
    {-1, 26, 25, 24, 23, 22, 27, 28, 29, 30, 31, 32},
    {-1, 43, 42, 41, 40, 39, 38, 33, 34, 35, 36, 37},
};
// Low byte of the mask k is Segment A byte 48 + k, its high byte Segment B byte k.
inline constexpr int RelayMaskLowBase = 48;

// [group][lever position 0..11][relay 0..16]; position 0 and relay 0 are never used.
inline constexpr int RelayPositions = 12;
inline constexpr int RelaysPerPosition = 17;
inline constexpr int RelayGroupSize = RelayPositions * RelaysPerPosition; // 204
inline constexpr int RelayAssignBytes = AxisGroups * RelayGroupSize;      // 816
extern std::array<std::uint8_t, RelayAssignBytes> RelayAssign;
inline constexpr int RelayAssignIndex(int group, int position, int relay)
{
    return group * RelayGroupSize + position * RelaysPerPosition + relay;
}

extern std::int32_t KeyRelayCount;
extern std::int32_t UDRelayNum;
extern std::int32_t LRRelayNum;
extern std::int32_t EWRelayNum;
extern std::int32_t SNRelayNum;
// Indexed by AxisGroup.
extern std::array<bool, AxisGroups> RelayCountDirty;

// Count of an axis group, by AxisGroup.
std::int32_t& AxisRelayNum(int group);

// Delay and time bytes count ticks of this many milliseconds.
inline constexpr int TimeTick = 15;
inline constexpr std::array<std::uint8_t, 8> AccDelayTable = {0, 20, 33, 66, 100, 133, 200, 255};
inline constexpr std::array<std::uint8_t, 8> InchTimeTable = {3, 7, 13, 20, 26, 33, 40, 53};
inline constexpr std::array<std::uint8_t, 10> ARTimeTable = {0, 7, 20, 33, 46, 60, 66, 133, 200, 255};

// Item tables of single lists, shared by their handlers and the loader that inverts them.
// Transmission times of the continuous TxModeFunc items 1-7, in 100 ms.
inline constexpr std::array<std::uint16_t, 7> TxTimeTable = {300, 600, 900, 1200, 1800, 3000, 6000};
inline constexpr std::array<std::uint8_t, 10> PassiveTimeTable = {33, 40, 46, 53, 60, 66, 100, 133, 200, 255};
inline constexpr std::array<std::uint8_t, 20> EMSCountTable = {5,   10,  20,  30,  40,  60,  70,  80,  90,  100,
                                                               110, 120, 130, 140, 150, 160, 170, 180, 190, 200};
// The R0/R1 mutual-inhibit delays: AccDelayTable with 1 for its first 0.
inline constexpr std::array<std::uint8_t, 8> InhibitDelayTable = {1, 20, 33, 66, 100, 133, 200, 255};

// Everything above back to the all-zero state of a fresh start.
void ClearSettingsState();

} // namespace velko
