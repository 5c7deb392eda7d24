// LoadProgram and WriteProgram for 1, 16, 128 and 512 records on simulated time, per
// record beside the floor.
//
// The floor is worked out from the waits alone: every send lasts its line time at 9600
// baud (11 bits a character) and then 30 ms; a wait for an answer ends at the first 10 ms
// poll at which the whole answer has arrived, or at its time-out; the unit starts its
// answer a turnaround after the last byte it answers, after its flash work (the simulated
// unit's documented times), and sends it at line speed.
#include "fenlo.h"
#include "fenlo_host.h"
#include "loader_unit.h"
#include "scripted_units.h"
#include "sim_line.h"
#include "state.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

using namespace unitsim;

namespace {

class Floor {
public:
    Time total = 0;

    // A send of `bytes`, an optional spin, then a wait for an answer of `answer` bytes that
    // the unit starts `work` after the last byte sent (none: it stays silent).
    void exchange(std::size_t bytes, unsigned delayMs, unsigned timeoutMs, std::optional<std::size_t> answer,
                  Time work = 0)
    {
        const Time sent = total + bytes * CharTime;
        total = sent + ms(30) + ms(delayMs);
        const Time start = total;
        for (unsigned k = 1; 10 * (k - 1) < timeoutMs; ++k) {
            total = start + ms(10 * k);
            if (answer && total >= sent + Turnaround + work + *answer * CharTime)
                return;
        }
    }
    void handshake()
    {
        total += ms(6 * 5 + 10);
        exchange(1, 0, 20, 1);
    }
    void password()
    {
        exchange(42, 0, 40, 1);
        exchange(1, 0, 20, 1);
    }
};

Time floorOfLoad(int records)
{
    Floor f;
    for (int i = 0; i < records; ++i) {
        f.handshake();
        f.password();
        f.exchange(10, 200, 200, 134);
    }
    return f.total;
}

Time floorOfWrite(int records)
{
    Floor f;
    f.handshake();
    f.exchange(10, 0, 200, 1, MassEraseTime);
    f.exchange(1, 0, 10, 1);
    f.handshake();
    for (int i = 0; i < records; ++i) {
        f.password();
        f.exchange(138, 0, 200, 1, 128 * FlashByteTime);
        f.exchange(1, 0, 20, 1);
        f.exchange(10, 100, 100, 134);
        f.exchange(1, 0, 20, 1);
    }
    return f.total;
}

using Program = std::unique_ptr<unsigned char[][FENLO_RECORD_BYTES]>;

Program blankProgram()
{
    Program p = std::make_unique<unsigned char[][FENLO_RECORD_BYTES]>(FENLO_PROGRAM_RECORDS);
    std::memset(p.get(), 0xFF, FENLO_PROGRAM_RECORDS * FENLO_RECORD_BYTES);
    return p;
}

// Reads `records` blocks: from the reset vector 0x10000 - 128 * records to the top.
bool timeLoad(int records, Time& elapsed)
{
    World world;
    VectorTable vectors = LoaderUnit::TransmitterVectors;
    const unsigned start = 0x10000u - 128u * static_cast<unsigned>(records);
    vectors[30] = static_cast<Byte>(start);
    vectors[31] = static_cast<Byte>(start >> 8);
    LoaderUnit unit = LoaderUnit::transmitter(vectors);
    world.line.attach(&unit);
    OpenCom("COM1");
    const Program program = blankProgram();
    const Time t0 = world.clock.now();
    const bool ok = LoadProgram(program.get(), vectors.data()) && ProgressCounter() == records;
    elapsed = world.clock.now() - t0;
    ExitCom();
    return ok;
}

// Writes `records` records of main flash from 0x2000 on; past 384 blocks the addresses come
// round again with the same data, which flash takes as often as it is given.
bool timeWrite(int records, Time& elapsed)
{
    World world;
    LoaderUnit unit = LoaderUnit::erased();
    world.line.attach(&unit);
    OpenCom("COM1");
    fenlo::PatchRequired = 0;
    const Program program = blankProgram();
    for (int i = 0; i < records; ++i) {
        unsigned char* r = program[i];
        const unsigned at = 0x2000u + 128u * static_cast<unsigned>(i % 384);
        const unsigned char head[8] = {
            0x80, 0x12, 0x8A, 0x8A, static_cast<unsigned char>(at), static_cast<unsigned char>(at >> 8), 0x80, 0x00};
        std::memcpy(r, head, sizeof head);
        for (int k = 0; k < 128; ++k)
            r[8 + k] = static_cast<unsigned char>(at >> 7 ^ k);
        r[136] = r[137] = 0x00;
        CheckSum(r, FENLO_RECORD_BYTES);
    }
    const Time t0 = world.clock.now();
    const bool ok = WriteProgram(program.get()) && ProgressCounter() == records;
    elapsed = world.clock.now() - t0;
    ExitCom();
    return ok;
}

void quietBox(const char*, const char*, unsigned) {}

} // namespace

int main()
{
    FenloSetMessageBox(quietBox);
    int failures = 0;
    struct Operation {
        const char* name;
        bool (*run)(int, Time&);
        Time (*floor)(int);
    };
    for (const Operation& op :
         {Operation{"LoadProgram", timeLoad, floorOfLoad}, Operation{"WriteProgram", timeWrite, floorOfWrite}}) {
        // What does not grow with the records: for WriteProgram the mass erase and handshake.
        Time fixed = 0;
        if (op.run == timeWrite && !op.run(0, fixed))
            ++failures;
        const Time floorFixed = op.run == timeWrite ? op.floor(0) : 0;
        for (const int records : {1, 16, 128, 512}) {
            Time elapsed = 0;
            if (!op.run(records, elapsed)) {
                std::fprintf(stderr, "%s of %d records failed\n", op.name, records);
                ++failures;
                continue;
            }
            const double per = toMs(elapsed - fixed) / records;
            const double floorPer = toMs(op.floor(records) - floorFixed) / records;
            std::printf("%s %3d records: %9.1f ms (%.1f ms fixed), %.2f ms per record, floor %.2f ms per record, "
                        "%+.2f%% (goal: at most +1%%)\n",
                        op.name, records, toMs(elapsed), toMs(fixed), per, floorPer,
                        100.0 * (per - floorPer) / floorPer);
        }
    }
    FenloSetMessageBox(nullptr);
    return failures == 0 ? 0 : 1;
}
