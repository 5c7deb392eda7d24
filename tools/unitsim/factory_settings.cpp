#include "factory_settings.h"

namespace unitsim {
namespace {

// Codewords of the digits 0-9: the nibble's bits select rows 0x0F, 0x33, 0x55, 0x96.
constexpr std::array<Byte, 10> Codewords = {0x00, 0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x66, 0x69, 0x96, 0x99};

Byte packed(Byte high, Byte low) { return static_cast<Byte>(high << 4 | low); }

void putWord(Bytes& row, std::size_t at, unsigned value)
{
    row[at] = static_cast<Byte>(value & 0xFF);
    row[at + 1] = static_cast<Byte>(value >> 8 & 0xFF);
}

// k of each lever position's relay mask (grid columns 1-11), for UD, LR, EW and SN.
constexpr int PositionK[4][11] = {
    {10, 9, 8, 7, 6, 16, 0, 1, 2, 3, 4},
    {15, 14, 13, 12, 11, 5, 17, 18, 19, 20, 21},
    {26, 25, 24, 23, 22, 27, 28, 29, 30, 31, 32},
    {43, 42, 41, 40, 39, 38, 33, 34, 35, 36, 37},
};

// Relays on at each lever position, outermost of the first direction to outermost of the
// second. Five speeds on six relays: one relay a direction, one for each speed above the first.
constexpr Byte FiveSpeeds[11] = {0x3D, 0x1D, 0x0D, 0x05, 0x01, 0x00, 0x02, 0x06, 0x0E, 0x1E, 0x3E};
// Two speeds on four relays: the directions, fast from the third step, and one relay that is
// on whenever the lever is off centre (a brake to release).
constexpr Byte TwoSpeeds[11] = {0x0D, 0x0D, 0x0D, 0x09, 0x09, 0x00, 0x0A, 0x0A, 0x0E, 0x0E, 0x0E};

} // namespace

Byte DigitCodeword(Byte digit) { return Codewords[digit % 10]; }

InfoSegments FactorySegments(const Identity& unit)
{
    Bytes a(128, 0x00), b(128, 0x00);

    // ID code 37482913, then its check bytes over bytes 0-7.
    for (std::size_t i = 0; i < SetIdCode.size(); ++i)
        a[2 + i] = DigitCodeword(SetIdCode[i]);
    a[8] = 0x8B;
    a[9] = 0xD8;

    // Transmitter: power-on by the power key (bits 0-1 = 01), continuous transmission for
    // one minute (bit 2, 600 x 100 ms), power off on sleep EMS (bit 6); flashing once a second.
    a[18] = 0x45;
    putWord(a, 28, 600);
    a[30] = 20;
    a[31] = 50;
    // Power saving (bit 4), auto-off (bit 3) after 30 minutes, the EMS signal at low battery
    // (bit 7); the battery counter and the radio settings of both units off.
    a[19] = 0x98;
    const unsigned autoOff = 120000; // ticks of 15 ms, high word first
    putWord(a, 22, autoOff >> 16);
    putWord(a, 24, autoOff & 0xFFFF);
    // Receiver: at loss of signal the actions stop (bit 4 of byte 18 clear) after 1.0 s.
    a[10] = 66;
    a[21] = 20; // the EMS signal sent 20 times

    // Keys: R0 and R1 normal, both under EMS control, no mutual inhibit; R0's inching time
    // 0.5 s should it be set to inching. The action relay lights for 1.0 s.
    a[16] = 0x61;
    a[13] = 0x21;
    a[11] = 33;
    a[124] = 66;
    // Both positions of both switches in use and under EMS control; centres off.
    a[121] = 0x1E;
    // Key relays R0, R1, SW 1A, SW 1B, SW 2A, SW 2B, AR (and the two bits the program always
    // sets), numbered RY1-RY7 in that order.
    putWord(a, 26, 0xF781);
    a[37] = 7;
    putWord(a, 104, 0x01);
    putWord(a, 116, 0x02);
    putWord(a, 94, 0x04);
    putWord(a, 96, 0x08);
    putWord(a, 98, 0x10);
    putWord(a, 100, 0x20);
    putWord(a, 122, 0x40);

    // Joysticks: UD and LR five speeds on six relays each, EW and SN two speeds on four;
    // 27 of the receiver's 40 relays. Acceleration 0.5 s on joystick 1, 0.3 s on joystick 2;
    // inching 0.2 s everywhere.
    const Byte counts[4] = {6, 6, 4, 4};
    for (int g = 0; g < 4; ++g) {
        a[38 + static_cast<std::size_t>(g)] = counts[g];
        const Byte* pattern = counts[g] == 6 ? FiveSpeeds : TwoSpeeds;
        for (int column = 0; column < 11; ++column)
            a[48 + static_cast<std::size_t>(PositionK[g][column])] = pattern[column];
    }
    for (std::size_t k : {12, 17, 20, 32})
        a[k] = 33;
    for (std::size_t k : {33, 34, 35, 36})
        a[k] = 20;
    for (std::size_t k : {43, 44, 45, 46, 47, 118, 119, 120})
        a[k] = 13;
    // Interlock of 0.3 s on LR and UD (bits 0 and 1), none on EW and SN.
    b[44] = 20;
    b[45] = 20;
    b[48] = 0x03;

    // Duty cycle 2 : 10, wire-break gaps 25.
    b[51] = 10;
    b[52] = 2;
    for (std::size_t k : {54, 55, 56, 57})
        b[k] = 25;

    // Battery bands 5.20-4.56 V and 4.48-3.95 V, with their centre and half-width in counts
    // of the 12-bit converter behind the 1:2 divider.
    const Byte typed[8] = {5, 20, 4, 56, 4, 48, 3, 95};
    for (std::size_t i = 0; i < 8; ++i)
        b[108 + i] = typed[i];
    putWord(b, 116, 3027);
    putWord(b, 118, 198);
    putWord(b, 120, 2615);
    putWord(b, 122, 164);
    // Battery counter off: all ones.
    for (std::size_t k = 124; k < 128; ++k)
        b[k] = 0xFF;

    // The unit's own serial number and factory date, two digits a byte.
    for (std::size_t i = 0; i < 3; ++i)
        b[96 + i] = packed(unit.serial[2 * i], unit.serial[2 * i + 1]);
    b[100] = packed(unit.year / 10, unit.year % 10);
    b[101] = packed(unit.month / 10, unit.month % 10);
    b[102] = packed(unit.day / 10, unit.day % 10);

    return {b, a};
}

Bytes IdentificationBlock(const Identity& unit)
{
    Bytes block;
    for (Byte digit : unit.serial)
        block.push_back(DigitCodeword(digit));
    block.insert(block.end(), {'Q', '3', '7', unit.year, unit.month, unit.day});
    return block;
}

} // namespace unitsim
