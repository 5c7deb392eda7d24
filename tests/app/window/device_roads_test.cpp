// Reading and writing a unit from the window, on a simulated unit and clock, every box
// answered by the recording seam.
#include "identification.h"
#include "loader_unit.h"
#include "mainform.h"
#include "road_boxes.h"
#include "settings_image.h"
#include "standalone_process.h"
#include "test_support.h"
#include "unit_passwords.h"

#include <fenlo.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <functional>
#include <memory>

using namespace roadtest;
using namespace unitsim;
using velko::BoxIcon;

namespace {

// Segments with a byte pattern of their own, so that a copy shows where it came from.
void fillSegments(LoaderUnit& unit, Byte seed)
{
    Bytes b(128), a(128);
    for (int k = 0; k < 128; ++k) {
        b[k] = static_cast<Byte>(seed + k);
        a[k] = static_cast<Byte>(seed ^ (3 * k));
    }
    // An ID code of 1A2B3C in Segment A bytes 2-7.
    const Byte id[6] = {0x0F, 0xA5, 0x33, 0xAA, 0x3C, 0xC3};
    std::copy(id, id + 6, a.begin() + 2);
    unit.put(map::SegmentB, b);
    unit.put(map::SegmentA, a);
}

velko::SegmentImage unitImage(const LoaderUnit& unit)
{
    velko::SegmentImage image{};
    const Bytes b = unit.bytes(map::SegmentB, 128), a = unit.bytes(map::SegmentA, 128);
    std::copy(b.begin(), b.end(), image[velko::SegmentBRow].begin());
    std::copy(a.begin(), a.end(), image[velko::SegmentARow].begin());
    return image;
}

class DeviceRoadTest : public RoadWindowTest {
protected:
    DeviceRoadTest() : RoadWindowTest("velko-device") {}

    void SetUp() override
    {
        RoadWindowTest::SetUp();
        world.line.attach(&unit);
    }

    void read(TMainForm& f) { f.ReadSetBtnMouseUp(f.ReadSetBtn, Qt::LeftButton, {}, 5, 5); }
    void write(TMainForm& f) { f.WriteSetBtnMouseUp(f.WriteSetBtn, Qt::RightButton, {}, 5, 5); }

    void expectIdle(TMainForm& f)
    {
        for (auto* b : {f.OpenFileBtn, f.SaveFileBtn, f.PrintBtn, f.ReadSetBtn, f.WriteSetBtn, f.AboutBtn})
            EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";
    }

    World world;
    LoaderUnit unit = LoaderUnit::transmitter();
};

struct ReadCase {
    const char* name;
    std::function<LoaderUnit()> make;
    std::vector<Box> boxes;
    bool loaded;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadRoad : public DeviceRoadTest, public ::testing::WithParamInterface<ReadCase> {};

} // namespace

TEST_P(ReadRoad, EndsWithItsBoxAndTheImagesItFound)
{
    const ReadCase& c = GetParam();
    unit = c.make();
    TMainForm& f = makeForm();
    const velko::SegmentImage editBefore = velko::EditImage;
    const velko::SegmentImage expected = unitImage(unit);
    f.PageControl->setCurrentIndex(3);

    read(f);

    EXPECT_EQ(boxes(), c.boxes);
    EXPECT_EQ(SettingsLoaded, c.loaded ? 1 : 0);
    EXPECT_EQ(f.ProgressBar->maximum(), 5);
    EXPECT_EQ(f.ProgressBar->value(), 5);
    EXPECT_EQ(f.PageControl->currentIndex(), 0) << "a read shows the general page first";
    expectIdle(f);
    if (c.loaded) {
        // The pages took the image; EditImage holds what they show, the rest as read.
        EXPECT_EQ(velko::ReadImage, expected);
        EXPECT_EQ(velko::BaselineImage, expected);
        for (int k : {0, 1, 2, 7, 42, 125, 127})
            EXPECT_EQ(velko::SegA(velko::EditImage, k), velko::SegA(expected, k)) << "Segment A " << k;
        for (int k : {49, 50, 58, 95, 99, 103, 107})
            EXPECT_EQ(velko::SegB(velko::EditImage, k), velko::SegB(expected, k)) << "Segment B " << k;
    } else {
        EXPECT_EQ(velko::EditImage, editBefore);
        EXPECT_EQ(velko::BaselineImage, velko::SegmentImage{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Units, ReadRoad,
    ::testing::Values(ReadCase{"Transmitter",
                               [] {
                                   auto u = LoaderUnit::transmitter();
                                   fillSegments(u, 0x10);
                                   return u;
                               },
                               {ReadDone},
                               true},
                      ReadCase{"ReceiverAfterTheTransmitterPasswordIsRefused",
                               [] {
                                   auto u = LoaderUnit::receiver();
                                   fillSegments(u, 0x40);
                                   return u;
                               },
                               {ReadDone},
                               true},
                      ReadCase{"ReceiverWithPatchedLoader",
                               [] {
                                   auto u = LoaderUnit::receiver();
                                   u.setLoader(LoaderKind::NeedsPatch);
                                   fillSegments(u, 0x50);
                                   return u;
                               },
                               {ReadDone},
                               true},
                      ReadCase{"NoVersionAtAllStillReads",
                               [] {
                                   auto u = LoaderUnit::transmitter();
                                   u.put(map::VersionBytes, Bytes(16, 0x00));
                                   fillSegments(u, 0x60);
                                   return u;
                               },
                               {ReadDone},
                               true},
                      ReadCase{"ErasedUnitHasNoModelTag", [] { return LoaderUnit::erased(); }, {WrongModel}, false},
                      ReadCase{"UnknownUnitRefusesEveryPassword",
                               [] {
                                   return LoaderUnit::transmitter(VectorTable{1, 2, 3});
                               },
                               {ConnectFailed, ReadFailed},
                               false},
                      ReadCase{"NoUnitOnTheLine",
                               [] {
                                   auto u = LoaderUnit::transmitter();
                                   u.entry = Entry::Neither;
                                   return u;
                               },
                               {ConnectFailed, ReadFailed},
                               false},
                      ReadCase{"SegmentBUnanswered",
                               [] {
                                   auto u = LoaderUnit::transmitter();
                                   u.inject({FaultKind::NoAnswer, 0x14, map::SegmentB});
                                   return u;
                               },
                               {ReadFailed},
                               false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(UnitPresets, CarryTheProgramsPasswords)
{
    EXPECT_EQ(LoaderUnit::TransmitterVectors, velko::TxPasswordTable);
    EXPECT_EQ(LoaderUnit::ReceiverVectors, velko::RxPasswordTable);
}

TEST_F(DeviceRoadTest, ReadShowsTheUnitsIdentification)
{
    fillSegments(unit, 0x20);
    TMainForm& f = makeForm();
    read(f);
    EXPECT_EQ(f.IDCODE->text(), "371A2B3C");
    EXPECT_EQ(f.MachineSN->text(), "37241093") << "the transmitter preset's serial";
    EXPECT_EQ(f.EEqupmentDate->text(), "2024/05/17");
}

TEST_F(DeviceRoadTest, ModelTagNeedsOneLetterInItsPlace)
{
    struct Case {
        Bytes tag;
        std::vector<Box> boxes;
    };
    for (const Case& c : {Case{{'Q', 'x', 'x'}, {ReadDone}}, Case{{'x', '3', 'x'}, {ReadDone}},
                          Case{{'x', 'x', '7'}, {ReadDone}}, Case{{'x', 'x', 'x'}, {WrongModel}}}) {
        unit.put(0xFFD6, c.tag);
        dialogs.boxes.clear();
        TMainForm& f = makeForm();
        read(f);
        EXPECT_EQ(boxes(), c.boxes) << std::string(c.tag.begin(), c.tag.end());
        form.reset();
        ExitCom();
    }
}

TEST_F(DeviceRoadTest, WriteBeforeAnyReadSendsNothing)
{
    TMainForm& f = makeForm();
    world.line.clearRecords();
    write(f);
    EXPECT_EQ(boxes(), std::vector<Box>{NotLoaded});
    EXPECT_TRUE(world.line.received().empty());
    EXPECT_TRUE(world.line.modemChanges().empty());
    expectIdle(f);
}

TEST_F(DeviceRoadTest, WriteAfterReadPutsTheEditedImageOnTheUnit)
{
    fillSegments(unit, 0x30);
    TMainForm& f = makeForm();
    read(f);
    ASSERT_EQ(SettingsLoaded, 1);
    const velko::SegmentImage asRead = velko::EditImage;
    velko::SegA(velko::EditImage, 42) = 0x5A;
    velko::SegB(velko::EditImage, 60) = 0xA5;
    f.IDCODE->setText(QStringLiteral("37123   "));
    dialogs.boxes.clear();

    write(f);

    EXPECT_EQ(boxes(), std::vector<Box>{WriteDone});
    EXPECT_EQ(f.ProgressBar->maximum(), 6);
    EXPECT_EQ(f.ProgressBar->value(), 6);
    EXPECT_EQ(f.IDCODE->text(), "37000123");
    velko::SegmentImage expected = velko::EditImage;
    EXPECT_EQ(unitImage(unit), expected);
    EXPECT_EQ(velko::SegA(expected, 2), 0x00);
    EXPECT_EQ(velko::SegA(expected, 7), 0x3C);
    EXPECT_EQ(unit.bytes(map::SegmentB + 96, 3), (Bytes{0x24, 0x10, 0x93})) << "serial 241093, two digits a byte";
    EXPECT_EQ(unit.bytes(map::SegmentB + 100, 3), (Bytes{0x24, 0x05, 0x17})) << "the factory date as BCD";
    velko::CalculateCheckBytes(expected);
    EXPECT_EQ(velko::SegA(velko::EditImage, 8), velko::SegA(expected, 8));
    EXPECT_EQ(velko::SegA(velko::EditImage, 9), velko::SegA(expected, 9));
    // Every other byte goes back as it was read: only the edits and the folded
    // identification (ID code and check bytes, serial, factory date) differ.
    const velko::SegmentImage held = unitImage(unit);
    for (int k = 0; k < velko::SegmentBytes; ++k) {
        if (k != 42 && (k < 2 || k > 9)) {
            EXPECT_EQ(velko::SegA(held, k), velko::SegA(asRead, k)) << "Segment A byte " << k;
        }
        if (k != 60 && (k < 96 || k > 102 || k == 99)) {
            EXPECT_EQ(velko::SegB(held, k), velko::SegB(asRead, k)) << "Segment B byte " << k;
        }
    }
    EXPECT_EQ(SettingsLoaded, 1);
    expectIdle(f);
}

TEST_F(DeviceRoadTest, WriteWithPatchedLoader)
{
    unit = LoaderUnit::receiver();
    unit.setLoader(LoaderKind::NeedsPatch);
    TMainForm& f = makeForm();
    read(f);
    velko::SegA(velko::EditImage, 42) = 0x77;
    dialogs.boxes.clear();
    write(f);
    EXPECT_EQ(boxes(), std::vector<Box>{WriteDone});
    EXPECT_EQ(unitImage(unit), velko::EditImage);
}

TEST_F(DeviceRoadTest, WriteThatTheUnitRefusesEndsInTheWriteFailure)
{
    TMainForm& f = makeForm();
    read(f);
    unit.inject({FaultKind::Refuse, 0x12, map::SegmentB});
    dialogs.boxes.clear();
    write(f);
    EXPECT_EQ(boxes(), std::vector<Box>{WriteFailed});
    EXPECT_EQ(f.ProgressBar->value(), 6);
    expectIdle(f);
}

TEST_F(DeviceRoadTest, UnprogrammedSerialFailsTheWriteUntilEnterFillsIt)
{
    unit.put(0xFFD0, Bytes(6, 0xFF));
    TMainForm& f = makeForm();
    read(f);
    EXPECT_EQ(f.MachineSN->text(), "37      ") << "an unprogrammed serial stays empty";
    dialogs.boxes.clear();
    world.line.clearRecords();

    write(f);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, QStringLiteral("'0x  ' is not a valid integer value"));
    EXPECT_TRUE(world.line.received().empty()) << "nothing is sent";
    expectIdle(f);

    QTest::keyClick(f.MachineSN, Qt::Key_Return);
    EXPECT_EQ(f.MachineSN->text(), "37000000");
    dialogs.boxes.clear();
    write(f);
    EXPECT_EQ(boxes(), std::vector<Box>{WriteDone});
    EXPECT_EQ(unit.bytes(map::SegmentB + 96, 3), (Bytes{0, 0, 0}));
}

TEST_F(DeviceRoadTest, AnIdByteThatIsNoCodewordShowsAsEE)
{
    fillSegments(unit, 0x20);
    unit.put(map::SegmentA + 4, {0x12});
    TMainForm& f = makeForm();
    read(f);
    EXPECT_EQ(f.IDCODE->text(), "371AEEB3") << "two characters for one byte; the six after 37 are kept";
}

TEST_F(DeviceRoadTest, WithoutPortEveryHandshakeSaysSoAndTheReadFails)
{
    TMainForm& f = makeForm();
    ExitCom();
    read(f);
    const Box portError{"連接埠開啟錯誤,請設定您的連接埠並重新啟動程式", "連接埠錯誤!", BoxIcon::Error};
    const std::vector<Box> got = boxes();
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got.front(), portError);
    EXPECT_EQ(got[got.size() - 2], ConnectFailed);
    EXPECT_EQ(got.back(), ReadFailed);
}

// The same roads through the real serial code, against the unit served on a pseudo-terminal.
TEST(DeviceRoadsOnALine, ReadThenWriteTheStandaloneUnit)
{
    testsupport::ScopedWorkDir dir{"velko-line"};
    testsupport::ResetProgramState(dir.path() / "config");
    testsupport::WriteFile(dir.path() / "ETM.vfa", "<td>Act01</td>");
    testsupport::WriteFile(dir.path() / "Vie32.vfd", "");
    const std::filesystem::path memory = dir.path() / "unit.mem";
    StandaloneUnit standalone(VELKO_UNITSIM, {"--unit", "rx", "--memory", memory.string()});
    ASSERT_FALSE(standalone.slave().empty());
    const std::filesystem::path ports = dir.path() / "config" / "VELKO-Q37" / "ports";
    std::filesystem::create_directories(ports);
    std::filesystem::create_symlink(standalone.slave(), ports / "COM1");

    RecordingDialogs dialogs;
    {
        TMainForm f;
        MainForm = &f;
        f.ReadSetBtnMouseUp(f.ReadSetBtn, Qt::LeftButton, {}, 1, 1);
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].text, QStringLiteral("讀取設定完成!!"));
        EXPECT_EQ(f.MachineSN->text(), "37241094");

        velko::SegB(velko::EditImage, 60) = 0x42;
        f.WriteSetBtnMouseUp(f.WriteSetBtn, Qt::LeftButton, {}, 1, 1);
        ASSERT_EQ(dialogs.boxes.size(), 2u);
        EXPECT_EQ(dialogs.boxes[1].text, QStringLiteral("寫入設定成功!!"));
        MainForm = nullptr;
    }
    ExitCom();
    ASSERT_EQ(standalone.stop(), 0);

    const std::string saved = testsupport::ReadFile(memory);
    ASSERT_EQ(saved.size(), 0x10000u);
    for (int k = 0; k < 128; ++k) {
        EXPECT_EQ(static_cast<Byte>(saved[0x1000 + k]), velko::SegB(velko::EditImage, k)) << "Segment B byte " << k;
        EXPECT_EQ(static_cast<Byte>(saved[0x1080 + k]), velko::SegA(velko::EditImage, k)) << "Segment A byte " << k;
    }
    EXPECT_EQ(static_cast<Byte>(saved[0x1000 + 60]), 0x42);
}
