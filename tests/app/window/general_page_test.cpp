// The general page through its real lists: every pick gives the bytes of its item, keeps the
// other bits, and steers the lists that depend on it; the key-relay table follows the keys.
#include "fixed_cells.h"
#include "form_fixture.h"
#include "key_relays.h"
#include "mainform_controls.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <optional>
#include <ostream>
#include <set>

namespace {

using velko::EditImage;
using velko::SegA;
using velko::SegB;

enum class Pick { Mouse, Keyboard };

// Opens the list's drop-down and clicks the item, as a user does with the mouse.
void mousePick(QComboBox* list, int item)
{
    ASSERT_TRUE(list->isEnabled()) << list->objectName().toStdString();
    list->showPopup();
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(view->isVisible());
    const QPoint at = view->visualRect(view->model()->index(item, 0)).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    ASSERT_FALSE(view->isVisible());
}

// Opens the drop-down with Alt+Down, walks to the item and takes it with Return.
void keyPick(QComboBox* list, int item)
{
    ASSERT_TRUE(list->isEnabled()) << list->objectName().toStdString();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(view->isVisible());
    QTest::keyClick(view, Qt::Key_Home);
    for (int i = 0; i < item; ++i)
        QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_FALSE(view->isVisible());
}

struct Step {
    const char* list;
    int item;
};

using Handler = void (TMainForm::*)(QObject*);

// One byte after a handler: (before & keep) | set.
struct Op {
    bool segA;
    int k;
    std::uint8_t keep;
    std::uint8_t set;
};
Op byteA(int k, int value) { return {true, k, 0x00, static_cast<std::uint8_t>(value)}; }
Op byteB(int k, int value) { return {false, k, 0x00, static_cast<std::uint8_t>(value)}; }
Op bitsA(int k, int keep, int set)
{
    return {true, k, static_cast<std::uint8_t>(keep), static_cast<std::uint8_t>(set)};
}
Op onA(int k, int bit) { return bitsA(k, ~(1 << bit) & 0xFF, 1 << bit); }
Op offA(int k, int bit) { return bitsA(k, ~(1 << bit) & 0xFF, 0); }

class GeneralPage : public FormFixture {
protected:
    ProbeForm& showForm()
    {
        ProbeForm& f = makeForm();
        f.show();
        return f;
    }

    QComboBox* list(const char* name)
    {
        auto* l = form->findChild<QComboBox*>(QString::fromLatin1(name));
        EXPECT_NE(l, nullptr) << name;
        return l;
    }

    void pick(const Step& s, Pick how = Pick::Mouse)
    {
        if (how == Pick::Mouse)
            mousePick(list(s.list), s.item);
        else
            keyPick(list(s.list), s.item);
    }

    void pickAll(const std::vector<Step>& steps, Pick how = Pick::Mouse)
    {
        for (const Step& s : steps) {
            SCOPED_TRACE(std::string(s.list) + " " + std::to_string(s.item));
            pick(s, how);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }

    static void fill(std::uint8_t pattern)
    {
        for (auto& row : EditImage)
            row.fill(pattern);
    }

    static velko::SegmentImage apply(velko::SegmentImage image, const std::vector<Op>& ops)
    {
        for (const Op& op : ops) {
            std::uint8_t& b = op.segA ? SegA(image, op.k) : SegB(image, op.k);
            b = static_cast<std::uint8_t>((b & op.keep) | op.set);
        }
        return image;
    }

    // Every byte as expected, except the ones in `free` that no op names.
    static void expectImage(const velko::SegmentImage& expected, const std::set<int>& freeA = {},
                            const std::vector<Op>& ops = {})
    {
        std::set<int> named;
        for (const Op& op : ops)
            if (op.segA)
                named.insert(op.k);
        for (int row = 0; row < 2; ++row)
            for (int k = 0; k < velko::SegmentBytes; ++k) {
                if (row == velko::SegmentARow && freeA.count(k) && !named.count(k))
                    continue;
                EXPECT_EQ(int(EditImage[row][k]), int(expected[row][k])) << (row ? "Segment A " : "Segment B ") << k;
            }
    }
};

// ---- Transmitter and receiver lists: item -> bytes, other bits kept ----

struct ListCase {
    const char* name;
    const char* list;
    int item; // -1: no item, the handler run by code
    Handler change;
    std::vector<Step> preset; // indexes set without their handlers
    std::vector<Op> ops;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class TxRxListTest : public GeneralPage, public ::testing::WithParamInterface<ListCase> {};

TEST_P(TxRxListTest, PickWritesItsBytesOnly)
{
    const ListCase& c = GetParam();
    showForm();
    for (const std::uint8_t pattern : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        SCOPED_TRACE(pattern ? "ones" : "zeros");
        fill(pattern);
        list(c.list)->setCurrentIndex(-1);
        for (const Step& s : c.preset)
            list(s.list)->setCurrentIndex(s.item);
        const velko::SegmentImage expected = apply(EditImage, c.ops);
        if (c.item < 0 || !list(c.list)->isEnabled()) {
            list(c.list)->setCurrentIndex(c.item);
            (form.get()->*c.change)(list(c.list));
        } else {
            mousePick(list(c.list), c.item);
        }
        expectImage(expected);
    }
}

// clang-format off
std::vector<ListCase> txRxCases()
{
    using M = TMainForm;
    std::vector<ListCase> v;
    // Power-on mode: always 01, the list back on item 1 (the list is disabled: run by code).
    for (int item : {-1, 0, 1})
        v.push_back({item < 0 ? "OpenModeNone" : item ? "OpenMode1" : "OpenMode0", "OpenModeFunc", item,
                     &M::OpenModeFuncChange, {}, {bitsA(18, 0xFC, 0x01)}});

    // Transmission mode: continuous items 1-7 store their time.
    const int times[] = {0, 300, 600, 900, 1200, 1800, 3000, 6000};
    for (int item = 1; item <= 7; ++item) {
        static const char* names[] = {"", "TxMode1", "TxMode2", "TxMode3", "TxMode4", "TxMode5", "TxMode6", "TxMode7"};
        v.push_back({names[item], "TxModeFunc", item, &M::TxModeFuncChange, {},
                     {bitsA(18, 0xF3, 0x04), byteA(28, times[item] & 0xFF), byteA(29, times[item] >> 8)}});
    }
    // Item 0: not continuous; sleep EMS off ("不 關 機"), passive EMS "關   動   作"; 40 or 15.
    v.push_back({"TxMode0Saving", "TxModeFunc", 0, &M::TxModeFuncChange, {{"DutyCycleFunc", 0}},
                 {bitsA(18, 0xA3, 0x00), byteA(28, 40), byteA(29, 0)}});
    v.push_back({"TxMode0NoSaving", "TxModeFunc", 0, &M::TxModeFuncChange, {{"DutyCycleFunc", 1}},
                 {bitsA(18, 0xA3, 0x00), byteA(28, 15), byteA(29, 0)}});
    v.push_back({"TxMode0SavingNone", "TxModeFunc", 0, &M::TxModeFuncChange, {},
                 {bitsA(18, 0xA3, 0x00), byteA(28, 15), byteA(29, 0)}});
    // Item 8: never power off; sleep EMS off too.
    v.push_back({"TxMode8", "TxModeFunc", 8, &M::TxModeFuncChange, {},
                 {bitsA(18, 0xB3, 0x0C), byteA(28, 255), byteA(29, 0)}});
    v.push_back({"TxModeNone", "TxModeFunc", -1, &M::TxModeFuncChange, {}, {bitsA(18, 0xF3, 0x04)}});

    // Power saving: bytes 18 and 28-29 only while the mode is "not continuous".
    v.push_back({"DutySavingTx0", "DutyCycleFunc", 0, &M::DutyCycleFuncChange, {{"TxModeFunc", 0}},
                 {onA(19, 4), offA(18, 2), byteA(28, 40), byteA(29, 0)}});
    v.push_back({"DutyNoSavingTx0", "DutyCycleFunc", 1, &M::DutyCycleFuncChange, {{"TxModeFunc", 0}},
                 {offA(19, 4), offA(18, 2), byteA(28, 15), byteA(29, 0)}});
    for (int tx : {-1, 3, 8}) {
        static const char* on[] = {"DutySavingTxNone", "DutySavingTx3", "DutySavingTx8"};
        static const char* off[] = {"DutyNoSavingTxNone", "DutyNoSavingTx3", "DutyNoSavingTx8"};
        const int n = tx < 0 ? 0 : tx == 3 ? 1 : 2;
        v.push_back({on[n], "DutyCycleFunc", 0, &M::DutyCycleFuncChange, {{"TxModeFunc", tx}}, {onA(19, 4)}});
        v.push_back({off[n], "DutyCycleFunc", 1, &M::DutyCycleFuncChange, {{"TxModeFunc", tx}}, {offA(19, 4)}});
    }
    v.push_back({"DutyNoneTx0", "DutyCycleFunc", -1, &M::DutyCycleFuncChange, {{"TxModeFunc", 0}}, {}});

    // The one-bit lists; PassiveEMSFunc sets its bit for item 1.
    const struct {
        const char* list;
        Handler change;
        int byte, bit, setBy;
        const char* names[3];
    } bits[] = {
        {"SleepEMSFunc", &M::SleepEMSFuncChange, 18, 6, 0, {"Sleep0", "Sleep1", "SleepNone"}},
        {"PassiveEMSFunc", &M::PassiveEMSFuncChange, 18, 4, 1, {"Passive0", "Passive1", "PassiveNone"}},
        {"TxRemoteFunc", &M::TxRemoteFuncChange, 19, 2, 0, {"TxRemote0", "TxRemote1", "TxRemoteNone"}},
        {"RxRemoteFunc", &M::RxRemoteFuncChange, 19, 1, 0, {"RxRemote0", "RxRemote1", "RxRemoteNone"}},
    };
    for (const auto& b : bits) {
        for (int item : {0, 1})
            v.push_back({b.names[item], b.list, item, b.change, {},
                         {item == b.setBy ? onA(b.byte, b.bit) : offA(b.byte, b.bit)}});
        v.push_back({b.names[2], b.list, -1, b.change, {}, {}});
    }

    const int flash[9][2] = {{150, 150}, {6, 50}, {25, 50}, {20, 50}, {20, 75}, {20, 100}, {20, 150}, {20, 200}, {0, 150}};
    static const char* flashNames[] = {"LED0", "LED1", "LED2", "LED3", "LED4", "LED5", "LED6", "LED7", "LED8"};
    for (int item = 0; item < 9; ++item)
        v.push_back({flashNames[item], "LEDGleamFunc", item, &M::LEDGleamFuncChange, {},
                     {byteA(30, flash[item][0]), byteA(31, flash[item][1])}});
    v.push_back({"LEDNone", "LEDGleamFunc", -1, &M::LEDGleamFuncChange, {}, {}});

    const int passive[] = {33, 40, 46, 53, 60, 66, 100, 133, 200, 255};
    static const char* passiveNames[] = {"PassiveTime0", "PassiveTime1", "PassiveTime2", "PassiveTime3",
                                         "PassiveTime4", "PassiveTime5", "PassiveTime6", "PassiveTime7",
                                         "PassiveTime8", "PassiveTime9"};
    for (int item = 0; item < 10; ++item)
        v.push_back({passiveNames[item], "PassiveTimeFunc", item, &M::PassiveTimeFuncChange, {}, {byteA(10, passive[item])}});
    v.push_back({"PassiveTimeNone", "PassiveTimeFunc", -1, &M::PassiveTimeFuncChange, {}, {}});

    // Auto-off: bytes 22, 23, 24, 25 are the time's bits 16-23, 24-31, 0-7, 8-15.
    const int off[8][4] = {{0, 0, 0, 0},    {0, 0, 64, 156}, {1, 0, 128, 56}, {1, 0, 192, 212},
                           {3, 0, 128, 169}, {7, 0, 0, 83},   {10, 0, 128, 252}, {14, 0, 0, 166}};
    static const char* offNames[] = {"AutoOff0", "AutoOff1", "AutoOff2", "AutoOff3",
                                     "AutoOff4", "AutoOff5", "AutoOff6", "AutoOff7"};
    for (int item = 0; item < 8; ++item)
        v.push_back({offNames[item], "AutoOffFunc", item, &M::AutoOffFuncChange, {},
                     {item ? onA(19, 3) : offA(19, 3), byteA(22, off[item][0]), byteA(23, off[item][1]),
                      byteA(24, off[item][2]), byteA(25, off[item][3])}});
    v.push_back({"AutoOffNone", "AutoOffFunc", -1, &M::AutoOffFuncChange, {}, {onA(19, 3)}});
    return v;
}
// clang-format on

INSTANTIATE_TEST_SUITE_P(Lists, TxRxListTest, ::testing::ValuesIn(txRxCases()),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- Key, switch and action-relay lists: item -> bytes (the relay words apart) ----

// The numbering's bytes: checked by the relay tables below.
const std::set<int> RelayBytes = [] {
    std::set<int> s{velko::KeyRelayCountByte, 122, 123};
    for (int k = velko::KeyRelayWordsFirst; k <= velko::KeyRelayWordsLast; ++k)
        s.insert(k);
    return s;
}();

class KeyListTest : public GeneralPage, public ::testing::WithParamInterface<ListCase> {};

TEST_P(KeyListTest, PickWritesItsBytesOnly)
{
    const ListCase& c = GetParam();
    showForm();
    for (const std::uint8_t pattern : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        SCOPED_TRACE(pattern ? "ones" : "zeros");
        fill(pattern);
        list(c.list)->setCurrentIndex(-1);
        for (const Step& s : c.preset)
            list(s.list)->setCurrentIndex(s.item);
        const velko::SegmentImage expected = apply(EditImage, c.ops);
        if (c.item < 0) {
            (form.get()->*c.change)(list(c.list));
        } else {
            list(c.list)->setEnabled(true);
            mousePick(list(c.list), c.item);
        }
        expectImage(expected, RelayBytes, c.ops);
    }
}

// clang-format off
std::vector<ListCase> keyCases()
{
    using M = TMainForm;
    std::vector<ListCase> v;
    // R0: byte 16 keeps only bit 6, then mode and EMS bits; mask bit 12 (byte 27 bit 4) set.
    v.push_back({"R0Normal", "R0Func", 0, &M::R0FuncChange, {}, {bitsA(16, 0x40, 0x21), onA(27, 4)}});
    v.push_back({"R0Latching", "R0Func", 1, &M::R0FuncChange, {}, {bitsA(16, 0x40, 0x04), onA(27, 4)}});
    v.push_back({"R0Inching", "R0Func", 2, &M::R0FuncChange, {}, {bitsA(16, 0x40, 0x80), onA(27, 4)}});
    v.push_back({"R0None", "R0Func", -1, &M::R0FuncChange, {}, {bitsA(16, 0x40, 0x00), onA(27, 4)}});
    // R1: byte 13 bits 0-4 replaced; bit 5 follows the forced EMS item; mask bit 0.
    v.push_back({"R1Normal", "R1Func", 0, &M::R1FuncChange, {}, {bitsA(13, 0xC0, 0x21), onA(26, 0)}});
    v.push_back({"R1Latching", "R1Func", 1, &M::R1FuncChange, {}, {bitsA(13, 0xC0, 0x04), onA(26, 0)}});
    v.push_back({"R1NotUsed", "R1Func", 2, &M::R1FuncChange, {}, {bitsA(13, 0xC0, 0x00), offA(26, 0)}});
    v.push_back({"R1None", "R1Func", -1, &M::R1FuncChange, {}, {bitsA(13, 0xE0, 0x00), onA(26, 0)}});
    v.push_back({"R0EMS0", "R0EMS", 0, &M::R0EMSChange, {}, {onA(16, 5)}});
    v.push_back({"R0EMS1", "R0EMS", 1, &M::R0EMSChange, {}, {offA(16, 5)}});
    v.push_back({"R0EMSNone", "R0EMS", -1, &M::R0EMSChange, {}, {}});
    v.push_back({"R1EMS0", "R1EMS", 0, &M::R1EMSChange, {}, {onA(13, 5)}});
    v.push_back({"R1EMS1", "R1EMS", 1, &M::R1EMSChange, {}, {offA(13, 5)}});
    v.push_back({"R1EMSNone", "R1EMS", -1, &M::R1EMSChange, {}, {}});

    const int inch[] = {3, 7, 13, 20, 26, 33, 40, 53};
    static const char* inchNames[] = {"Inch0", "Inch1", "Inch2", "Inch3", "Inch4", "Inch5", "Inch6", "Inch7"};
    for (int item = 0; item < 8; ++item)
        v.push_back({inchNames[item], "InchTime", item, &M::InchTimeChange, {}, {byteA(11, inch[item])}});
    v.push_back({"InchNone", "InchTime", -1, &M::InchTimeChange, {}, {}});

    // Mutual inhibit: byte 13 bit 7 and Segment B byte 53 (1 in place of 0 for "0 秒").
    const int inhibit[] = {1, 20, 33, 66, 100, 133, 200, 255};
    static const char* inhibitNames[] = {"Inhibit0", "Inhibit1", "Inhibit2", "Inhibit3",
                                         "Inhibit4", "Inhibit5", "Inhibit6", "Inhibit7"};
    for (int item = 0; item < 8; ++item)
        v.push_back({inhibitNames[item], "R0R1RepFunc", item, &M::R0R1RepFuncChange, {}, {onA(13, 7), byteB(53, inhibit[item])}});
    v.push_back({"InhibitOff", "R0R1RepFunc", 8, &M::R0R1RepFuncChange, {}, {offA(13, 7), byteB(53, 0)}});
    v.push_back({"InhibitNone", "R0R1RepFunc", -1, &M::R0R1RepFuncChange, {}, {onA(13, 7)}});

    // Switch positions: mask bits 7-10 are byte 26 bit 7, byte 27 bits 0-2.
    const struct {
        const char* list;
        Handler change;
        int maskByte, maskBit;
        const char* other;
        int centreByte, centreBit, emsBit;
        bool a;
        const char* names[6];
    } positions[] = {
        {"SwBFunc", &M::SwBFuncChange, 26, 7, "SwB1Func", 18, 7, 1, true,
         {"Sw1AOnOtherNone", "Sw1AOnOtherOff", "Sw1AOffOtherOn", "Sw1AOffOtherOff", "Sw1AOffOtherNone", "Sw1ANone"}},
        {"SwB1Func", &M::SwB1FuncChange, 27, 0, "SwBFunc", 18, 7, 2, false,
         {"Sw1BOnOtherNone", "Sw1BOnOtherOff", "Sw1BOffOtherOn", "Sw1BOffOtherOff", "Sw1BOffOtherNone", "Sw1BNone"}},
        {"SwCFunc", &M::SwCFuncChange, 27, 1, "SwC1Func", 19, 6, 3, true,
         {"Sw2AOnOtherNone", "Sw2AOnOtherOff", "Sw2AOffOtherOn", "Sw2AOffOtherOff", "Sw2AOffOtherNone", "Sw2ANone"}},
        {"SwC1Func", &M::SwC1FuncChange, 27, 2, "SwCFunc", 19, 6, 4, false,
         {"Sw2BOnOtherNone", "Sw2BOnOtherOff", "Sw2BOffOtherOn", "Sw2BOffOtherOff", "Sw2BOffOtherNone", "Sw2BNone"}},
    };
    for (const auto& p : positions) {
        // In use: the centre is forced off only while the other position is not in use.
        v.push_back({p.names[0], p.list, 0, p.change, {{p.other, -1}}, {onA(p.maskByte, p.maskBit)}});
        v.push_back({p.names[1], p.list, 0, p.change, {{p.other, 1}},
                     {onA(p.maskByte, p.maskBit), offA(p.centreByte, p.centreBit)}});
        // Not in use: centre off; the A position keeps its EMS bit while B is in use.
        std::vector<Op> offOn{offA(p.maskByte, p.maskBit), offA(p.centreByte, p.centreBit)};
        if (!p.a)
            offOn.push_back(onA(121, p.emsBit));
        v.push_back({p.names[2], p.list, 1, p.change, {{p.other, 0}}, offOn});
        const std::vector<Op> offForced{offA(p.maskByte, p.maskBit), offA(p.centreByte, p.centreBit), onA(121, p.emsBit)};
        v.push_back({p.names[3], p.list, 1, p.change, {{p.other, 1}}, offForced});
        v.push_back({p.names[4], p.list, 1, p.change, {{p.other, -1}}, offForced});
        v.push_back({p.names[5], p.list, -1, p.change, {}, {}});
    }
    const struct {
        const char* list;
        Handler change;
        int byte, bit;
        const char* names[3];
    } bits[] = {
        {"SwBEMS", &M::SwBEMSChange, 121, 1, {"SwBEMS0", "SwBEMS1", "SwBEMSNone"}},
        {"SwB1EMS", &M::SwB1EMSChange, 121, 2, {"SwB1EMS0", "SwB1EMS1", "SwB1EMSNone"}},
        {"SwCEMS", &M::SwCEMSChange, 121, 3, {"SwCEMS0", "SwCEMS1", "SwCEMSNone"}},
        {"SwC1EMS", &M::SwC1EMSChange, 121, 4, {"SwC1EMS0", "SwC1EMS1", "SwC1EMSNone"}},
        {"SwBABFunc", &M::SwBABFuncChange, 18, 7, {"Centre1AB", "Centre1Off", "Centre1None"}},
        {"SwCABFunc", &M::SwCABFuncChange, 19, 6, {"Centre2AB", "Centre2Off", "Centre2None"}},
    };
    for (const auto& b : bits) {
        v.push_back({b.names[0], b.list, 0, b.change, {}, {onA(b.byte, b.bit)}});
        v.push_back({b.names[1], b.list, 1, b.change, {}, {offA(b.byte, b.bit)}});
        v.push_back({b.names[2], b.list, -1, b.change, {}, {}});
    }

    // The action relay: byte 16 bit 6 and mask bit 15 (byte 27 bit 7); its word cleared when off.
    v.push_back({"ARUsed", "ARRelaySelect", 0, &M::ARRelaySelectChange, {}, {onA(16, 6), onA(27, 7)}});
    v.push_back({"ARNotUsed", "ARRelaySelect", 1, &M::ARRelaySelectChange, {},
                 {offA(16, 6), offA(27, 7), byteA(122, 0), byteA(123, 0)}});
    v.push_back({"ARNone", "ARRelaySelect", -1, &M::ARRelaySelectChange, {}, {}});
    const int arTimes[] = {0, 7, 20, 33, 46, 60, 66, 133, 200, 255};
    static const char* arNames[] = {"ARTime0", "ARTime1", "ARTime2", "ARTime3", "ARTime4",
                                    "ARTime5", "ARTime6", "ARTime7", "ARTime8", "ARTime9"};
    for (int item = 0; item < 10; ++item)
        v.push_back({arNames[item], "AR_Time", item, &M::AR_TimeChange, {}, {byteA(124, arTimes[item])}});
    v.push_back({"ARTimeNone", "AR_Time", -1, &M::AR_TimeChange, {}, {}});
    return v;
}
// clang-format on

INSTANTIATE_TEST_SUITE_P(Lists, KeyListTest, ::testing::ValuesIn(keyCases()),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- Lists that steer other lists ----

struct ListState {
    const char* list;
    int index;
    bool enabled;
};

TEST_F(GeneralPage, TxModeZeroAndEightForceTheEmsListsAndALaterChoiceFreesThem)
{
    ProbeForm& f = showForm();
    mousePick(f.SleepEMSFunc, 0);
    mousePick(f.PassiveEMSFunc, 1);
    ASSERT_EQ(SegA(EditImage, 18) & 0x50, 0x50);

    mousePick(f.TxModeFunc, 0);
    EXPECT_EQ(SegA(EditImage, 18) & 0x5C, 0x00); // not continuous, sleep and passive EMS off
    EXPECT_EQ(f.SleepEMSFunc->currentIndex(), 1);
    EXPECT_FALSE(f.SleepEMSFunc->isEnabled());
    EXPECT_EQ(f.PassiveEMSFunc->currentIndex(), 0);
    EXPECT_FALSE(f.PassiveEMSFunc->isEnabled());

    mousePick(f.TxModeFunc, 5);
    EXPECT_TRUE(f.SleepEMSFunc->isEnabled());
    EXPECT_TRUE(f.PassiveEMSFunc->isEnabled());
    EXPECT_EQ(f.SleepEMSFunc->currentIndex(), 1); // items stay as forced
    EXPECT_EQ(f.PassiveEMSFunc->currentIndex(), 0);

    mousePick(f.PassiveEMSFunc, 1);
    mousePick(f.TxModeFunc, 8);
    EXPECT_EQ(SegA(EditImage, 18) & 0x0C, 0x0C);
    EXPECT_FALSE(f.SleepEMSFunc->isEnabled());
    EXPECT_TRUE(f.PassiveEMSFunc->isEnabled()); // item 8 leaves passive EMS alone
    EXPECT_EQ(f.PassiveEMSFunc->currentIndex(), 1);
    EXPECT_NE(SegA(EditImage, 18) & 0x10, 0);

    mousePick(f.TxModeFunc, 3);
    EXPECT_EQ(SegA(EditImage, 18) & 0x0C, 0x04); // bit 2 kept, bit 3 cleared
    EXPECT_EQ(velko::GetWord(EditImage[velko::SegmentARow], 28), 900);
    EXPECT_TRUE(f.SleepEMSFunc->isEnabled());
}

TEST_F(GeneralPage, PowerSavingFollowsTheNotContinuousMode)
{
    ProbeForm& f = showForm();
    mousePick(f.DutyCycleFunc, 0);
    mousePick(f.TxModeFunc, 0);
    EXPECT_EQ(SegA(EditImage, 28), 40);
    EXPECT_EQ(SegA(EditImage, 29), 0);
    keyPick(f.DutyCycleFunc, 1);
    EXPECT_EQ(SegA(EditImage, 28), 15);
    EXPECT_EQ(SegA(EditImage, 19) & 0x10, 0);
    keyPick(f.DutyCycleFunc, 0);
    EXPECT_EQ(SegA(EditImage, 28), 40);
    EXPECT_NE(SegA(EditImage, 19) & 0x10, 0);

    mousePick(f.TxModeFunc, 2);
    mousePick(f.DutyCycleFunc, 1);
    EXPECT_EQ(velko::GetWord(EditImage[velko::SegmentARow], 28), 600); // continuous time untouched
    EXPECT_NE(SegA(EditImage, 18) & 0x04, 0);
}

TEST_F(GeneralPage, ListsFromTheWindowDefinitionStartWithoutAnItem)
{
    ProbeForm& f = showForm();
    for (QComboBox* l : f.Tab_General->findChildren<QComboBox*>()) {
        const int expected = l == f.OpenModeFunc ? 1 : l == f.InchTime ? 5 : -1;
        EXPECT_EQ(l->currentIndex(), expected) << l->objectName().toStdString();
    }
    EXPECT_FALSE(f.OpenModeFunc->isEnabled());
}

// ---- Keys: what each choice shows, hides, enables and forces ----

struct Seen {
    const char* widget;
    std::optional<bool> shown;
    std::optional<bool> enabled;
    std::optional<int> index;
};

struct StateCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<Seen> seen;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class KeyStateTest : public GeneralPage, public ::testing::WithParamInterface<StateCase> {};

TEST_P(KeyStateTest, ListsShownEnabledAndForced)
{
    const StateCase& c = GetParam();
    showForm();
    pickAll(c.steps);
    for (const Seen& s : c.seen) {
        auto* w = form->findChild<QWidget*>(QString::fromLatin1(s.widget));
        ASSERT_NE(w, nullptr) << s.widget;
        if (s.shown) {
            EXPECT_EQ(!w->isHidden(), *s.shown) << s.widget << " shown";
        }
        if (s.enabled) {
            EXPECT_EQ(w->isEnabled(), *s.enabled) << s.widget << " enabled";
        }
        if (s.index) {
            EXPECT_EQ(qobject_cast<QComboBox*>(w)->currentIndex(), *s.index) << s.widget << " item";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyStateTest,
    ::testing::Values(
        StateCase{"R0NormalForcesEmsAndShowsInhibit",
                  {{"R0EMS", 1}, {"R0Func", 0}},
                  {{"R0EMS", {}, false, 0},
                   {"R0R1RepFunc", true, {}, {}},
                   {"R0R1RepLabel", true, {}, {}},
                   {"InchTime", false, {}, {}},
                   {"InchTimeLabel", false, {}, {}}}},
        StateCase{"R0LatchingLeavesEmsFree",
                  {{"R0Func", 0}, {"R0Func", 1}},
                  {{"R0EMS", {}, true, 1}, {"R0R1RepFunc", true, {}, {}}, {"InchTime", false, {}, {}}}},
        StateCase{"R0InchingShowsItsTime",
                  {{"R0Func", 2}},
                  {{"R0EMS", {}, false, 1},
                   {"InchTime", true, {}, 5},
                   {"InchTimeLabel", true, {}, {}},
                   {"R0R1RepFunc", false, {}, {}},
                   {"R0R1RepLabel", false, {}, {}}}},
        StateCase{"R0NormalWithR1NotUsedKeepsInhibitHidden",
                  {{"R1Func", 2}, {"R0Func", 0}},
                  {{"R0R1RepFunc", false, {}, {}}, {"R0R1RepLabel", false, {}, {}}, {"R1EMS", {}, false, 1}}},
        StateCase{"R1NormalForcesItsEms",
                  {{"R1EMS", 1}, {"R1Func", 0}},
                  {{"R1EMS", {}, false, 0}, {"R0R1RepFunc", true, {}, {}}}},
        StateCase{"R1LatchingAfterNotUsedFreesEms",
                  {{"R1Func", 2}, {"R1Func", 1}},
                  {{"R1EMS", {}, true, 1}, {"R0R1RepFunc", true, {}, {}}}},
        StateCase{"R1BackInUseWhileR0InchesKeepsInhibitHidden",
                  {{"R0Func", 2}, {"R1Func", 2}, {"R1Func", 0}},
                  {{"R0R1RepFunc", false, {}, {}}, {"InchTime", true, {}, {}}}},
        StateCase{"ActionRelayShowsItsTime",
                  {{"ARRelaySelect", 1}, {"ARRelaySelect", 0}},
                  {{"AR_Time", true, {}, {}}, {"ARTimeLabel", true, {}, {}}}},
        StateCase{"NoActionRelayHidesItsTime",
                  {{"ARRelaySelect", 0}, {"ARRelaySelect", 1}},
                  {{"AR_Time", false, {}, {}}, {"ARTimeLabel", false, {}, {}}}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(GeneralPage, InchingHidesTheInhibitWithoutSwitchingItOff)
{
    ProbeForm& f = showForm();
    mousePick(f.R0R1RepFunc, 3);
    mousePick(f.InchTime, 2);
    mousePick(f.R0Func, 2);
    EXPECT_TRUE(f.R0R1RepFunc->isHidden());
    EXPECT_EQ(SegA(EditImage, 11), 13);
    EXPECT_NE(SegA(EditImage, 13) & 0x80, 0);
    EXPECT_EQ(SegB(EditImage, 53), 66);
}

// ---- Switches: the centre position and the EMS lists ----

struct SwitchNames {
    const char* name;
    const char *a, *b, *emsA, *emsB, *centre;
    int centreByte, centreBit, emsBitA, emsBitB;
};

void PrintTo(const SwitchNames& c, std::ostream* os) { *os << c.name; }

class SwitchTest : public GeneralPage, public ::testing::WithParamInterface<SwitchNames> {
protected:
    bool centreOn() { return (SegA(EditImage, GetParam().centreByte) >> GetParam().centreBit) & 1; }
    bool emsOn(int bit) { return (SegA(EditImage, 121) >> bit) & 1; }
};

TEST_P(SwitchTest, TurningAPositionOffForcesTheCentreOff)
{
    const SwitchNames& s = GetParam();
    showForm();
    for (const char* off : {s.a, s.b}) {
        SCOPED_TRACE(off);
        pickAll({{s.a, 0}, {s.b, 0}, {s.centre, 0}});
        ASSERT_TRUE(centreOn());
        pick({off, 1});
        EXPECT_FALSE(centreOn());
        EXPECT_EQ(list(s.centre)->currentIndex(), 1);
        EXPECT_FALSE(list(s.centre)->isEnabled());
        // Back in use beside the other position: the centre is free again, but stays off.
        pick({off, 0});
        EXPECT_TRUE(list(s.centre)->isEnabled());
        EXPECT_EQ(list(s.centre)->currentIndex(), 1);
        EXPECT_FALSE(centreOn());
    }
}

TEST_P(SwitchTest, APositionInUseAloneLeavesNoCentreChoice)
{
    const SwitchNames& s = GetParam();
    showForm();
    pickAll({{s.centre, 0}, {s.b, 1}, {s.a, 0}});
    EXPECT_FALSE(list(s.centre)->isEnabled());
    EXPECT_EQ(list(s.centre)->currentIndex(), 1);
    EXPECT_FALSE(centreOn());
}

TEST_P(SwitchTest, PositionAKeepsItsEmsWhileBIsInUsePositionBIsAlwaysForced)
{
    const SwitchNames& s = GetParam();
    showForm();
    pickAll({{s.a, 0}, {s.b, 0}, {s.emsA, 1}, {s.emsB, 1}});
    pick({s.a, 1});
    EXPECT_FALSE(list(s.emsA)->isEnabled());
    EXPECT_EQ(list(s.emsA)->currentIndex(), 1);
    EXPECT_FALSE(emsOn(s.emsBitA));

    pick({s.a, 0});
    EXPECT_TRUE(list(s.emsA)->isEnabled());
    pick({s.b, 1}); // B off while A is in use: still forced under EMS control
    EXPECT_FALSE(list(s.emsB)->isEnabled());
    EXPECT_EQ(list(s.emsB)->currentIndex(), 0);
    EXPECT_TRUE(emsOn(s.emsBitB));

    pickAll({{s.a, 0}, {s.emsA, 1}, {s.a, 1}}); // A off while B is not in use: forced too
    EXPECT_FALSE(list(s.emsA)->isEnabled());
    EXPECT_EQ(list(s.emsA)->currentIndex(), 0);
    EXPECT_TRUE(emsOn(s.emsBitA));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Switches, SwitchTest,
                         ::testing::Values(SwitchNames{.name = "Switch1", .a = "SwBFunc", .b = "SwB1Func",
                                                       .emsA = "SwBEMS", .emsB = "SwB1EMS", .centre = "SwBABFunc",
                                                       .centreByte = 18, .centreBit = 7, .emsBitA = 1, .emsBitB = 2},
                                           SwitchNames{.name = "Switch2", .a = "SwCFunc", .b = "SwC1Func",
                                                       .emsA = "SwCEMS", .emsB = "SwC1EMS", .centre = "SwCABFunc",
                                                       .centreByte = 19, .centreBit = 6, .emsBitA = 3, .emsBitB = 4}),
                         [](const auto& p) { return std::string(p.param.name); });
// clang-format on

// ---- The key-relay table ----

struct RelayCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<const char*> keys;          // row 1 of RY1, RY2 ...
    std::vector<std::pair<int, int>> words; // Segment A byte of a key's word, its value
};

struct RelayRun {
    RelayCase c;
    Pick how;
};

void PrintTo(const RelayRun& r, std::ostream* os) { *os << r.c.name << (r.how == Pick::Mouse ? " mouse" : " keys"); }

class KeyRelayTableTest : public GeneralPage, public ::testing::WithParamInterface<RelayRun> {};

TEST_P(KeyRelayTableTest, WordsCountColumnsNamesAndWidth)
{
    const RelayCase& c = GetParam().c;
    ProbeForm& f = showForm();
    pickAll(c.steps, GetParam().how);
    const int n = static_cast<int>(c.keys.size());
    EXPECT_EQ(velko::KeyRelayCount, n);
    EXPECT_EQ(SegA(EditImage, 37), n);
    EXPECT_EQ(f.KeyRelayTable->columnCount(), n + 1);
    EXPECT_EQ(f.KeyRelayTable->width(), 42 * (n + 1));
    EXPECT_EQ(f.KeyRelayTable->height(), 33);
    EXPECT_EQ(velko::CellText(f.KeyRelayTable, 0, 0), "Relay");
    EXPECT_EQ(velko::CellText(f.KeyRelayTable, 1, 0), "Key");
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(velko::CellText(f.KeyRelayTable, 0, i + 1), QStringLiteral("RY%1").arg(i + 1));
        EXPECT_EQ(velko::CellText(f.KeyRelayTable, 1, i + 1), QString::fromLatin1(c.keys[static_cast<std::size_t>(i)]));
    }
    for (int k : {94, 96, 98, 100, 104, 116, 122}) {
        int expected = 0;
        for (const auto& [byte, word] : c.words)
            if (byte == k)
                expected = word;
        EXPECT_EQ(velko::GetWord(EditImage[velko::SegmentARow], k), expected) << "word at " << k;
    }
    for (int k = 92; k <= 117; ++k) {
        if (k != 94 && k != 96 && k != 98 && k != 100 && k != 104 && k != 116) {
            EXPECT_EQ(SegA(EditImage, k), 0) << k;
        }
    }
}

const std::vector<Step> AllSeven = {{"R0Func", 0},  {"R1Func", 1},   {"SwBFunc", 0},      {"SwB1Func", 0},
                                    {"SwCFunc", 0}, {"SwC1Func", 0}, {"ARRelaySelect", 0}};

std::vector<Step> allSevenThen(std::initializer_list<Step> more)
{
    std::vector<Step> v = AllSeven;
    v.insert(v.end(), more);
    return v;
}

std::vector<RelayRun> relayRuns()
{
    const std::vector<RelayCase> cases = {
        {"SevenRelays",
         AllSeven,
         {"R0", "R1", "SW 1A", "SW 1B", "SW 2A", "SW 2B", "AR"},
         {{104, 1}, {116, 2}, {94, 4}, {96, 8}, {98, 16}, {100, 32}, {122, 64}}},
        {"R0InchingTakesNone",
         allSevenThen({{"R0Func", 2}}),
         {"R1", "SW 1A", "SW 1B", "SW 2A", "SW 2B", "AR"},
         {{116, 1}, {94, 2}, {96, 4}, {98, 8}, {100, 16}, {122, 32}}},
        {"OnlyR0", {{"R0Func", 0}, {"R1Func", 2}}, {"R0"}, {{104, 1}}},
        {"NothingInUse", {{"R1Func", 2}}, {}, {}},
        {"ActionRelayRemoved",
         allSevenThen({{"ARRelaySelect", 1}}),
         {"R0", "R1", "SW 1A", "SW 1B", "SW 2A", "SW 2B"},
         {{104, 1}, {116, 2}, {94, 4}, {96, 8}, {98, 16}, {100, 32}}},
        {"ActionRelayStaysLast",
         {{"ARRelaySelect", 0}, {"R1Func", 2}, {"R0Func", 1}, {"SwC1Func", 0}},
         {"R0", "SW 2B", "AR"},
         {{104, 1}, {100, 2}, {122, 4}}},
        {"SwitchesOffAgain",
         allSevenThen({{"SwBFunc", 1}, {"SwC1Func", 1}}),
         {"R0", "R1", "SW 1B", "SW 2A", "AR"},
         {{104, 1}, {116, 2}, {96, 4}, {98, 8}, {122, 16}}},
    };
    std::vector<RelayRun> runs;
    for (const RelayCase& c : cases)
        for (Pick how : {Pick::Mouse, Pick::Keyboard})
            runs.push_back({c, how});
    return runs;
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyRelayTableTest, ::testing::ValuesIn(relayRuns()), [](const auto& p) {
    return std::string(p.param.c.name) + (p.param.how == Pick::Mouse ? "Mouse" : "Keys");
});

TEST_F(GeneralPage, AnRModeKeepsTheActionRelayInUse)
{
    ProbeForm& f = showForm();
    mousePick(f.ARRelaySelect, 0);
    for (int item : {0, 1, 2}) {
        mousePick(f.R0Func, item);
        EXPECT_NE(SegA(EditImage, 16) & 0x40, 0) << item;
        EXPECT_NE(SegA(EditImage, 27) & 0x80, 0) << item;
        EXPECT_EQ(velko::CellText(f.KeyRelayTable, 1, velko::KeyRelayCount), "AR") << item;
    }
}

TEST_F(GeneralPage, R0WithoutAnItemKeepsOnlyTheActionRelayBitAndTakesARelay)
{
    // What the loader gives for an R0 byte the list has no item for.
    ProbeForm& f = showForm();
    SegA(EditImage, 16) = 0xE4;
    SegA(EditImage, 27) = 0x60;
    AllocationText = "stale";
    for (int item : {3, 4}) {
        f.R0Func->setCurrentIndex(item);
        ASSERT_EQ(f.R0Func->currentIndex(), -1);
        f.R0FuncChange(nullptr);
        EXPECT_EQ(SegA(EditImage, 16), 0x40) << item;
        EXPECT_EQ(SegA(EditImage, 27), 0xF0) << item; // R0 and the action relay
        EXPECT_EQ(velko::KeyRelayCount, 2) << item;
        EXPECT_EQ(velko::CellText(f.KeyRelayTable, 1, 1), "R0") << item;
        EXPECT_TRUE(f.InchTime->isHidden());
        EXPECT_TRUE(f.R0R1RepFunc->isHidden());
        EXPECT_TRUE(f.R0EMS->isEnabled());
    }
    EXPECT_EQ(AllocationText, "stale"); // nothing loaded yet
}

TEST_F(GeneralPage, ARelayOfABitWithoutAKeyShowsNoLeftOverName)
{
    ProbeForm& f = showForm();
    pickAll({{"R0Func", 0}, {"R1Func", 0}});
    ASSERT_EQ(velko::CellText(f.KeyRelayTable, 1, 2), "R1");
    // A loaded mask with bit 1 (no key) where R1 was: relay 2 counts but has no name.
    velko::PutWord(EditImage[velko::SegmentARow], 26, 0x7002);
    f.SetKeyRelayTable();
    EXPECT_EQ(velko::KeyRelayCount, 2);
    EXPECT_EQ(velko::CellText(f.KeyRelayTable, 0, 2), "RY2");
    EXPECT_EQ(velko::CellText(f.KeyRelayTable, 1, 2), "");
    EXPECT_EQ(velko::GetWord(EditImage[velko::SegmentARow], 116), 0);
}

TEST_F(GeneralPage, CellsAreDrawnOnTheirColourWithTheTextInset)
{
    ProbeForm& f = showForm();
    pickAll(AllSeven);
    const QImage grid = f.KeyRelayTable->grab().toImage();
    const auto* chrome = dynamic_cast<const velko::FixedCellsDelegate*>(f.KeyRelayTable->itemDelegate());
    ASSERT_NE(chrome, nullptr);
    for (int column : {0, 1, 7}) {
        for (int row : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "cell " << column << "," << row);
            const QRect cell = f.KeyRelayTable->visualRect(f.KeyRelayTable->model()->index(row, column));
            const QColor fill = row == 0 || column == 0 ? chrome->fixedColour() : QColor(Qt::white);
            EXPECT_EQ(grid.pixelColor(cell.topLeft() + QPoint(1, 1)), fill);
            int left = cell.right(), top = cell.bottom();
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x)
                    if (grid.pixelColor(x, y).lightness() < 100) {
                        left = std::min(left, x);
                        top = std::min(top, y);
                    }
            EXPECT_LT(left, cell.right()) << "no text drawn";
            EXPECT_GE(left, cell.left() + 4);
            EXPECT_GE(top, cell.top() + 2);
            EXPECT_LE(left, cell.left() + 6);
        }
    }
}

TEST_F(GeneralPage, EveryKeyNameFitsItsCell)
{
    ProbeForm& f = showForm();
    const QFontMetrics metrics(f.KeyRelayTable->font());
    for (const char* name : {"Relay", "SW 1A", "SW 1B", "SW 2A", "SW 2B", "RY13"})
        EXPECT_LE(4 + metrics.horizontalAdvance(QString::fromLatin1(name)), 41) << name;
}

// ---- The allocation table follows the seven key handlers, only while settings are loaded ----

struct RebuildCase {
    const char* name;
    Step pick;
    bool rebuilds;
};

struct RebuildRun {
    RebuildCase c;
    bool loaded;
};

void PrintTo(const RebuildRun& r, std::ostream* os) { *os << r.c.name << (r.loaded ? " loaded" : " not loaded"); }

class AllocationRebuildTest : public GeneralPage, public ::testing::WithParamInterface<RebuildRun> {};

TEST_P(AllocationRebuildTest, OnlyKeyHandlersWhileLoaded)
{
    const RebuildRun& r = GetParam();
    ProbeForm& f = showForm();
    mousePick(f.R0Func, 1); // R0 is relay 1 from here on
    SettingsLoaded = r.loaded ? 1 : 0;
    AllocationText = "stale";
    if (QString::fromLatin1(r.c.pick.list) == "OpenModeFunc") {
        f.OpenModeFunc->setCurrentIndex(r.c.pick.item);
        f.OpenModeFuncChange(f.OpenModeFunc);
    } else {
        pick(r.c.pick);
    }
    if (r.c.rebuilds && r.loaded) {
        EXPECT_TRUE(AllocationText.startsWith("<td>R0</td>")) << AllocationText.toStdString();
    } else {
        EXPECT_EQ(AllocationText, "stale");
    }
}

std::vector<RebuildRun> rebuildRuns()
{
    const std::vector<RebuildCase> cases = {
        {"R0Func", {"R0Func", 0}, true},
        {"R1Func", {"R1Func", 1}, true},
        {"SwBFunc", {"SwBFunc", 0}, true},
        {"SwB1Func", {"SwB1Func", 0}, true},
        {"SwCFunc", {"SwCFunc", 1}, true},
        {"SwC1Func", {"SwC1Func", 0}, true},
        {"ARRelaySelect", {"ARRelaySelect", 0}, true},
        {"OpenModeFunc", {"OpenModeFunc", 0}, false},
        {"TxModeFunc", {"TxModeFunc", 0}, false},
        {"DutyCycleFunc", {"DutyCycleFunc", 0}, false},
        {"SleepEMSFunc", {"SleepEMSFunc", 0}, false},
        {"LEDGleamFunc", {"LEDGleamFunc", 2}, false},
        {"TxRemoteFunc", {"TxRemoteFunc", 0}, false},
        {"PassiveEMSFunc", {"PassiveEMSFunc", 1}, false},
        {"PassiveTimeFunc", {"PassiveTimeFunc", 4}, false},
        {"AutoOffFunc", {"AutoOffFunc", 3}, false},
        {"RxRemoteFunc", {"RxRemoteFunc", 0}, false},
        {"R0EMS", {"R0EMS", 0}, false},
        {"R1EMS", {"R1EMS", 0}, false},
        {"InchTime", {"InchTime", 1}, false},
        {"R0R1RepFunc", {"R0R1RepFunc", 2}, false},
        {"SwBEMS", {"SwBEMS", 1}, false},
        {"SwB1EMS", {"SwB1EMS", 1}, false},
        {"SwCEMS", {"SwCEMS", 1}, false},
        {"SwC1EMS", {"SwC1EMS", 1}, false},
        {"SwBABFunc", {"SwBABFunc", 0}, false},
        {"SwCABFunc", {"SwCABFunc", 0}, false},
        {"AR_Time", {"AR_Time", 3}, false},
    };
    std::vector<RebuildRun> runs;
    for (const RebuildCase& c : cases)
        for (bool loaded : {false, true})
            runs.push_back({c, loaded});
    return runs;
}

INSTANTIATE_TEST_SUITE_P(Handlers, AllocationRebuildTest, ::testing::ValuesIn(rebuildRuns()), [](const auto& p) {
    return std::string(p.param.c.name) + (p.param.loaded ? "Loaded" : "NotLoaded");
});

TEST_F(GeneralPage, ThirteenKeyRelaysOfALoadedMaskAllReachTheAllocation)
{
    ProbeForm& f = showForm();
    QString full;
    for (int n = 1; n <= 40; ++n)
        full += QStringLiteral("<td>Act%1</td>\r\n").arg(n, 2, 10, QLatin1Char('0'));
    AllocationTemplate = full.toLatin1();
    // A loaded image: every mask bit and the action relay in use.
    velko::PutWord(EditImage[velko::SegmentARow], 26, 0xFFFF);
    SegA(EditImage, 16) = 0x41;
    SettingsLoaded = 1;
    mousePick(f.R0Func, 0);

    ASSERT_EQ(velko::KeyRelayCount, 13);
    EXPECT_EQ(f.KeyRelayTable->columnCount(), 14);
    const QStringList lines = QString::fromLatin1(AllocationText).split(QStringLiteral("\r\n"));
    const char* const names[] = {"R0", "R1", "", "", "", "", "", "", "SW 1A", "SW 1B", "SW 2A", "SW 2B", "AR"};
    for (int n = 1; n <= 13; ++n) {
        EXPECT_EQ(velko::CellText(f.KeyRelayTable, 1, n), QString::fromLatin1(names[n - 1])) << n;
        EXPECT_EQ(lines[n - 1], QStringLiteral("<td>%1</td>").arg(QString::fromLatin1(names[n - 1]))) << n;
    }
    EXPECT_EQ(lines[13], "<td>N/A</td>");
    EXPECT_FALSE(AllocationText.contains("Act")) << AllocationText.toStdString();
}

TEST_F(GeneralPage, CodeThatSetsAnIndexRunsNoHandler)
{
    ProbeForm& f = showForm();
    const velko::SegmentImage before = EditImage;
    for (QComboBox* l : f.Tab_General->findChildren<QComboBox*>())
        l->setCurrentIndex(l->count() - 1);
    EXPECT_EQ(EditImage, before);
}

} // namespace
