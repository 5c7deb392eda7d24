// Loading an image into the pages: which item, text and count each control takes from
// BaselineImage, what the rest of the window keeps, and that the load never hands the
// event loop a turn.
#include "form_fixture.h"
#include "image_decode.h"
#include "mainform_controls.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>

#include <map>
#include <string>

namespace {

using velko::SegA;
using velko::SegB;
using velko::SegmentImage;

using Items = std::map<std::string, int>;

class LoaderTest : public FormFixture {
protected:
    // As the read and the open leave things: all three images equal, nothing loaded yet.
    void load(ProbeForm& f, const SegmentImage& image)
    {
        velko::ReadImage = image;
        velko::EditImage = image;
        velko::BaselineImage = image;
        f.ShowEEPROMSet();
    }

    static QComboBox* list(ProbeForm& f, const std::string& name)
    {
        auto* found = f.findChild<QComboBox*>(QString::fromStdString(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void expectItems(ProbeForm& f, const Items& items)
    {
        for (const auto& [name, item] : items) {
            if (QComboBox* l = list(f, name)) {
                EXPECT_EQ(l->currentIndex(), item) << name;
            }
        }
    }
};

// Bits set and the last items: every list on an item of its own.
SegmentImage highImage()
{
    SegmentImage image{};
    SegA(image, 18) = 0xFC;
    SegA(image, 28) = 255;
    SegA(image, 19) = 0xDF;
    SegA(image, 22) = 14; // auto-off 960000 ticks
    SegA(image, 25) = 166;
    SegB(image, 124) = 0x1F;
    SegA(image, 30) = 20;
    SegA(image, 31) = 200;
    SegA(image, 10) = 255;
    SegA(image, 21) = 200;
    SegA(image, 13) = 0xA4;
    SegB(image, 53) = 255;
    SegA(image, 16) = 0xE0;
    SegA(image, 124) = 255;
    SegA(image, 26) = 0x80;
    SegA(image, 27) = 0x07;
    SegA(image, 121) = 0x1E;
    SegA(image, 11) = 53;
    const int counts[] = {16, 15, 14, 13}; // UD, LR, EW, SN
    for (int g = 0; g < 4; ++g)
        SegA(image, 38 + g) = static_cast<std::uint8_t>(counts[g]);
    const int acc[][2] = {{12, 255}, {17, 200}, {20, 133}, {32, 100}, {36, 66}, {35, 33}, {34, 20}, {33, 0}};
    const int inch[][2] = {{43, 53}, {44, 40}, {45, 33}, {46, 26}, {120, 20}, {119, 13}, {118, 7}, {47, 3}};
    for (const auto& a : acc)
        SegA(image, a[0]) = static_cast<std::uint8_t>(a[1]);
    for (const auto& i : inch)
        SegA(image, i[0]) = static_cast<std::uint8_t>(i[1]);
    SegB(image, 48) = 0x0F;
    SegB(image, 45) = 255;
    SegB(image, 44) = 200;
    SegB(image, 46) = 133;
    SegB(image, 47) = 20;
    return image;
}

const Items HighItems = {
    {"TxModeFunc", 8},     {"DutyCycleFunc", 0},   {"SleepEMSFunc", 0},    {"LEDGleamFunc", 7},  {"TxRemoteFunc", 0},
    {"PassiveEMSFunc", 1}, {"PassiveTimeFunc", 9}, {"AutoOffFunc", 7},     {"RxRemoteFunc", 0},  {"LowBattFunc", 1},
    {"LowBattEMSFunc", 0}, {"EMSCounterFunc", 19}, {"BattCounterFunc", 5}, {"R1Func", 1},        {"R0Func", 2},
    {"ARRelaySelect", 0},  {"AR_Time", 9},         {"R1EMS", 0},           {"R0EMS", 0},         {"R0R1RepFunc", 7},
    {"SwBFunc", 0},        {"SwB1Func", 0},        {"SwCFunc", 0},         {"SwC1Func", 0},      {"SwBEMS", 0},
    {"SwB1EMS", 0},        {"SwCEMS", 0},          {"SwC1EMS", 0},         {"SwBABFunc", 0},     {"SwCABFunc", 0},
    {"InchTime", 7},       {"UDRelayCount", 16},   {"LRRelayCount", 15},   {"EWRelayCount", 14}, {"SNRelayCount", 13},
    {"UpAccTime", 7},      {"DownAccTime", 6},     {"LeftAccTime", 5},     {"RightAccTime", 4},  {"NorthAccTime", 3},
    {"SouthAccTime", 2},   {"WestAccTime", 1},     {"EastAccTime", 0},     {"UpInchTime", 7},    {"DownInchTime", 6},
    {"LeftInchTime", 5},   {"RightInchTime", 4},   {"NorthInchTime", 3},   {"SouthInchTime", 2}, {"WestInchTime", 1},
    {"EastInchTime", 0},   {"UD_InterLock", 7},    {"LR_InterLock", 6},    {"EW_InterLock", 5},  {"SN_InterLock", 1},
};

// Bits clear and the first items, where the lists have them.
SegmentImage lowImage()
{
    SegmentImage image{};
    SegA(image, 30) = 6;
    SegA(image, 31) = 50;
    SegA(image, 10) = 33;
    SegA(image, 21) = 5;
    SegA(image, 13) = 0x01;
    SegA(image, 16) = 0x04;
    SegA(image, 11) = 3;
    const int counts[] = {0, 1, 2, 3};
    for (int g = 0; g < 4; ++g)
        SegA(image, 38 + g) = static_cast<std::uint8_t>(counts[g]);
    const int acc[][2] = {{12, 0}, {17, 20}, {20, 33}, {32, 66}, {36, 100}, {35, 133}, {34, 200}, {33, 255}};
    const int inch[][2] = {{43, 3}, {44, 7}, {45, 13}, {46, 20}, {120, 26}, {119, 33}, {118, 40}, {47, 53}};
    for (const auto& a : acc)
        SegA(image, a[0]) = static_cast<std::uint8_t>(a[1]);
    for (const auto& i : inch)
        SegA(image, i[0]) = static_cast<std::uint8_t>(i[1]);
    SegB(image, 45) = 66; // a delay without its interlock bit
    return image;
}

const Items LowItems = {
    {"TxModeFunc", 0},     {"DutyCycleFunc", 1},   {"SleepEMSFunc", 1},    {"LEDGleamFunc", 1},  {"TxRemoteFunc", 1},
    {"PassiveEMSFunc", 0}, {"PassiveTimeFunc", 0}, {"AutoOffFunc", 0},     {"RxRemoteFunc", 1},  {"LowBattFunc", 0},
    {"LowBattEMSFunc", 1}, {"EMSCounterFunc", 0},  {"BattCounterFunc", 0}, {"R1Func", 0},        {"R0Func", 1},
    {"ARRelaySelect", 1},  {"AR_Time", 0},         {"R1EMS", 1},           {"R0EMS", 1},         {"R0R1RepFunc", 8},
    {"SwBFunc", 1},        {"SwB1Func", 1},        {"SwCFunc", 1},         {"SwC1Func", 1},      {"SwBEMS", 1},
    {"SwB1EMS", 1},        {"SwCEMS", 1},          {"SwC1EMS", 1},         {"SwBABFunc", 1},     {"SwCABFunc", 1},
    {"InchTime", 0},       {"UDRelayCount", 0},    {"LRRelayCount", 1},    {"EWRelayCount", 2},  {"SNRelayCount", 3},
    {"UpAccTime", 0},      {"DownAccTime", 1},     {"LeftAccTime", 2},     {"RightAccTime", 3},  {"NorthAccTime", 4},
    {"SouthAccTime", 5},   {"WestAccTime", 6},     {"EastAccTime", 7},     {"UpInchTime", 0},    {"DownInchTime", 1},
    {"LeftInchTime", 2},   {"RightInchTime", 3},   {"NorthInchTime", 4},   {"SouthInchTime", 5}, {"WestInchTime", 6},
    {"EastInchTime", 7},   {"UD_InterLock", 0},    {"LR_InterLock", 0},    {"EW_InterLock", 0},  {"SN_InterLock", 0},
};

TEST_F(LoaderTest, EveryListTakesTheItemOfItsOwnBytes)
{
    ProbeForm& f = makeForm();
    EXPECT_EQ(HighItems.size() + 1, static_cast<std::size_t>(f.findChildren<QComboBox*>().size()))
        << "every list but the power-on mode";
    load(f, highImage());
    expectItems(f, HighItems);
    load(f, lowImage());
    expectItems(f, LowItems);
    load(f, highImage());
    expectItems(f, HighItems);
    EXPECT_EQ(f.OpenModeFunc->currentIndex(), 1) << "not the loader's business";
}

TEST_F(LoaderTest, AValueOfNoItemKeepsWhatTheListShows)
{
    ProbeForm& f = makeForm();
    load(f, highImage());
    SegmentImage odd = highImage();
    SegA(odd, 28) = 77; // transmission time of no item, no bit 3
    SegA(odd, 18) = 0xF4;
    SegA(odd, 30) = 21; // LED pair of no item
    SegA(odd, 31) = 51;
    SegA(odd, 10) = 34; // passive shut-off
    SegA(odd, 22) = 15; // auto-off above 960000 ticks
    SegA(odd, 21) = 50; // EMS repeat
    SegA(odd, 124) = 8; // action relay on-time
    SegB(odd, 53) = 0;  // mutual-inhibit delay with the inhibit on
    SegA(odd, 11) = 54; // R0 inching
    SegA(odd, 12) = 1;  // up acceleration
    SegA(odd, 43) = 0;  // up inching
    SegB(odd, 45) = 0;  // UD interlock delay 0 with its bit set
    load(f, odd);
    expectItems(f, {{"TxModeFunc", 8},
                    {"LEDGleamFunc", 7},
                    {"PassiveTimeFunc", 9},
                    {"AutoOffFunc", 7},
                    {"EMSCounterFunc", 19},
                    {"AR_Time", 9},
                    {"R0R1RepFunc", 7},
                    {"InchTime", 7},
                    {"UpAccTime", 7},
                    {"UpInchTime", 7},
                    {"UD_InterLock", 7}});
}

TEST_F(LoaderTest, AListWithoutAnItemStaysWithoutOne)
{
    ProbeForm& f = makeForm();
    SegmentImage odd = highImage();
    SegA(odd, 10) = 34;
    SegA(odd, 12) = 1;
    SegB(odd, 45) = 0;
    load(f, odd);
    expectItems(f, {{"PassiveTimeFunc", -1}, {"UpAccTime", -1}, {"UD_InterLock", -1}});
}

TEST_F(LoaderTest, ItemsTheListsDoNotHaveLeaveThemWithNone)
{
    ProbeForm& f = makeForm();
    load(f, highImage());
    SegmentImage odd = highImage();
    SegA(odd, 22) = 0; // auto-off 2000 ticks
    SegA(odd, 23) = 0;
    SegA(odd, 24) = 2000 & 0xFF;
    SegA(odd, 25) = 2000 >> 8;
    SegA(odd, 16) = 0x90; // R0 inching with bit 4
    SegA(odd, 38) = 17;
    SegA(odd, 39) = 255;
    load(f, odd);
    expectItems(f, {{"AutoOffFunc", -1}, {"R0Func", -1}, {"UDRelayCount", -1}, {"LRRelayCount", -1}});
    SegA(odd, 16) = 0x70; // no mode bit at all
    load(f, odd);
    expectItems(f, {{"R0Func", -1}});
}

TEST_F(LoaderTest, StoredRelayCountsWinAndTravelIntoEditImage)
{
    ProbeForm& f = makeForm();
    SegmentImage image = highImage();
    const int stored[] = {200, 17, 255, 3, 16}; // key relays, UD, LR, EW, SN
    for (int i = 0; i < 5; ++i)
        SegA(image, 37 + i) = static_cast<std::uint8_t>(stored[i]);
    load(f, image);
    EXPECT_EQ(velko::KeyRelayCount, 200);
    EXPECT_EQ(velko::UDRelayNum, 17);
    EXPECT_EQ(velko::LRRelayNum, 255);
    EXPECT_EQ(velko::EWRelayNum, 3);
    EXPECT_EQ(velko::SNRelayNum, 16);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(SegA(velko::EditImage, 37 + i), stored[i]) << "Segment A " << 37 + i;
}

TEST_F(LoaderTest, EditsShowTheStoredValuesInYellow)
{
    ProbeForm& f = makeForm();
    SegmentImage image{};
    const int battery[] = {5, 20, 4, 5, 3, 0, 12, 34}; // B 108-115
    for (int i = 0; i < 8; ++i)
        SegB(image, 108 + i) = static_cast<std::uint8_t>(battery[i]);
    for (int k = 116; k <= 123; ++k)
        SegB(image, k) = static_cast<std::uint8_t>(k);
    SegB(image, 51) = 255;
    SegB(image, 52) = 0;
    const int gaps[] = {0, 7, 199, 255};
    for (int i = 0; i < 4; ++i)
        SegB(image, 54 + i) = static_cast<std::uint8_t>(gaps[i]);
    for (QLineEdit* e : {f.BattUp, f.DutyTx})
        velko::SetEditColour(e, f.palette().color(QPalette::Base));
    velko::EditImage = {};

    load(f, image);

    EXPECT_EQ(f.BattUp->text(), "5.20");
    EXPECT_EQ(f.BattUp1->text(), "4.05");
    EXPECT_EQ(f.BattDown->text(), "3.00");
    EXPECT_EQ(f.BattDown1->text(), "12.3");
    EXPECT_EQ(f.DutyCounter->text(), "255");
    EXPECT_EQ(f.DutyTx->text(), "0");
    EXPECT_EQ(f.VR1YGap->text(), "0");
    EXPECT_EQ(f.VR1XGap->text(), "7");
    EXPECT_EQ(f.VR2YGap->text(), "199");
    EXPECT_EQ(f.VR2XGap->text(), "255");
    for (QLineEdit* e : {f.BattUp, f.BattUp1, f.BattDown, f.BattDown1, f.DutyCounter, f.DutyTx})
        EXPECT_EQ(e->palette().color(QPalette::Base), velko::TakenColour) << e->objectName().toStdString();
    for (int k : {51, 52, 54, 55, 56, 57})
        EXPECT_EQ(SegB(velko::EditImage, k), SegB(image, k)) << "Segment B " << k;
    for (int k = 108; k <= 123; ++k)
        EXPECT_EQ(SegB(velko::EditImage, k), SegB(image, k)) << "Segment B " << k;
}

TEST_F(LoaderTest, BaselineImageIsNeverChanged)
{
    ProbeForm& f = makeForm();
    SegmentImage image = highImage();
    for (int k = 0; k < 128; k += 3)
        SegB(image, k) ^= 0x5A;
    load(f, image);
    EXPECT_EQ(velko::BaselineImage, image);
    EXPECT_EQ(velko::ReadImage, image);
}

// Counts every paint anywhere in the program.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(LoaderTest, TheLoadPaintsNothingUntilTheLoopRunsAgain)
{
    ProbeForm& f = makeForm();
    f.NextPageBtnClick(f.NextPageBtn); // the first joystick page and its grid on screen
    f.show();
    QCoreApplication::processEvents();
    SegmentImage image = highImage();
    for (int k = 0; k < 44; ++k) {
        SegA(image, velko::RelayMaskLowBase + k) = 0xFF;
        SegB(image, k) = 0xFF;
    }
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    load(f, image);
    const int duringLoad = counter.paints;
    QCoreApplication::processEvents();
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(duringLoad, 0) << "no grid is painted while the load runs";
    EXPECT_GT(counter.paints, 0) << "the window paints once the loop has its turn";
}

} // namespace
