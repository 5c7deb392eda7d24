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
    if (!steps::completeReadReply())
        return false;
    std::memcpy(image[row], steps::replyData(), frames::BlockBytes);
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
    const std::uint16_t at = steps::deviceAddress(address);
    const frames::CommandFrame frame = steps::readBlock(at);
    if (!Handshake() || !WritePassword(password))
        return false;
    steps::send(frame);
    Delay(100);
    WaitRx(100, frames::ReadReplyLength);
    if (!steps::completeReadReply())
        return false;
    steps::recordFromReply(record, at);
    return true;
}
