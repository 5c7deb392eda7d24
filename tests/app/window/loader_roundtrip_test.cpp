// Loading an image with the page handlers behind it: an image made by picking items loads
// back into the same bytes (in the window, and through a read and a write of a unit), what
// a value of no item turns into, the grids, the counts a malformed image brings, and the
// one allocation rebuild.
#include "battery_limits.h"
#include "form_fixture.h"
#include "image_decode.h"
#include "loader_unit.h"
#include "mainform_controls.h"
#include "standalone_process.h"

#include <fenlo.h>

#include <QComboBox>
#include <QStackedWidget>

#include <random>

namespace {

using velko::SegA;
using velko::SegB;
using velko::SegmentImage;

// Bytes that no handler writes, and the identification bytes the loader leaves alone.
const int FreeBytesA[] = {0, 1, 14, 15, 42, 125, 126, 127};
const int FreeBytesB[] = {49, 50, 58, 70, 95, 99, 103, 107};

using Handler = void (TMainForm::*)(QObject*);
using CellClick = void (TMainForm::*)(QObject*, int, int, bool&);

// A list can be picked by a user: enabled, and not hidden on its page.
bool userCanPick(QComboBox* list)
{
    QWidget* page = list;
    while (page->parentWidget() && !qobject_cast<QStackedWidget*>(page->parentWidget()))
        page = page->parentWidget();
    return list->isEnabled() && list->isVisibleTo(page);
}

struct Grid {
    QTableWidget* table;
    CellClick click;
    int group;
};

std::vector<Grid> grids(TMainForm& f)
{
    return {{f.UDRelayTable, &TMainForm::UDRelayTableSelectCell, velko::UD},
            {f.LRRelayTable, &TMainForm::LRRelayTableSelectCell, velko::LR},
            {f.EWRelayTable, &TMainForm::EWRelayTableSelectCell, velko::EW},
            {f.SNRelayTable, &TMainForm::SNRelayTableSelectCell, velko::SN}};
}

// A user's pick: the item, then the list's activated signal as a real pick sends it.
void pick(QComboBox* list, int item)
{
    list->setCurrentIndex(item);
    emit list->activated(item);
}

// Picks items in every list (each at least once, the pickable ones again at random), clicks
// cells of the grids, types battery, duty and gap values, lets the budget run once; the
// image the pages then encode.
SegmentImage pickedImage(TMainForm& f, std::mt19937& rng)
{
    const auto random = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int k : FreeBytesA)
        SegA(velko::EditImage, k) = static_cast<std::uint8_t>(random(256));
    for (int k : FreeBytesB)
        SegB(velko::EditImage, k) = static_cast<std::uint8_t>(random(256));
    // An ID code of digits, which the write folds back the same.
    for (int k = 2; k <= 7; ++k)
        SegA(velko::EditImage, k) = DeHamming(static_cast<unsigned char>(random(16)));

    QList<QComboBox*> lists = f.findChildren<QComboBox*>();
    lists.removeAll(f.OpenModeFunc);
    std::shuffle(lists.begin(), lists.end(), rng);
    for (QComboBox* list : lists)
        pick(list, random(list->count()));
    for (int i = 0; i < 60; ++i) {
        QComboBox* list = lists[random(static_cast<int>(lists.size()))];
        if (userCanPick(list))
            pick(list, random(list->count()));
    }
    for (const Grid& g : grids(f)) {
        const int count = velko::AxisRelayNum(g.group);
        for (int i = 0; count > 0 && i < 20; ++i) {
            bool can = true;
            (f.*g.click)(g.table, 1 + random(11), 1 + random(count), can);
        }
    }
    const auto volts = [&](int maxHundredths) { return random(maxHundredths + 1); };
    for (const auto pair : {velko::BatteryPair::Upper, velko::BatteryPair::Lower}) {
        const int low = volts(600), high = low + 1 + volts(640 - low - 1);
        const auto text = [](int v) {
            char t[24];
            std::snprintf(t, sizeof t, "%d.%02d", v / 100, v % 100);
            return std::string(t);
        };
        velko::StoreBatteryPair(text(high), text(low), pair);
    }
    SegB(velko::EditImage, 51) = static_cast<std::uint8_t>(random(256));
    SegB(velko::EditImage, 52) = static_cast<std::uint8_t>(random(256));
    for (QLineEdit* gap : {f.VR1YGap, f.VR1XGap, f.VR2YGap, f.VR2XGap})
        gap->setText(QString::number(random(256)));
    f.ShowRelayTimerTimer(nullptr);
    return velko::EditImage;
}

class LoadedPages : public FormFixture {
protected:
    void load(TMainForm& f, const SegmentImage& image)
    {
        velko::ReadImage = velko::EditImage = velko::BaselineImage = image;
        f.ShowEEPROMSet();
    }

    // Every byte of both segments, named when one differs.
    static void expectSameImage(const SegmentImage& got, const SegmentImage& expected, const std::string& what)
    {
        for (int row = 0; row < 2; ++row)
            for (int k = 0; k < velko::SegmentBytes; ++k)
                EXPECT_EQ(int{got[row][k]}, int{expected[row][k]})
                    << what << ": Segment " << (row == velko::SegmentARow ? "A" : "B") << " byte " << k;
    }
};

TEST_F(LoadedPages, AnImageOfPickedItemsLoadsBackByteForByte)
{
    for (unsigned seed = 1; seed <= 24; ++seed) {
        std::mt19937 rng(seed);
        SegmentImage picked;
        {
            ProbeForm& maker = makeForm();
            picked = pickedImage(maker, rng);
        }
        // Into a fresh window, and into one whose lists show other items.
        ProbeForm& fresh = makeForm();
        load(fresh, picked);
        expectSameImage(velko::EditImage, picked, "fresh window, seed " + std::to_string(seed));

        std::mt19937 other(seed + 1000);
        pickedImage(fresh, other);
        load(fresh, picked);
        expectSameImage(velko::EditImage, picked, "window with other items, seed " + std::to_string(seed));
    }
}

TEST_F(LoadedPages, FirstAndLastItemsEverywhereLoadBack)
{
    for (const bool last : {false, true}) {
        SegmentImage picked;
        {
            ProbeForm& maker = makeForm();
            QList<QComboBox*> lists = maker.findChildren<QComboBox*>();
            lists.removeAll(maker.OpenModeFunc);
            for (QComboBox* list : lists)
                pick(list, last ? list->count() - 1 : 0);
            maker.ShowRelayTimerTimer(nullptr);
            picked = velko::EditImage;
        }
        ProbeForm& f = makeForm();
        load(f, picked);
        expectSameImage(velko::EditImage, picked, last ? "last items" : "first items");
    }
}

TEST_F(LoadedPages, AValueOfNoItemBecomesTheEncodingOfTheKeptItem)
{
    ProbeForm& f = makeForm();
    pick(f.PassiveTimeFunc, 3); // 53
    pick(f.EMSCounterFunc, 4);  // 40
    pick(f.UpAccTime, 2);       // 33
    pick(f.LEDGleamFunc, 5);    // 20, 100
    SegmentImage image = velko::EditImage;
    SegA(image, 10) = 34;
    SegA(image, 21) = 50;
    SegA(image, 12) = 1;
    SegA(image, 30) = 21;
    SegA(image, 31) = 51;
    load(f, image);
    EXPECT_EQ(f.PassiveTimeFunc->currentIndex(), 3);
    EXPECT_EQ(SegA(velko::EditImage, 10), 53);
    EXPECT_EQ(SegA(velko::EditImage, 21), 40);
    EXPECT_EQ(SegA(velko::EditImage, 12), 33);
    EXPECT_EQ(SegA(velko::EditImage, 30), 20);
    EXPECT_EQ(SegA(velko::EditImage, 31), 100);
}

TEST_F(LoadedPages, AutoOffOfNoListItemKeepsItsTimeWithTheFlagSet)
{
    ProbeForm& f = makeForm();
    SegmentImage image = velko::EditImage;
    SegA(image, 19) = 0x08;
    SegA(image, 24) = 2000 & 0xFF;
    SegA(image, 25) = 2000 >> 8;
    load(f, image);
    EXPECT_EQ(f.AutoOffFunc->currentIndex(), -1);
    EXPECT_EQ(SegA(velko::EditImage, 19) & 0x08, 0x08);
    EXPECT_EQ(velko::GetWord(velko::EditImage[velko::SegmentARow], 24), 2000);
}

TEST_F(LoadedPages, EveryMaskBitIsLoadedWhateverTheCount)
{
    ProbeForm& f = makeForm();
    SegmentImage image = velko::EditImage;
    std::mt19937 rng(7);
    for (int k = 0; k < 44; ++k) {
        SegA(image, velko::RelayMaskLowBase + k) = static_cast<std::uint8_t>(rng());
        SegB(image, k) = static_cast<std::uint8_t>(rng());
    }
    const int counts[] = {3, 0, 16, 1}; // UD, LR, EW, SN
    for (int g = 0; g < 4; ++g)
        SegA(image, 38 + g) = static_cast<std::uint8_t>(counts[g]);
    velko::RelayAssign.fill(1);
    load(f, image);

    for (int k = 0; k < 44; ++k) {
        EXPECT_EQ(SegA(velko::EditImage, velko::RelayMaskLowBase + k), SegA(image, velko::RelayMaskLowBase + k)) << k;
        EXPECT_EQ(SegB(velko::EditImage, k), SegB(image, k)) << k;
    }
    for (int g = 0; g < velko::AxisGroups; ++g)
        for (int column = 1; column <= 11; ++column) {
            const int k = velko::RelayPositionK[g][column];
            const unsigned mask = SegA(image, velko::RelayMaskLowBase + k) | SegB(image, k) << 8;
            for (int relay = 1; relay <= 16; ++relay)
                EXPECT_EQ(velko::RelayAssign[velko::RelayAssignIndex(g, column, relay)], (mask >> (relay - 1)) & 1u)
                    << "group " << g << " column " << column << " relay " << relay;
            EXPECT_EQ(velko::RelayAssign[velko::RelayAssignIndex(g, column, 0)], 0) << "relay 0 is never used";
        }
    EXPECT_EQ(f.UDRelayTable->rowCount(), 4);
    EXPECT_EQ(f.EWRelayTable->rowCount(), 17);
}

TEST_F(LoadedPages, CountsBeyondTheListsEndTheLoadAndLeaveTheWindowUsable)
{
    struct Case {
        int key, ud, lr, ew, sn;
    };
    for (const Case& c :
         {Case{0, 17, 255, 0, 0}, Case{200, 17, 255, 16, 16}, Case{200, 255, 255, 255, 255}, Case{200, 0, 0, 0, 0}}) {
        ProbeForm& f = makeForm();
        SegmentImage image = velko::EditImage;
        for (int k = 0; k < 44; ++k)
            SegA(image, velko::RelayMaskLowBase + k) = SegB(image, k) = 0xFF;
        const int stored[] = {c.key, c.ud, c.lr, c.ew, c.sn};
        for (int i = 0; i < 5; ++i)
            SegA(image, 37 + i) = static_cast<std::uint8_t>(stored[i]);
        load(f, image);
        SettingsLoaded = 1;
        for (int tick = 0; tick < 3; ++tick)
            f.ShowRelayTimerTimer(nullptr);
        for (int g = 0; g < velko::AxisGroups; ++g)
            EXPECT_LE(velko::AxisRelayNum(g), 16) << "group " << g << " after the budget";
        EXPECT_FALSE(AllocationText.isEmpty());

        // Still a window one can work with: a pick goes through and the budget follows it.
        pick(f.LRRelayCount, 2);
        f.ShowRelayTimerTimer(nullptr);
        EXPECT_EQ(SegA(velko::EditImage, 39), c.key >= 40 ? 0 : 2);
        SettingsLoaded = 0;
    }
}

TEST_F(LoadedPages, TheAllocationTableIsRebuiltFromTheLoadedPages)
{
    testsupport::WriteFile(dir.path() / "ETM.vfa", "Act01|Act02|Act03|Act04");
    ProbeForm& f = makeForm();
    SegmentImage image = velko::EditImage;
    SegA(image, 16) = 0x01;        // R0 normal
    SegA(image, 27) = 0x10 | 0x60; // R0's mask bit
    SegA(image, 13) = 0x00;        // R1 not used
    SegA(image, 37) = 1;
    SegA(image, 39) = 2;                              // two LR relays
    SegA(image, velko::RelayMaskLowBase + 5) = 0x01;  // LR centre, relay 1
    SegA(image, velko::RelayMaskLowBase + 15) = 0x02; // LR column 1, relay 2
    load(f, image);
    EXPECT_EQ(AllocationText, "R0|Zero|North/(5)|N/A\r\n");
}

// The same through the real roads: the unit holds a picked image, the window reads it and
// writes it back; the unit then holds what was read, but for the identification it folds in.
class LoadedPagesThroughAUnit : public LoadedPages {
protected:
    static void expectUnitHolds(const SegmentImage& got, const SegmentImage& read, const std::string& what)
    {
        SegmentImage a = got, b = read;
        for (SegmentImage* image : {&a, &b}) {
            SegA(*image, 8) = SegA(*image, 9) = 0;    // check bytes
            for (int k : {96, 97, 98, 100, 101, 102}) // serial number and factory date
                SegB(*image, k) = 0;
        }
        expectSameImage(a, b, what);
    }
};

velko::SegmentImage unitImage(const unitsim::LoaderUnit& unit)
{
    velko::SegmentImage image{};
    const unitsim::Bytes b = unit.bytes(unitsim::map::SegmentB, 128), a = unit.bytes(unitsim::map::SegmentA, 128);
    std::copy(b.begin(), b.end(), image[velko::SegmentBRow].begin());
    std::copy(a.begin(), a.end(), image[velko::SegmentARow].begin());
    return image;
}

TEST_F(LoadedPagesThroughAUnit, ReadThenWriteGivesTheUnitBackItsSettings)
{
    unitsim::World world;
    unitsim::LoaderUnit unit = unitsim::LoaderUnit::receiver();
    world.line.attach(&unit);
    velko::OpenComCall = &::OpenCom;
    for (unsigned seed : {5u, 6u, 7u}) {
        std::mt19937 rng(seed);
        SegmentImage picked;
        {
            ProbeForm& maker = makeForm();
            picked = pickedImage(maker, rng);
        }
        unit.put(unitsim::map::SegmentB, unitsim::Bytes(picked[0].begin(), picked[0].end()));
        unit.put(unitsim::map::SegmentA, unitsim::Bytes(picked[1].begin(), picked[1].end()));
        form.reset();
        dialogs.boxes.clear();
        // The window itself, whose tool bar reaches the unit.
        auto f = std::make_unique<TMainForm>();
        MainForm = f.get();
        f->ReadSetBtnMouseUp(f->ReadSetBtn, Qt::LeftButton, {}, 1, 1);
        ASSERT_EQ(SettingsLoaded, 1) << seed;
        expectSameImage(velko::EditImage, picked, "read, seed " + std::to_string(seed));
        f->WriteSetBtnMouseUp(f->WriteSetBtn, Qt::LeftButton, {}, 1, 1);
        ASSERT_EQ(dialogs.boxes.size(), 2u);
        EXPECT_EQ(dialogs.boxes[1].text, QStringLiteral("寫入設定成功!!"));
        expectUnitHolds(unitImage(unit), picked, "written back, seed " + std::to_string(seed));
        MainForm = nullptr;
        f.reset();
        ExitCom();
    }
}

// And once through the real serial code: velko-unitsim on a pseudo-terminal, holding the
// picked image in its memory file.
TEST_F(LoadedPagesThroughAUnit, ReadThenWriteTheStandaloneUnit)
{
    std::mt19937 rng(99);
    SegmentImage picked;
    {
        ProbeForm& maker = makeForm();
        picked = pickedImage(maker, rng);
    }
    form.reset();
    unitsim::LoaderUnit preset = unitsim::LoaderUnit::receiver();
    preset.put(unitsim::map::SegmentB, unitsim::Bytes(picked[0].begin(), picked[0].end()));
    preset.put(unitsim::map::SegmentA, unitsim::Bytes(picked[1].begin(), picked[1].end()));
    const std::filesystem::path memory = dir.path() / "unit.mem";
    testsupport::WriteFile(memory, std::string(preset.memory().begin(), preset.memory().end()));

    unitsim::StandaloneUnit standalone(VELKO_UNITSIM, {"--unit", "rx", "--memory", memory.string()});
    ASSERT_FALSE(standalone.slave().empty());
    const std::filesystem::path ports = dir.path() / "config" / "VELKO-Q37" / "ports";
    std::filesystem::create_directories(ports);
    std::filesystem::create_symlink(standalone.slave(), ports / "COM1");
    velko::OpenComCall = &::OpenCom;
    dialogs.boxes.clear();
    {
        TMainForm f;
        MainForm = &f;
        f.ReadSetBtnMouseUp(f.ReadSetBtn, Qt::LeftButton, {}, 1, 1);
        ASSERT_EQ(SettingsLoaded, 1);
        expectSameImage(velko::EditImage, picked, "read from the line");
        f.WriteSetBtnMouseUp(f.WriteSetBtn, Qt::LeftButton, {}, 1, 1);
        ASSERT_EQ(dialogs.boxes.size(), 2u);
        EXPECT_EQ(dialogs.boxes[1].text, QStringLiteral("寫入設定成功!!"));
        MainForm = nullptr;
    }
    ExitCom();
    ASSERT_EQ(standalone.stop(), 0);

    const std::string saved = testsupport::ReadFile(memory);
    ASSERT_EQ(saved.size(), 0x10000u);
    SegmentImage written{};
    for (int k = 0; k < 128; ++k) {
        SegB(written, k) = static_cast<std::uint8_t>(saved[0x1000 + static_cast<std::size_t>(k)]);
        SegA(written, k) = static_cast<std::uint8_t>(saved[0x1080 + static_cast<std::size_t>(k)]);
    }
    expectUnitHolds(written, picked, "written back over the line");
}

} // namespace
