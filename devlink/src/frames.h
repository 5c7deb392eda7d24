// The loader's frames as the library sends them.
//
// A frame: 0x80, command, L1, L2 (= L1), address low/high, length or key low/high,
// data, then the check bytes: NOT of the XOR of the even-numbered bytes, then of the
// odd-numbered ones. Frames with ready check bytes are sent as they stand; the others
// get theirs from CheckSum before each send.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace fenlo::frames {

using Byte = std::uint8_t;

inline constexpr Byte Header = 0x80;
inline constexpr Byte Sync = 0x80;
inline constexpr Byte Ack = 0x90;
inline constexpr Byte DataReply = 0x80;

namespace cmd {
inline constexpr Byte Password = 0x10;
inline constexpr Byte Write = 0x12;
inline constexpr Byte Read = 0x14;
inline constexpr Byte EraseSegment = 0x16;
inline constexpr Byte MassErase = 0x18;
inline constexpr Byte LoadPc = 0x1A;
inline constexpr Byte Version = 0x1E;
} // namespace cmd

inline constexpr std::uint16_t SegmentA = 0x1080;
inline constexpr std::uint16_t SegmentB = 0x1000;
inline constexpr std::uint16_t PatchAddress = 0x0220;
inline constexpr std::uint16_t LoaderStart = 0x0C22;

inline constexpr std::size_t CommandLength = 10;
inline constexpr std::size_t PasswordLength = 42;
inline constexpr std::size_t RecordLength = 138;
inline constexpr std::size_t PatchLength = 204;
inline constexpr std::size_t ReadReplyLength = 134;
inline constexpr std::size_t VersionReplyLength = 21;
inline constexpr std::size_t BlockBytes = 128;
inline constexpr std::size_t PasswordBytes = 32;
inline constexpr std::size_t PatchBytes = 194;
// Where a reply's data begin, behind 0x80 and three more bytes.
inline constexpr std::size_t ReplyDataOffset = 4;
// Where a frame's data begin.
inline constexpr std::size_t FrameDataOffset = 8;

template <std::size_t N>
using Frame = std::array<Byte, N>;
using CommandFrame = Frame<CommandLength>;

constexpr Byte lo(std::uint16_t v) { return static_cast<Byte>(v & 0xFF); }
constexpr Byte hi(std::uint16_t v) { return static_cast<Byte>(v >> 8); }

// The check bytes over everything before the last two bytes, which count as 0x00.
template <std::size_t N>
constexpr Frame<N> withCheckBytes(Frame<N> f)
{
    Byte even = 0, odd = 0;
    for (std::size_t i = 0; i + 2 < N; ++i)
        (i % 2 == 0 ? even : odd) ^= f[i];
    f[N - 2] = static_cast<Byte>(~even);
    f[N - 1] = static_cast<Byte>(~odd);
    return f;
}

// A frame without data for `command` at `address` with `len` (or key) and zero check bytes.
constexpr CommandFrame commandFrame(Byte command, std::uint16_t address, std::uint16_t len)
{
    return {Header, command, 0x04, 0x04, lo(address), hi(address), lo(len), hi(len), 0x00, 0x00};
}

// Frames with ready check bytes.
inline constexpr CommandFrame MassEraseFrame = {0x80, 0x18, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE3};
inline constexpr CommandFrame EraseSegmentAFrame = {0x80, 0x16, 0x04, 0x04, 0x80, 0x10, 0x02, 0xA5, 0xF9, 0x58};
inline constexpr CommandFrame EraseSegmentBFrame = {0x80, 0x16, 0x04, 0x04, 0x00, 0x10, 0x02, 0xA5, 0x79, 0x58};
inline constexpr CommandFrame LoadPcC22Frame = {0x80, 0x1A, 0x04, 0x04, 0x22, 0x0C, 0x00, 0x00, 0x59, 0xED};
inline constexpr CommandFrame LoadPc220Frame = {0x80, 0x1A, 0x04, 0x04, 0x20, 0x02, 0x00, 0x00, 0x5B, 0xE3};
inline constexpr CommandFrame ReadSegmentAFrame = {0x80, 0x14, 0x04, 0x04, 0x80, 0x10, 0x80, 0x00, 0x7B, 0xFF};
inline constexpr CommandFrame ReadSegmentBFrame = {0x80, 0x14, 0x04, 0x04, 0x00, 0x10, 0x80, 0x00, 0xFB, 0xFF};
inline constexpr CommandFrame ReadVersionBytesFrame = {0x80, 0x14, 0x04, 0x04, 0xF0, 0x0F, 0x0F, 0x00, 0x84, 0xE0};
inline constexpr CommandFrame LoaderVersionFrame = {0x80, 0x1E, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE5};

// The password of an erased unit: its vector table reads all 0xFF.
inline constexpr Frame<PasswordLength> BlankPasswordFrame = [] {
    Frame<PasswordLength> f{};
    f.fill(0xFF);
    f[0] = 0x80;
    f[1] = 0x10;
    f[2] = 0x24;
    f[3] = 0x24;
    return withCheckBytes(f);
}();
static_assert(BlankPasswordFrame[40] == 0x5B && BlankPasswordFrame[41] == 0xCB);

// Bytes 0 to 7 of the frames whose check bytes are computed before each send.
using FrameHead = std::array<Byte, FrameDataOffset>;
inline constexpr FrameHead PasswordHead = {0x80, 0x10, 0x24, 0x24, 0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr FrameHead PatchHead = {0x80, 0x12, 0xC6, 0xC6, 0x20, 0x02, 0xC2, 0x00};
inline constexpr FrameHead OldPasswordHead = {0x80, 0x12, 0x2A, 0x2A, 0xE0, 0xFF, 0x20, 0x00};
inline constexpr FrameHead WriteSegmentAHead = {0x80, 0x12, 0x8A, 0x8A, 0x80, 0x10, 0x80, 0x00};
inline constexpr FrameHead WriteSegmentBHead = {0x80, 0x12, 0x8A, 0x8A, 0x00, 0x10, 0x80, 0x00};

constexpr CommandFrame readBlockFrame(std::uint16_t address) { return commandFrame(cmd::Read, address, 0x0080); }
constexpr CommandFrame eraseSegmentFrame(std::uint16_t address)
{
    return commandFrame(cmd::EraseSegment, address, 0xA502);
}

// The patch program, loaded to RAM at 0x0220 and started there, with its frame.
extern const Frame<PatchLength> PatchFrame;

} // namespace fenlo::frames
