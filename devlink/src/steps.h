// The small steps every loader exchange is made of.
#pragma once

#include "fenlo.h"
#include "frames.h"
#include "state.h"

#include <cstring>

namespace fenlo::steps {

inline bool acknowledged() { return RxBuffer[0] == frames::Ack; }

// An answer that came and is no acknowledge. Silence is not a refusal: a unit still busy
// with its flash answers after the wait, and its confirmation tells.
inline bool refused() { return RxBuffer[0] != 0 && RxBuffer[0] != frames::Ack; }

template <std::size_t N>
bool send(const frames::Frame<N>& frame)
{
    static_assert(N <= 255, "TxFenlo sends at most 255 bytes");
    return TxFenlo(frame.data(), static_cast<unsigned char>(N));
}

// A read reply counts only when all of it came and its check bytes hold: a reply cut short
// or garbled would otherwise hand zeros or noise to the caller as the unit's memory.
inline bool completeReadReply()
{
    if (RxTaken != frames::ReadReplyLength || RxBuffer[0] != frames::DataReply)
        return false;
    frames::Frame<frames::ReadReplyLength> reply{};
    std::memcpy(reply.data(), RxBuffer, reply.size() - 2);
    reply = frames::withCheckBytes(reply);
    return reply[reply.size() - 2] == RxBuffer[reply.size() - 2]
        && reply[reply.size() - 1] == RxBuffer[reply.size() - 1];
}

inline const unsigned char* replyData() { return RxBuffer + frames::ReplyDataOffset; }

// A data record for the block at `at`, from a read reply: a write frame, check bytes 0x00.
inline void recordFromReply(unsigned char* record, std::uint16_t at)
{
    const frames::FrameHead head = {0x80, 0x12, 0x8A, 0x8A, frames::lo(at), frames::hi(at), 0x80, 0x00};
    std::memcpy(record, head.data(), head.size());
    std::memcpy(record + frames::FrameDataOffset, replyData(), frames::BlockBytes);
    record[frames::RecordLength - 2] = 0x00;
    record[frames::RecordLength - 1] = 0x00;
}

// A read-block frame for `at` with its check bytes.
inline frames::CommandFrame readBlock(std::uint16_t at)
{
    frames::CommandFrame frame = frames::readBlockFrame(at);
    CheckSum(frame.data(), static_cast<int>(frame.size()));
    return frame;
}

// The low 16 bits of an address argument.
inline std::uint16_t deviceAddress(int address)
{
    return static_cast<std::uint16_t>(static_cast<unsigned>(address) & 0xFFFFu);
}

// The sync byte behind a command, and the loader's answer to it.
inline bool confirm(unsigned int timeoutMs)
{
    FenloRespond();
    WaitRx(timeoutMs, 1);
    return acknowledged();
}

// A frame whose answer must be the acknowledge, then the confirmation (not judged).
template <std::size_t N>
bool command(const frames::Frame<N>& frame, unsigned int answerMs, unsigned int confirmMs)
{
    send(frame);
    WaitRx(answerMs, 1);
    if (!acknowledged())
        return false;
    confirm(confirmMs);
    return true;
}

// A frame of `N` bytes with `head`, `data` behind it and its check bytes computed.
template <std::size_t N>
frames::Frame<N> dataFrame(const frames::FrameHead& head, const unsigned char* data)
{
    frames::Frame<N> f{};
    for (std::size_t i = 0; i < head.size(); ++i)
        f[i] = head[i];
    for (std::size_t i = 0; i + frames::FrameDataOffset + 2 < N; ++i)
        f[frames::FrameDataOffset + i] = data[i];
    CheckSum(f.data(), static_cast<int>(N));
    return f;
}

// Handshake, a password, the loader restarted, the same password again and the patch in
// RAM: what the older loaders need before they read or write the information memory.
template <typename Present>
bool loadPatch(Present present)
{
    return Handshake() && present() && LoadPCC22() && present() && WritePatchFile();
}

inline bool loadPatch(const unsigned char* password)
{
    return loadPatch([password] { return WritePassword(password); });
}

} // namespace fenlo::steps
