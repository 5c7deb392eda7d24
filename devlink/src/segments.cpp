// The information segments A and B, and single 128-byte blocks as data records.
#include "fenlo.h"
#include "frames.h"
#include "state.h"
#include "steps.h"

#include <cstring>

using namespace fenlo;

namespace {

constexpr std::size_t RowA = 1;
constexpr std::size_t RowB = 0;

// A read reply counts only when all of it came and its check bytes hold: a reply cut short
// or garbled would otherwise hand zeros or noise to the caller as the unit's memory.
bool completeReadReply()
{
    if (RxTaken != frames::ReadReplyLength || RxBuffer[0] != frames::DataReply)
        return false;
    frames::Frame<frames::ReadReplyLength> reply{};
    std::memcpy(reply.data(), RxBuffer, reply.size() - 2);
    reply = frames::withCheckBytes(reply);
    return reply[reply.size() - 2] == RxBuffer[reply.size() - 2] && reply[reply.size() - 1] == RxBuffer[reply.size() - 1];
}

const unsigned char* replyData() { return RxBuffer + frames::ReplyDataOffset; }

bool erase(const frames::CommandFrame& frame, const unsigned char* password)
{
    if (!Handshake() || !WritePassword(password))
        return false;
    steps::send(frame);
    WaitRx(40, 1);
    // A refused erase would leave the old bits under the write that follows.
    return !steps::refused() && steps::confirm(20);
}

// After the frame the unit writes flash; with the patch the routine in RAM takes longer.
bool writeFrame(const frames::Frame<frames::RecordLength>& frame)
{
    const bool patch = PatchRequired == 1;
    steps::send(frame);
    WaitRx(patch ? 200 : 100, 1);
    // The confirmation alone would report a refused write as written.
    return !steps::refused() && steps::confirm(patch ? 50 : 10);
}

// Reads one segment into its row once the unit is prepared.
bool readSegment(const frames::CommandFrame& frame, unsigned char (*image)[FENLO_SEGMENT_BYTES], std::size_t row)
{
    steps::send(frame);
    Delay(100);
    WaitRx(50, frames::ReadReplyLength);
    if (!completeReadReply())
        return false;
    std::memcpy(image[row], replyData(), frames::BlockBytes);
    steps::confirm(10);
    return true;
}

} // namespace

FENLO_API bool EraseSegmentA(const unsigned char* password) { return erase(frames::EraseSegmentAFrame, password); }

FENLO_API bool EraseSegmentB(const unsigned char* password) { return erase(frames::EraseSegmentBFrame, password); }

FENLO_API bool WriteSegmentA(const unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password)
{
    if (!image)
        return false;
    const auto frame = steps::dataFrame<frames::RecordLength>(frames::WriteSegmentAHead, image[RowA]);
    const bool prepared = PatchRequired == 1 ? steps::loadPatch(password) && LoadPC220() : WritePassword(password);
    return prepared && writeFrame(frame);
}

FENLO_API bool WriteSegmentB(const unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password)
{
    if (!image)
        return false;
    const auto frame = steps::dataFrame<frames::RecordLength>(frames::WriteSegmentBHead, image[RowB]);
    // With the patch, the routine that WriteSegmentA left in RAM serves this write too.
    const bool prepared = PatchRequired == 1 ? LoadPC220() : WritePassword(password);
    return prepared && writeFrame(frame);
}

FENLO_API bool LoadSegmentA(unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password)
{
    if (!image)
        return false;
    const bool prepared =
        PatchRequired == 1 ? steps::loadPatch(password) && LoadPC220() : Handshake() && WritePassword(password);
    return prepared && readSegment(frames::ReadSegmentAFrame, image, RowA);
}

FENLO_API bool LoadSegmentB(unsigned char (*image)[FENLO_SEGMENT_BYTES], const unsigned char* password)
{
    if (!image)
        return false;
    const bool prepared = PatchRequired == 1 ? LoadPC220() : WritePassword(password);
    return prepared && readSegment(frames::ReadSegmentBFrame, image, RowB);
}

FENLO_API bool LoadData(int address, const unsigned char* password, unsigned char* record)
{
    if (!record)
        return false;
    std::memset(record, 0xFF, frames::RecordLength);
    const auto at = static_cast<std::uint16_t>(static_cast<unsigned>(address) & 0xFFFFu);
    frames::CommandFrame frame = frames::readBlockFrame(at);
    CheckSum(frame.data(), static_cast<int>(frame.size()));
    if (!Handshake() || !WritePassword(password))
        return false;
    steps::send(frame);
    Delay(100);
    WaitRx(100, frames::ReadReplyLength);
    if (!completeReadReply())
        return false;
    const frames::FrameHead head = {0x80, 0x12, 0x8A, 0x8A, frames::lo(at), frames::hi(at), 0x80, 0x00};
    std::memcpy(record, head.data(), head.size());
    std::memcpy(record + frames::FrameDataOffset, replyData(), frames::BlockBytes);
    record[frames::RecordLength - 2] = 0x00;
    record[frames::RecordLength - 1] = 0x00;
    return true;
}
