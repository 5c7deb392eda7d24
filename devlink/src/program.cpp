// Whole-program transfer in 128-byte blocks, and its progress counters.
#include "fenlo.h"
#include "fenlo_host.h"
#include "frames.h"
#include "platform/host.h"
#include "state.h"
#include "steps.h"

#include <algorithm>
#include <cstring>

using namespace fenlo;

namespace {

using Record = unsigned char[FENLO_RECORD_BYTES];

constexpr std::size_t AddressLow = 4;
constexpr std::size_t AddressHigh = 5;
// The last 32 data bytes of a record: the vector table when the block is 0xFF80.
constexpr std::size_t VectorBytesAt = 104;
constexpr std::uint16_t VectorBlock = 0xFF80;
constexpr int FirstTry = 5;

std::uint16_t addressOf(const unsigned char* record)
{
    return static_cast<std::uint16_t>(record[AddressLow] | record[AddressHigh] << 8);
}

bool inUse(const unsigned char* record) { return !(record[AddressLow] == 0xFF && record[AddressHigh] == 0xFF); }

// Data bytes only: the check bytes of a blank block read back are not 0xFF 0xFF.
bool holdsData(const unsigned char* record)
{
    const unsigned char* data = record + frames::FrameDataOffset;
    return std::any_of(data, data + frames::BlockBytes, [](unsigned char b) { return b != 0xFF; });
}

void blankVectorBytes(unsigned char* record) { std::memset(record + VectorBytesAt, 0xFF, frames::PasswordBytes); }

void readError() { platform::messageBox("Read Program Error,Please Try Again!!", "Read Error", FENLO_MB_ICONERROR); }

// A record sent as it stands but for its check bytes, which CheckSum works into the ones it
// carries: right only for a record that carries 0x00 0x00 there.
frames::Frame<frames::RecordLength> recordFrame(const unsigned char* record)
{
    frames::Frame<frames::RecordLength> frame{};
    std::memcpy(frame.data(), record, frame.size());
    CheckSum(frame.data(), static_cast<int>(frame.size()));
    return frame;
}

// Sends a record frame and awaits its answer and its confirmation. A refused frame is
// remembered: the confirmation alone would report it written.
bool writeRecord(const frames::Frame<frames::RecordLength>& frame, bool& refusedOnce)
{
    steps::send(frame);
    WaitRx(200, 1);
    refusedOnce = refusedOnce || steps::refused();
    return steps::confirm(20);
}

template <typename Present>
bool prepareSegmentWrite(Present present)
{
    if (PatchRequired == 1)
        return steps::loadPatch(present);
    return Handshake() && present();
}

} // namespace

FENLO_API bool LoadProgram(unsigned char (*records)[FENLO_RECORD_BYTES], const unsigned char* password)
{
    if (!records || !password)
        return false;
    const unsigned start = password[30] + 256u * password[31];
    ProgressTotal = static_cast<int>((0xFFFFu - start) / 128u);
    ProgressDone = 0;
    int retry = FirstTry;
    for (int j = 0; j <= ProgressTotal; ++j) {
        const auto at = static_cast<std::uint16_t>(start + 128u * static_cast<unsigned>(j));
        const frames::CommandFrame frame = steps::readBlock(at);
        for (;;) {
            if (!Handshake())
                return false;
            if (!WritePassword(password)) {
                readError();
                return false;
            }
            steps::send(frame);
            Delay(200);
            WaitRx(200, frames::ReadReplyLength);
            if (steps::completeReadReply())
                break;
            // A reply cut short or garbled is taken as none: tried again, never stored.
            const bool nothing = RxBuffer[0] == 0x00 || RxBuffer[0] == frames::DataReply;
            if (!nothing || retry == FirstTry) {
                readError();
                return false;
            }
            ++retry;
        }
        retry = 0;
        steps::recordFromReply(records[j], at);
        ++ProgressDone;
    }
    blankVectorBytes(records[ProgressTotal]);
    for (int i = 0; i < FENLO_PROGRAM_RECORDS; ++i) {
        if (!inUse(records[i]))
            continue;
        records[i][frames::RecordLength - 2] = 0x00;
        records[i][frames::RecordLength - 1] = 0x00;
        CheckSum(records[i], static_cast<int>(frames::RecordLength));
    }
    return true;
}

FENLO_API bool WriteProgram(unsigned char (*records)[FENLO_RECORD_BYTES])
{
    if (!records)
        return false;
    ProgressTotal = static_cast<int>(
        std::count_if(records, records + FENLO_PROGRAM_RECORDS, [](const Record& r) { return holdsData(r); }));
    ProgressDone = 0;
    const bool patch = PatchRequired == 1;
    if (!FenloMassErase() || !(patch ? steps::loadPatch(WriteBlankPassword) : Handshake()))
        return false;
    for (int i = 0; i < FENLO_PROGRAM_RECORDS; ++i) {
        const unsigned char* record = records[i];
        if (!inUse(record) || !holdsData(record))
            continue;
        ++ProgressDone;
        frames::Frame<frames::RecordLength> copy{};
        std::memcpy(copy.data(), record, copy.size());
        if (patch) {
            // The check bytes stay the caller's: a record whose vector bytes were not blank
            // already goes out with check bytes that no longer hold, and is refused.
            if (addressOf(record) == VectorBlock)
                blankVectorBytes(copy.data());
            if (!LoadPC220())
                return false;
        } else if (!WriteBlankPassword()) {
            return false;
        }
        steps::send(copy);
        WaitRx(200, 1);
        if (patch && !steps::acknowledged())
            return false;
        if (!steps::confirm(20))
            return false;
        steps::send(steps::readBlock(addressOf(record)));
        Delay(100);
        WaitRx(100, frames::ReadReplyLength);
        // Only a whole, sound reply can vouch for the block.
        if (!steps::completeReadReply()
            || std::memcmp(steps::replyData(), record + frames::FrameDataOffset, frames::BlockBytes) != 0)
            return false;
        if (!steps::confirm(20))
            return false;
    }
    return true;
}

FENLO_API bool WriteSegment(int address, const unsigned char* password, unsigned char (*records)[FENLO_RECORD_BYTES])
{
    (void)address;
    (void)password;
    if (!records || !prepareSegmentWrite(WriteBlankPassword))
        return false;
    const bool patch = PatchRequired == 1;
    bool refusedOnce = false, acknowledged = false;
    for (int r = 0; r < 4; ++r) {
        const auto frame = recordFrame(records[r]);
        if (patch) {
            if (!LoadPC220())
                return false;
            acknowledged = writeRecord(frame, refusedOnce);
        } else {
            steps::send(frame);
            Delay(100);
            WaitRx(100, 1);
            refusedOnce = refusedOnce || steps::refused();
            acknowledged = steps::confirm(20);
        }
    }
    return acknowledged && !refusedOnce;
}

FENLO_API bool WriteOneSegment(int address, const unsigned char* password, unsigned char* record)
{
    (void)address;
    if (!record || !password || !prepareSegmentWrite([password] { return WritePassword(password); }))
        return false;
    const auto frame = recordFrame(record);
    bool refusedOnce = false, acknowledged = false;
    for (int r = 0; r < 4; ++r) {
        if (PatchRequired == 1 && !LoadPC220())
            return false;
        acknowledged = writeRecord(frame, refusedOnce);
    }
    return acknowledged && !refusedOnce;
}

FENLO_API bool EraseSegment(int address, const unsigned char* password)
{
    const frames::CommandFrame frame = [address] {
        frames::CommandFrame f = frames::eraseSegmentFrame(steps::deviceAddress(address));
        CheckSum(f.data(), static_cast<int>(f.size()));
        return f;
    }();
    if (!Handshake() || !WritePassword(password))
        return false;
    steps::send(frame);
    WaitRx(40, 1);
    if (!steps::acknowledged())
        return false;
    steps::confirm(20);
    return true;
}

FENLO_API int ProgressCounter(void) { return ProgressDone; }

FENLO_API int ProgressMax(void) { return ProgressTotal; }
