// The simulated unit's presets read into the window through the tool bar, as a newcomer
// first meets them: every list shows an item, the relays fit the budget and have their
// positions, the battery bands are ones the special page accepts, and the settings are
// those the program itself would write back.
#include "battery_limits.h"
#include "identification.h"
#include "loader_unit.h"
#include "mainform.h"
#include "road_boxes.h"
#include "settings_image.h"
#include "standalone_process.h"

#include <fenlo.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

using namespace roadtest;

namespace {

enum class Kind { Transmitter, Receiver };
enum class Wire { Simulated, Pty };

struct PresetCase {
    Kind kind;
    Wire wire;
};

std::string NameOf(const PresetCase& c)
{
    return std::string(c.wire == Wire::Pty ? "Pty" : "Line")
         + (c.kind == Kind::Transmitter ? "Transmitter" : "Receiver");
}

void PrintTo(const PresetCase& c, std::ostream* os) { *os << NameOf(c); }

// The bytes in which two images differ, as "A 21: 5 (20)" for Segment A byte 21; empty when equal.
std::string Differences(const velko::SegmentImage& got, const velko::SegmentImage& want)
{
    std::string out;
    for (int row : {velko::SegmentARow, velko::SegmentBRow})
        for (int k = 0; k < velko::SegmentBytes; ++k)
            if (got[row][k] != want[row][k])
                out += std::string(row == velko::SegmentARow ? " A " : " B ") + std::to_string(k) + ": "
                     + std::to_string(got[row][k]) + " (" + std::to_string(want[row][k]) + ")";
    return out;
}

class UnitPresetRead : public RoadWindowTest, public ::testing::WithParamInterface<PresetCase> {
protected:
    UnitPresetRead() : RoadWindowTest("velko-presets") {}

    // The unit of the case, on the simulated line or served by velko-unitsim as COM1.
    bool startUnit()
    {
        const bool tx = GetParam().kind == Kind::Transmitter;
        if (GetParam().wire == Wire::Simulated) {
            world.emplace();
            unit = tx ? unitsim::LoaderUnit::transmitter() : unitsim::LoaderUnit::receiver();
            world->line.attach(&unit);
            return true;
        }
        standalone = std::make_unique<unitsim::StandaloneUnit>(VELKO_UNITSIM,
                                                               std::vector<std::string>{"--unit", tx ? "tx" : "rx"});
        if (standalone->slave().empty())
            return false;
        const std::filesystem::path ports = dir.path() / "config" / "VELKO-Q37" / "ports";
        std::filesystem::create_directories(ports);
        std::filesystem::create_symlink(standalone->slave(), ports / "COM1");
        return true;
    }

    void TearDown() override
    {
        RoadWindowTest::TearDown();
        standalone.reset();
    }

    std::optional<unitsim::World> world;
    unitsim::LoaderUnit unit;
    std::unique_ptr<unitsim::StandaloneUnit> standalone;
};

TEST_P(UnitPresetRead, LooksLikeAUnitFromTheFactory)
{
    ASSERT_TRUE(startUnit());
    TMainForm& f = makeForm();
    int ticks = 0;
    QObject::connect(f.ShowRelayTimer, &QTimer::timeout, [&ticks] { ++ticks; });

    QTest::mouseClick(f.ReadSetBtn, Qt::LeftButton);
    // In real time a busy machine can miss the loader's short waits; the preset is the same
    // on a second read.
    if (GetParam().wire == Wire::Pty && boxes() != Boxes{ReadDone}) {
        std::printf("first read on the pty ended otherwise; once more\n");
        dialogs.boxes.clear();
        QTest::mouseClick(f.ReadSetBtn, Qt::LeftButton);
    }
    ASSERT_EQ(boxes(), Boxes{ReadDone});
    ASSERT_EQ(SettingsLoaded, 1);
    // The budget timer's next tick shows the free relays.
    const int loadedAt = ticks;
    QTRY_VERIFY_WITH_TIMEOUT(ticks > loadedAt, 5000);

    // Every list of the settings pages shows one of its items: the loader sets all of them
    // but the power-on mode, which start-up sets.
    const QList<QComboBox*> lists = f.PageControl->findChildren<QComboBox*>();
    ASSERT_FALSE(lists.isEmpty());
    for (const QComboBox* list : lists)
        EXPECT_GE(list->currentIndex(), 0) << list->objectName().toStdString();

    // Relays within the budget, and each relay of an axis on at some lever position.
    bool isNumber = false;
    const int freeRelays = f.RelayCounterLabel->text().toInt(&isNumber);
    EXPECT_TRUE(isNumber) << f.RelayCounterLabel->text().toStdString();
    EXPECT_GE(freeRelays, 0);
    EXPECT_LE(freeRelays, 40);
    EXPECT_GT(velko::KeyRelayCount, 0);
    for (int group = 0; group < velko::AxisGroups; ++group) {
        const int count = velko::AxisRelayNum(group);
        EXPECT_GT(count, 0) << "axis " << group;
        for (int relay = 1; relay <= 16; ++relay) {
            bool used = false;
            for (int position = 1; position < velko::RelayPositions; ++position)
                used = used || velko::RelayAssign[velko::RelayAssignIndex(group, position, relay)] != 0;
            EXPECT_EQ(used, relay <= count) << "axis " << group << ", relay " << relay;
        }
    }

    // Battery bands that the special page would take as typed: each voltage up to 6.40,
    // high above low; the unit's words are those the program works out from them.
    struct Band {
        QLineEdit *high, *low;
        velko::BatteryPair pair;
    };
    for (const Band& band : {Band{f.BattUp, f.BattUp1, velko::BatteryPair::Upper},
                             Band{f.BattDown, f.BattDown1, velko::BatteryPair::Lower}}) {
        const std::string high = band.high->text().toStdString(), low = band.low->text().toStdString();
        const auto h = velko::BatteryVoltage(high), l = velko::BatteryVoltage(low);
        ASSERT_TRUE(h && l) << high << " " << low;
        EXPECT_GT(*l, 0.0f) << low;
        EXPECT_LE(*h, 6.40f) << high;
        EXPECT_GT(*h, *l) << high << " " << low;
        velko::SegmentImage stored = velko::BaselineImage;
        ASSERT_TRUE(velko::StoreBatteryPair(high, low, band.pair, stored));
        EXPECT_EQ(Differences(velko::BaselineImage, stored), "") << high << " " << low;
    }

    // What the program writes: loading changed no byte, and folding the identification the
    // fields show, check bytes included, gives the unit's own bytes back.
    EXPECT_EQ(Differences(velko::EditImage, velko::BaselineImage), "") << "loaded (as read)";
    for (const QString& digits : {f.IDCODE->text().mid(2), f.MachineSN->text().mid(2)}) {
        EXPECT_EQ(digits.size(), 6) << digits.toStdString();
        for (const QChar c : digits)
            EXPECT_TRUE(c.isDigit()) << digits.toStdString();
    }
    velko::SegmentImage folded = velko::BaselineImage;
    velko::FoldIdentification({f.IDCODE->text(), f.MachineSN->text(), f.EEqupmentDate->text()}, folded);
    velko::CalculateCheckBytes(folded);
    EXPECT_EQ(Differences(folded, velko::BaselineImage), "") << "folded (as read)";
}

INSTANTIATE_TEST_SUITE_P(Presets, UnitPresetRead,
                         ::testing::Values(PresetCase{Kind::Transmitter, Wire::Simulated},
                                           PresetCase{Kind::Receiver, Wire::Simulated},
                                           PresetCase{Kind::Transmitter, Wire::Pty},
                                           PresetCase{Kind::Receiver, Wire::Pty}),
                         [](const auto& p) { return NameOf(p.param); });

// The two units of a set: one ID code and one set of settings, each its own serial number.
TEST(UnitPresets, AreTwoUnitsOfOneSet)
{
    const unitsim::LoaderUnit tx = unitsim::LoaderUnit::transmitter(), rx = unitsim::LoaderUnit::receiver();
    EXPECT_EQ(tx.bytes(unitsim::map::SegmentA, 128), rx.bytes(unitsim::map::SegmentA, 128));
    EXPECT_NE(tx.bytes(0xFFD0, 6), rx.bytes(0xFFD0, 6));
    EXPECT_NE(tx.bytes(unitsim::map::SegmentB + 96, 3), rx.bytes(unitsim::map::SegmentB + 96, 3));
    EXPECT_NE(tx.bytes(unitsim::map::Vectors, 32), rx.bytes(unitsim::map::Vectors, 32));
}

} // namespace
