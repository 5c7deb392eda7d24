// Saving and opening settings files from the tool bar of a real window, the dialogs answered
// by the recording seam.
#include "identification.h"
#include "mainform.h"
#include "recording_dialogs.h"
#include "settings_file.h"
#include "settings_image.h"
#include "test_support.h"
#include "text_file.h"

#include <fenlo.h>
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using velko::BoxIcon;
using velko::CustomerRecord;
using velko::SegmentImage;
using velko::KeyRelayCount;
using velko::UDRelayNum;
using velko::LRRelayNum;
using velko::EWRelayNum;
using velko::SNRelayNum;
namespace fs = std::filesystem;

namespace {

using Box = std::tuple<std::string, std::string, BoxIcon>;

const Box NotLoaded{"請先開啟或讀取設定!", "錯誤", BoxIcon::Error};
const Box Saved{"儲存檔案完成!!", "儲存檔案", BoxIcon::Information};
const Box Opened{"檔案開啟完成!!", "開啟檔案", BoxIcon::Information};

Box notSettings(const fs::path& file) { return {file.string() + " 不是設定檔,未開啟!", "開啟檔案", BoxIcon::Error}; }
Box frameworkError(const std::string& text) { return {text, "VELKO-Q37", BoxIcon::Error}; }

const fs::path Fixtures = fs::path(VELKO_SOURCE_DIR) / "tests" / "app" / "fixtures";

// A recording seam that can look at the window while a box is up.
class ProbingDialogs : public RecordingDialogs {
public:
    void messageBox(const velko::MessageRequest& request) override
    {
        RecordingDialogs::messageBox(request);
        if (onBox)
            onBox();
    }
    std::function<void()> onBox;
};

// Segment B byte k = k, Segment A byte k = 0xFF - k.
SegmentImage patternImage()
{
    SegmentImage image{};
    for (int k = 0; k < velko::SegmentBytes; ++k) {
        velko::SegB(image, k) = static_cast<std::uint8_t>(k);
        velko::SegA(image, k) = static_cast<std::uint8_t>(0xFF - k);
    }
    return image;
}

// clang-format off
const CustomerRecord SampleCustomer = {"A-0001",  "大同機械股份有限公司", "02-2345-6789", "02-2345-6788",
                                       "s@x.tw",  "台北市中山區\n民生東路 1 號", "王小明", "02-2345-6787",
                                       "0912",    "w@x.tw", "天車 3 號\n\n備用", "12", "433.925"};
// clang-format on

// Runs `work` in a child process and gives its exit code (-1 when it did not exit).
int inChild(const std::function<int()>& work)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ResetProgramState(dir.path() / "config");
        testsupport::WriteFile(dir.path() / "ETM.vfa", "<td>Act01</td>");
        testsupport::WriteFile(dir.path() / "Vie32.vfd", "");
        velko::OpenComCall = [](const char* name) -> const char* { return name; };
    }

    void TearDown() override
    {
        form.reset();
        MainForm = nullptr;
        velko::OpenComCall = &::OpenCom;
    }

    TMainForm& makeForm()
    {
        form = std::make_unique<TMainForm>();
        MainForm = form.get();
        return *form;
    }

    // A window with settings loaded, identification fields that fold, and a filled page.
    TMainForm& loadedForm()
    {
        TMainForm& f = makeForm();
        velko::EditImage = patternImage();
        f.IDCODE->setText(QStringLiteral("371A2B3C"));
        f.MachineSN->setText(QStringLiteral("37ABCDEF"));
        f.EEqupmentDate->setText(QStringLiteral("2005/08/12"));
        setCustomer(f, SampleCustomer);
        SettingsLoaded = 1;
        return f;
    }

    void save(TMainForm& f) { QTest::mouseClick(f.SaveFileBtn, Qt::LeftButton); }
    void open(TMainForm& f) { QTest::mouseClick(f.OpenFileBtn, Qt::RightButton); }

    static std::array<QWidget*, 13> customerControls(TMainForm& f)
    {
        return {f.ECustomerNo, f.ECompanyName, f.ECompanyFax, f.ECompanyTel,   f.ECompanyEmail,
                f.MCompanyAdd, f.EContectName, f.EContectTel, f.EContectMobil, f.EContectEmail,
                f.MRemark,     f.EChanel,      f.EFrequency};
    }
    static void setCustomer(TMainForm& f, const CustomerRecord& record)
    {
        const auto controls = customerControls(f);
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (auto* edit = qobject_cast<QLineEdit*>(controls[i]))
                edit->setText(QString::fromStdString(record[i]));
            else
                qobject_cast<QPlainTextEdit*>(controls[i])->setPlainText(QString::fromStdString(record[i]));
        }
    }
    static CustomerRecord customer(TMainForm& f)
    {
        CustomerRecord record;
        const auto controls = customerControls(f);
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (auto* edit = qobject_cast<QLineEdit*>(controls[i]))
                record[i] = edit->text().toStdString();
            else
                record[i] = qobject_cast<QPlainTextEdit*>(controls[i])->toPlainText().toStdString();
        }
        return record;
    }

    std::vector<Box> boxes() const
    {
        std::vector<Box> out;
        for (const auto& b : dialogs.boxes)
            out.emplace_back(b.text.toStdString(), b.caption.toStdString(), b.icon);
        return out;
    }

    // The tool bar back on and the relay timer running.
    void expectIdle(TMainForm& f)
    {
        for (auto* b : {f.OpenFileBtn, f.SaveFileBtn, f.PrintBtn, f.ReadSetBtn, f.WriteSetBtn, f.AboutBtn})
            EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_TRUE(f.ShowRelayTimer->isActive());
    }

    fs::path file(const std::string& name) const { return dir.path() / name; }

    testsupport::ScopedWorkDir dir{"velko-settings-file"};
    ProbingDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

// ---- Saving ----

TEST_F(SettingsFileTest, SaveWritesTheFoldedImageAndTheCustomerPageInCp950)
{
    TMainForm& f = loadedForm();
    bool busyDuringBox = false;
    dialogs.onBox = [&] { busyDuringBox = !f.OpenFileBtn->isEnabled(); };
    dialogs.fileAnswer = QString::fromStdString(file("unit 7").string());
    save(f);

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "VELKO-Q37 Format (*.Q37)");
    EXPECT_EQ(dialogs.fileRequests[0].defaultSuffix, "Q37");
    EXPECT_EQ(boxes(), std::vector<Box>{Saved});
    EXPECT_TRUE(busyDuringBox) << "the tool bar is enabled after the completion box";
    expectIdle(f);
    ASSERT_TRUE(fs::exists(file("unit 7.Q37"))) << "a name without extension gets .Q37";
    EXPECT_FALSE(fs::exists(file("unit 7")));

    // The fold went into EditImage first: ID code, serial, date, check bytes.
    SegmentImage expected = patternImage();
    velko::FoldIdentification({"371A2B3C", "37ABCDEF", "2005/08/12"}, expected);
    velko::CalculateCheckBytes(expected);
    EXPECT_EQ(velko::EditImage, expected);

    const std::string bytes = testsupport::ReadFile(file("unit 7.Q37"));
    EXPECT_EQ(bytes, velko::Utf8ToCp950(velko::JoinLines(velko::SettingsFileLines(expected, SampleCustomer))));
    EXPECT_EQ(bytes.substr(0, 7), "INFOB\r\n");
    EXPECT_EQ(bytes.substr(7, 49), "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\n");
    EXPECT_NE(bytes.find("Company Name:\xA4\x6A\xA6\x50"), std::string::npos) << "大同 in code page 950";
    EXPECT_NE(bytes.find("Company Address:\xA5\x78\xA5\x5F\xA5\xAB\xA4\xA4\xA4\x73\xB0\xCF\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "End\r\n");
}

TEST_F(SettingsFileTest, SaveOfAnEmptyCustomerPageGivesTheLabelsAlone)
{
    TMainForm& f = loadedForm();
    setCustomer(f, {});
    dialogs.fileAnswer = QString::fromStdString(file("empty.Q37").string());
    save(f);
    const std::string bytes = testsupport::ReadFile(file("empty.Q37"));
    ASSERT_GE(bytes.size(), 801u);
    EXPECT_EQ(bytes.substr(801),
              "Customer No:\r\nCompany Name:\r\nCompany Fax No:\r\nCompany Tel:\r\nCompany E-Mail:\r\n"
              "Company Address:\r\nContect Man:\r\nContect Tel:\r\nContect Mobile:\r\nContect E-mail:\r\n"
              "Remark:\r\nChanel:\r\nFrequency:\r\nEnd\r\n");
}

struct RefusedSaveCase {
    const char* name;
    std::function<void(TMainForm&)> arrange;
    Box box;
    bool folded; // the save changed EditImage before it stopped
};

void PrintTo(const RefusedSaveCase& c, std::ostream* os) { *os << c.name; }

class RefusedSave : public SettingsFileTest, public ::testing::WithParamInterface<RefusedSaveCase> {};

TEST_P(RefusedSave, OpensNoDialogAndWritesNothing)
{
    const RefusedSaveCase& c = GetParam();
    TMainForm& f = loadedForm();
    c.arrange(f);
    dialogs.fileAnswer = QString::fromStdString(file("never.Q37").string());
    save(f);
    EXPECT_EQ(boxes(), std::vector<Box>{c.box});
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_FALSE(fs::exists(file("never.Q37")));
    EXPECT_EQ(velko::EditImage != patternImage(), c.folded);
    expectIdle(f);
}

INSTANTIATE_TEST_SUITE_P(
    Saves, RefusedSave,
    ::testing::Values(
        RefusedSaveCase{"NothingLoaded",
                        [](TMainForm& f) {
                            SettingsLoaded = 0;
                            f.IDCODE->setText(QStringLiteral("3712    "));
                        },
                        NotLoaded, false},
        RefusedSaveCase{"SerialThatIsNoNumber", [](TMainForm& f) { f.MachineSN->setText(QStringLiteral("37")); },
                        frameworkError("'0x  ' is not a valid integer value"), true},
        RefusedSaveCase{"CharacterWithoutCp950Form",
                        [](TMainForm& f) { f.ECompanyName->setText(QStringLiteral("Straße GmbH")); },
                        {"「公 司 名 稱」中有 cp950 無法存放的字元,檔案未儲存!", "錯誤", BoxIcon::Error},
                        true},
        RefusedSaveCase{"EmojiInTheRemark",
                        [](TMainForm& f) { f.MRemark->setPlainText(QString::fromUtf8("ok \xF0\x9F\x98\x80")); },
                        {"「安裝備註」中有 cp950 無法存放的字元,檔案未儲存!", "錯誤", BoxIcon::Error},
                        true},
        RefusedSaveCase{"PrivateUseWithoutACode",
                        [](TMainForm& f) { f.EContectName->setText(QString::fromUtf8("\uF6B0\uF849")); },
                        {"「連絡人姓名」中有 cp950 無法存放的字元,檔案未儲存!", "錯誤", BoxIcon::Error},
                        true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SettingsFileTest, SaveWithNothingLoadedStillZeroFillsTheIdCode)
{
    TMainForm& f = makeForm();
    f.IDCODE->setText(QStringLiteral("37123   "));
    save(f);
    EXPECT_EQ(f.IDCODE->text(), "37000123");
    EXPECT_EQ(boxes(), std::vector<Box>{NotLoaded});
}

TEST_F(SettingsFileTest, CancelledSaveWritesNothingButKeepsTheFold)
{
    TMainForm& f = loadedForm();
    dialogs.fileAnswer.clear();
    save(f);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(boxes().empty());
    EXPECT_NE(velko::EditImage, patternImage());
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().extension(), ".Q37");
    expectIdle(f);
}

struct ReplaceCase {
    const char* name;
    std::deque<bool> answers;
    QStringList files; // the dialog's answers in turn
    bool replaced, otherWritten;
    std::size_t questions;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }

class ReplaceExisting : public SettingsFileTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceExisting, AsksFirst)
{
    const ReplaceCase& c = GetParam();
    TMainForm& f = loadedForm();
    testsupport::WriteFile(file("old.Q37"), "OLD");
    dialogs.askAnswers = c.answers;
    for (const QString& name : c.files)
        dialogs.fileAnswers.append(name.isEmpty() ? name : QString::fromStdString(file(name.toStdString()).string()));
    save(f);

    ASSERT_EQ(dialogs.questions.size(), c.questions);
    EXPECT_EQ(dialogs.questions[0].text.toStdString(), "old.Q37 已存在。\n您要取代它嗎?");
    EXPECT_EQ(dialogs.questions[0].caption.toStdString(), "儲存檔案");
    EXPECT_EQ(dialogs.fileRequests.size(), static_cast<std::size_t>(c.files.size()));
    EXPECT_EQ(testsupport::ReadFile(file("old.Q37")) != "OLD", c.replaced);
    EXPECT_EQ(fs::exists(file("other.Q37")), c.otherWritten);
    EXPECT_EQ(boxes().size(), c.replaced || c.otherWritten ? 1u : 0u);
    expectIdle(f);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Saves, ReplaceExisting,
    ::testing::Values(ReplaceCase{.name = "Yes", .answers = {true}, .files = {"old.Q37"}, .replaced = true,
                                  .otherWritten = false, .questions = 1},
                      ReplaceCase{.name = "YesWithoutExtension", .answers = {true}, .files = {"old"}, .replaced = true,
                                  .otherWritten = false, .questions = 1},
                      ReplaceCase{.name = "NoThenCancel", .answers = {false}, .files = {"old.Q37", ""},
                                  .replaced = false, .otherWritten = false, .questions = 1},
                      ReplaceCase{.name = "NoThenAnotherName", .answers = {false}, .files = {"old.Q37", "other.Q37"},
                                  .replaced = false, .otherWritten = true, .questions = 1},
                      ReplaceCase{.name = "NoThenYes", .answers = {false, true}, .files = {"old.Q37", "old.Q37"},
                                  .replaced = true, .otherWritten = false, .questions = 2}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

// A save that cannot write leaves the old file whole and shows no completion box. Run in a
// child process, which may take another user's rights or a file-size limit.
struct FailedWriteCase {
    const char* name;
    std::function<void()> limit; // in the child, before the save
};

void PrintTo(const FailedWriteCase& c, std::ostream* os) { *os << c.name; }

class FailedWrite : public SettingsFileTest, public ::testing::WithParamInterface<FailedWriteCase> {};

TEST_P(FailedWrite, LeavesTheOldFileWhole)
{
    TMainForm& f = loadedForm();
    const fs::path folder = file("locked");
    fs::create_directory(folder);
    const fs::path target = folder / "unit.Q37";
    testsupport::WriteFile(target, "OLD SETTINGS\r\n");
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                    | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                                | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    dialogs.fileAnswer = QString::fromStdString(target.string());
    dialogs.askAnswers = {true};

    const Box expected = frameworkError("Cannot create file " + target.string());
    const int code = inChild([&] {
        GetParam().limit();
        save(f);
        if (boxes() != std::vector<Box>{expected})
            return 2;
        return f.SaveFileBtn->isEnabled() ? 0 : 3;
    });
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(code, 0) << "2: other boxes than the error, 3: tool bar left disabled";
    EXPECT_EQ(testsupport::ReadFile(target), "OLD SETTINGS\r\n");
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"unit.Q37"}) << "no half-written file stays behind";
}

INSTANTIATE_TEST_SUITE_P(Saves, FailedWrite,
                         ::testing::Values(FailedWriteCase{"UnwritableFolder",
                                                           [] {
                                                               // The folder is read-only; root would not care, nobody
                                                               // does.
                                                               if (geteuid() == 0
                                                                   && (setgid(65534) != 0 || setuid(65534) != 0))
                                                                   _exit(4);
                                                           }},
                                           FailedWriteCase{"FullDisk",
                                                           [] {
                                                               // Every write fails as on a full disk.
                                                               const rlimit none{0, 0};
                                                               setrlimit(RLIMIT_FSIZE, &none);
                                                               std::signal(SIGXFSZ, SIG_IGN);
                                                           }}),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- Opening ----

TEST_F(SettingsFileTest, OpenOfAHandWrittenFileFillsImagesFieldsAndCustomerPage)
{
    TMainForm& f = makeForm();
    f.PageControl->setCurrentIndex(3);
    velko::VectorData.fill(0x11);
    KeyRelayCount = 9;
    bool timerDuringBox = true;
    unsigned char loadedDuringBox = 1;
    dialogs.onBox = [&] {
        timerDuringBox = f.ShowRelayTimer->isActive();
        loadedDuringBox = SettingsLoaded;
    };
    dialogs.fileAnswer = QString::fromStdString((Fixtures / "handwritten.Q37").string());
    open(f);

    ASSERT_EQ(boxes(), std::vector<Box>{Opened});
    EXPECT_EQ(dialogs.fileRequests.at(0).filter, "VELKO-Q37 Format (*.Q37)");
    EXPECT_FALSE(timerDuringBox) << "the relay timer is stopped until the box is closed";
    EXPECT_EQ(loadedDuringBox, 0);
    EXPECT_EQ(SettingsLoaded, 1);
    EXPECT_EQ(f.PageControl->currentIndex(), 0);
    expectIdle(f);

    EXPECT_EQ(velko::SegB(velko::ReadImage, 96), 0x12);
    EXPECT_EQ(velko::SegB(velko::ReadImage, 102), 0x12);
    EXPECT_EQ(velko::SegA(velko::ReadImage, 7), 0xC3);
    EXPECT_EQ(velko::SegA(velko::ReadImage, 41), 6);
    EXPECT_EQ(velko::BaselineImage, velko::ReadImage);
    for (std::uint8_t b : velko::VectorData)
        ASSERT_EQ(b, 0xFF);

    // The pages show the file: relay counts, lists and edits.
    EXPECT_EQ(std::vector<int>({KeyRelayCount, UDRelayNum, LRRelayNum, EWRelayNum, SNRelayNum}),
              std::vector<int>({2, 3, 4, 5, 6}));
    EXPECT_EQ(f.UDRelayCount->currentIndex(), 3);
    EXPECT_EQ(f.SNRelayCount->currentIndex(), 6);
    EXPECT_EQ(f.PassiveTimeFunc->currentIndex(), 4) << "Segment A byte 10 = 60";
    EXPECT_EQ(f.EMSCounterFunc->currentIndex(), 4) << "Segment A byte 21 = 40";
    EXPECT_EQ(std::vector<QString>({f.BattUp->text(), f.BattUp1->text(), f.BattDown->text(), f.BattDown1->text(),
                                    f.DutyCounter->text(), f.DutyTx->text()}),
              std::vector<QString>({"5.20", "4.05", "3.00", "12.3", "40", "25"}));

    EXPECT_EQ(f.IDCODE->text(), "371A2B3C");
    EXPECT_EQ(f.MachineSN->text(), "37123456");
    EXPECT_EQ(f.EEqupmentDate->text(), "2005/08/12");
    const CustomerRecord expected = {"A-0001",
                                     "大同機械股份有限公司",
                                     "02-2345-6789",
                                     "02-2345-6788",
                                     "service@example.com.tw",
                                     "台北市中山區\n民生東路 1 號",
                                     "王小明",
                                     "02-2345-6787",
                                     "0912-345-678",
                                     "wang@example.com.tw",
                                     "天車 3 號",
                                     "12",
                                     "433.925"};
    EXPECT_EQ(customer(f), expected);
}

TEST_F(SettingsFileTest, SaveThenOpenGivesBackImageFieldsAndCustomerPage)
{
    TMainForm& f = loadedForm();
    const fs::path path = file("round.Q37");
    dialogs.fileAnswer = QString::fromStdString(path.string());
    dialogs.askAnswers = {true, true};
    save(f);
    const SegmentImage saved = velko::EditImage;

    // Everything away, then back from the file.
    velko::ClearSettingsState();
    setCustomer(f, {"x", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x"});
    f.IDCODE->setText(QStringLiteral("37000000"));
    f.MachineSN->setText(QString());
    f.EEqupmentDate->setText(QString());
    open(f);
    EXPECT_EQ(velko::ReadImage, saved);
    EXPECT_EQ(velko::BaselineImage, saved);
    EXPECT_EQ(f.IDCODE->text(), "371A2B3C");
    EXPECT_EQ(f.MachineSN->text(), "37ABCDEF");
    EXPECT_EQ(f.EEqupmentDate->text(), "2005/08/12");
    EXPECT_EQ(customer(f), SampleCustomer) << "no line break grows at the memos' ends";

    // What the pages made of the image survives a second round whole.
    const SegmentImage loaded = velko::EditImage;
    save(f);
    velko::ClearSettingsState();
    open(f);
    EXPECT_EQ(velko::ReadImage, loaded);
    EXPECT_EQ(velko::EditImage, loaded);
    EXPECT_EQ(customer(f), SampleCustomer);
    EXPECT_EQ(boxes(), (std::vector<Box>{Saved, Opened, Saved, Opened}));
}

struct OpenCase {
    const char* name;
    std::string record;  // what follows the fixed part
    CustomerRecord page; // the customer page afterwards; it showed "old" in every field before
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class OpenRecord : public SettingsFileTest, public ::testing::WithParamInterface<OpenCase> {};

namespace {

std::string fixedPart() { return velko::JoinLines(velko::SettingsFileLines(patternImage(), {})).substr(0, 801); }

const CustomerRecord Old = {"old", "old", "old", "old", "old", "old", "old", "old", "old", "old", "old", "old", "old"};

CustomerRecord oldExcept(std::vector<std::pair<int, std::string>> fields)
{
    CustomerRecord r = Old;
    for (auto& [i, s] : fields)
        r[static_cast<std::size_t>(i)] = s;
    return r;
}

const std::string EmptyRecord = "Customer No:\r\nCompany Name:\r\nCompany Fax No:\r\nCompany Tel:\r\n"
                                "Company E-Mail:\r\nCompany Address:\r\nContect Man:\r\nContect Tel:\r\n"
                                "Contect Mobile:\r\nContect E-mail:\r\nRemark:\r\nChanel:\r\nFrequency:\r\nEnd\r\n";

} // namespace

TEST_P(OpenRecord, FillsTheCustomerPage)
{
    const OpenCase& c = GetParam();
    TMainForm& f = makeForm();
    setCustomer(f, Old);
    testsupport::WriteFile(file("in.Q37"), velko::Utf8ToCp950(fixedPart() + c.record));
    dialogs.fileAnswer = QString::fromStdString(file("in.Q37").string());
    open(f);
    EXPECT_EQ(boxes(), std::vector<Box>{Opened});
    EXPECT_EQ(velko::ReadImage, patternImage());
    EXPECT_EQ(customer(f), c.page);
    EXPECT_EQ(SettingsLoaded, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Opens, OpenRecord,
    ::testing::Values(
        OpenCase{"AllEmpty", EmptyRecord, CustomerRecord{}},
        OpenCase{"TwoMemoLines",
                 "Customer No:\r\nCompany Name:\r\nCompany Fax No:\r\nCompany Tel:\r\nCompany E-Mail:\r\n"
                 "Company Address:No. 5\r\nRoad 7\r\nContect Man:\r\nContect Tel:\r\nContect Mobile:\r\n"
                 "Contect E-mail:\r\nRemark:\r\nChanel:\r\nFrequency:\r\nEnd\r\n",
                 [] {
                     CustomerRecord r{};
                     r[5] = "No. 5\nRoad 7";
                     return r;
                 }()},
        OpenCase{"LabelInsideAValue",
                 "Customer No:\r\nCompany Name:ACME Company Fax No:1\r\nCompany Tel:\r\nCompany E-Mail:\r\n"
                 "Company Address:\r\nContect Man:\r\nContect Tel:\r\nContect Mobile:\r\nContect E-mail:\r\n"
                 "Remark:\r\nChanel:\r\nFrequency:\r\nEnd\r\n",
                 [] {
                     CustomerRecord r{};
                     r[1] = "ACME ";
                     r[2] = "1";
                     return r;
                 }()},
        OpenCase{"EndsBeforeEnd", "Customer No:7\r\nCompany Name:大同\r\nCompany Fax No:02\r\n",
                 oldExcept({{0, "7"}, {1, "大同"}, {2, "02"}})},
        OpenCase{"WithoutCustomerRecord", "", Old},
        OpenCase{"TextAfterEndIsNotRead", EmptyRecord + "Customer No:again\r\n", CustomerRecord{}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SettingsFileTest, CancelledOpenKeepsWhatWasLoaded)
{
    for (const unsigned char loaded : {std::uint8_t{0}, std::uint8_t{1}}) {
        TMainForm& f = makeForm();
        SettingsLoaded = loaded;
        velko::EditImage = patternImage();
        dialogs.fileAnswer.clear();
        open(f);
        EXPECT_EQ(SettingsLoaded, loaded);
        EXPECT_EQ(velko::EditImage, patternImage());
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(f.PageControl->currentIndex(), 0);
        expectIdle(f);
    }
}

struct RefusedOpenCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const RefusedOpenCase& c, std::ostream* os) { *os << c.name; }

class RefusedOpen : public SettingsFileTest, public ::testing::WithParamInterface<RefusedOpenCase> {};

TEST_P(RefusedOpen, ChangesNothing)
{
    for (const unsigned char loaded : {std::uint8_t{0}, std::uint8_t{1}}) {
        TMainForm& f = makeForm();
        velko::ReadImage = velko::EditImage = velko::BaselineImage = patternImage();
        velko::VectorData.fill(0x42);
        KeyRelayCount = 3;
        UDRelayNum = 4;
        LRRelayNum = 5;
        EWRelayNum = 6;
        SNRelayNum = 7;
        setCustomer(f, SampleCustomer);
        SettingsLoaded = loaded;
        f.IDCODE->setText(QStringLiteral("37123456"));
        dialogs.boxes.clear();
        testsupport::WriteFile(file("bad.Q37"), GetParam().bytes);
        dialogs.fileAnswer = QString::fromStdString(file("bad.Q37").string());
        open(f);

        EXPECT_EQ(boxes(), std::vector<Box>{notSettings(file("bad.Q37"))});
        EXPECT_EQ(velko::ReadImage, patternImage());
        EXPECT_EQ(velko::EditImage, patternImage());
        EXPECT_EQ(velko::BaselineImage, patternImage());
        for (std::uint8_t b : velko::VectorData)
            ASSERT_EQ(b, 0x42);
        EXPECT_EQ(std::vector<int>({KeyRelayCount, UDRelayNum, LRRelayNum, EWRelayNum, SNRelayNum}),
                  std::vector<int>({3, 4, 5, 6, 7}));
        EXPECT_EQ(customer(f), SampleCustomer);
        EXPECT_EQ(f.IDCODE->text(), "37123456");
        EXPECT_EQ(SettingsLoaded, loaded);
        expectIdle(f);
    }
}

namespace {

std::string withoutLine(const std::string& text, int line)
{
    const auto lines = velko::SplitLines(text);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (static_cast<int>(i) != line)
            kept.push_back(lines[i]);
    return velko::JoinLines(kept);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Opens, RefusedOpen,
                         ::testing::Values(RefusedOpenCase{"EmptyFile", ""},
                                           RefusedOpenCase{"TextFile", "Dear customer,\r\nyour unit is ready.\r\n"},
                                           RefusedOpenCase{"BinaryFile",
                                                           std::string("\x7F"
                                                                       "ELF\x02\x01\x01\0\0\0\xFF\xFE\x10\r\n",
                                                                       15)},
                                           RefusedOpenCase{"BlockWithAShortLine",
                                                           [] {
                                                               std::string text = fixedPart() + EmptyRecord;
                                                               return text.replace(text.find(" 0F\r\n"), 3, "");
                                                           }()},
                                           RefusedOpenCase{"MissingInfoA", withoutLine(fixedPart() + EmptyRecord, 9)},
                                           RefusedOpenCase{"NulInsideTheBlocks",
                                                           [] {
                                                               std::string text = fixedPart() + EmptyRecord;
                                                               text[300] = '\0';
                                                               return text;
                                                           }()}),
                         [](const auto& p) { return std::string(p.param.name); });

// A file of many megabytes of line breaks is refused within a few times its size in memory.
// Run in a child process whose address space is limited (not under ASan, which reserves
// terabytes of it).
TEST_F(SettingsFileTest, HugeFileIsRefusedWithinBoundedMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not work under ASan";
#else
    TMainForm& f = makeForm();
    const fs::path big = file("big.Q37");
    testsupport::WriteFile(big, std::string(32u << 20, '\n'));
    dialogs.fileAnswer = QString::fromStdString(big.string());
    const int code = inChild([&] {
        long pages = 0;
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        if (!statm || std::fscanf(statm, "%ld", &pages) != 1)
            return 5;
        std::fclose(statm);
        const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (512u << 20);
        const rlimit as{limit, limit};
        setrlimit(RLIMIT_AS, &as);
        open(f);
        return boxes() == std::vector<Box>{notSettings(big)} ? 0 : 2;
    });
    EXPECT_EQ(code, 0) << "2: other boxes, -1: ran out of memory";
#endif
}

// A file that cannot be read as a file is reported by name and changes nothing; none of them
// may hang the open. Run in a child process, which may take another user's rights and is
// stopped by an alarm if it hangs.
struct UnreadableCase {
    const char* name;
    std::function<fs::path(const fs::path& dir)> make; // in the child; gives the file to open
};

void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.name; }

class UnreadableOpen : public SettingsFileTest, public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableOpen, IsReportedAndChangesNothing)
{
    TMainForm& f = makeForm();
    velko::EditImage = patternImage();
    SettingsLoaded = 1;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                    | fs::perms::others_read | fs::perms::others_exec);
    const int code = inChild([&] {
        alarm(10);
        const fs::path target = GetParam().make(dir.path());
        dialogs.fileAnswer = QString::fromStdString(target.string());
        setCustomer(f, SampleCustomer);
        f.IDCODE->setText(QStringLiteral("37123456"));
        open(f);
        if (boxes() != std::vector<Box>{frameworkError("Cannot open file " + target.string())})
            return 2;
        if (velko::EditImage != patternImage() || SettingsLoaded != 1 || customer(f) != SampleCustomer
            || f.IDCODE->text() != "37123456")
            return 3;
        expectIdle(f);
        return ::testing::Test::HasFailure() ? 4 : 0;
    });
    EXPECT_EQ(code, 0) << "2: other boxes, 3: state changed, 4: tool bar or timer left off, -1: crash or hang";
}

// A list of its own: a directive may not stand inside the macro's arguments.
const std::vector<UnreadableCase> UnreadableCases = {
    UnreadableCase{"Missing", [](const fs::path& d) { return d / "missing.Q37"; }},
    UnreadableCase{"Folder",
                   [](const fs::path& d) {
                       fs::create_directory(d / "folder.Q37");
                       return d / "folder.Q37";
                   }},
    UnreadableCase{"NoReadPermission",
                   [](const fs::path& d) {
                       testsupport::WriteFile(d / "secret.Q37", "INFOB\r\n");
                       fs::permissions(d / "secret.Q37", fs::perms::owner_write);
                       // Root would read it anyway.
                       if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                           _exit(5);
                       return d / "secret.Q37";
                   }},
    UnreadableCase{"NamedPipe",
                   [](const fs::path& d) {
                       // Nobody ever writes into it.
                       mkfifo((d / "pipe.Q37").c_str(), 0600);
                       return d / "pipe.Q37";
                   }},
    UnreadableCase{"EndlessDevice", [](const fs::path&) { return fs::path("/dev/zero"); }},
    UnreadableCase{"ReadFailsPartWay",
                   [](const fs::path& d) {
                       // Reading it fails at its first byte (EIO), as a failing
                       // stick or a dropped share does.
                       fs::create_symlink("/proc/self/mem", d / "stick.Q37");
                       return d / "stick.Q37";
                   }},
#if !defined(__SANITIZE_ADDRESS__) // ASan reserves terabytes of address space
    UnreadableCase{"TooBigForMemory",
                   [](const fs::path& d) {
                       // Many gigabytes (on the disk only as a hole), and a
                       // few hundred megabytes of memory left.
                       testsupport::WriteFile(d / "huge.Q37", "INFOB\r\n");
                       fs::resize_file(d / "huge.Q37", std::uintmax_t{8} << 30);
                       long pages = 0;
                       std::FILE* statm = std::fopen("/proc/self/statm", "r");
                       if (!statm || std::fscanf(statm, "%ld", &pages) != 1)
                           _exit(6);
                       std::fclose(statm);
                       const rlim_t limit =
                           static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (256u << 20);
                       const rlimit as{limit, limit};
                       setrlimit(RLIMIT_AS, &as);
                       return d / "huge.Q37";
                   }},
#endif
};

INSTANTIATE_TEST_SUITE_P(Opens, UnreadableOpen, ::testing::ValuesIn(UnreadableCases),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- Code page 950 as the users' machines write it ----

// A file in the cp950 of the users' machines: user-defined characters in the company name,
// the second code of 十 in the contact, of 卅 and of a box-drawing line in the remark.
std::string windowsRecord()
{
    return "Customer No:TW-0950\r\n"
           "Company Name:\xA4\x6A\xFA\x40\xFA\x41\xA4\x75\xB7\x7E\xFE\xFE\x8E\x40\xA0\xFE\x81\x40\r\n"
           "Company Fax No:\r\nCompany Tel:\r\nCompany E-Mail:\r\n"
           "Company Address:\xFB\xA1\r\n\xA4\x6A\r\n"
           "Contect Man:\xA4\xFD\xA2\xCC\xA4\x40\r\n"
           "Contect Tel:\r\nContect Mobile:\r\nContect E-mail:\r\n"
           "Remark:\xA2\xCE\xF9\xF9\xA2\xA4\xA4\x51\r\n"
           "Chanel:\r\nFrequency:\r\nEnd\r\n";
}

TEST_F(SettingsFileTest, AFileWithUserDefinedCharactersComesBackByteForByte)
{
    TMainForm& f = loadedForm();
    // An image part that a further open and save keep as it is.
    dialogs.askAnswers = {true};
    dialogs.fileAnswer = QString::fromStdString(file("seed.Q37").string());
    save(f);
    open(f);
    save(f);
    const std::string file950 = testsupport::ReadFile(file("seed.Q37")).substr(0, 801) + windowsRecord();
    testsupport::WriteFile(file("windows.Q37"), file950);

    dialogs.boxes.clear();
    dialogs.askAnswers = {true};
    dialogs.fileAnswer = QString::fromStdString(file("windows.Q37").string());
    open(f);
    EXPECT_EQ(f.ECompanyName->text(), QString::fromUtf8("大\uE000\uE001工業\uE310\uE311\uEEB7\uEEB8"));
    EXPECT_EQ(f.MCompanyAdd->toPlainText(), QString::fromUtf8("\uE0DC\n大"));
    EXPECT_EQ(f.EContectName->text(), QString::fromUtf8("王十\uFE00一"));
    EXPECT_EQ(f.MRemark->toPlainText(), QString::fromUtf8("卅\uFE00\u2550\uFE00\u2550十"));
    // The second code of 十 looks as the first does.
    const auto drawn = [&](const QString& text) {
        QImage image(200, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(f.EContectName->font());
        painter.drawText(4, 30, text);
        return image;
    };
    EXPECT_EQ(drawn(f.EContectName->text()), drawn(QString::fromUtf8("王十一")));
    save(f);
    EXPECT_EQ(boxes(), (std::vector<Box>{Opened, Saved}));
    EXPECT_EQ(testsupport::ReadFile(file("windows.Q37")), file950);
}

TEST_F(SettingsFileTest, TypedUserDefinedCharactersAreSavedAsTheirCodes)
{
    TMainForm& f = loadedForm();
    f.ECompanyName->clear();
    // Typed through an input method, then pasted.
    QInputMethodEvent typed;
    typed.setCommitString(QString::fromUtf8("A\uE000"));
    QCoreApplication::sendEvent(f.ECompanyName, &typed);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("\uF6B0十"));
    QTest::keySequence(f.ECompanyName, QKeySequence::Paste);
    ASSERT_EQ(f.ECompanyName->text(), QString::fromUtf8("A\uE000\uF6B0十"));
    dialogs.fileAnswer = QString::fromStdString(file("typed.Q37").string());
    save(f);
    EXPECT_EQ(boxes(), std::vector<Box>{Saved});
    EXPECT_NE(testsupport::ReadFile(file("typed.Q37")).find("\r\nCompany Name:A\xFA\x40\x8D\xFE\xA4\x51\r\n"),
              std::string::npos);
}

// The allocation template is bytes: whatever it holds beside its placeholders reaches the
// preview as it was, whether code page 950 or not.
TEST_F(SettingsFileTest, TheAllocationTemplatesBytesReachThePreviewUnchanged)
{
    const std::string before = "<p>\xFA\x40\xFE\xFE\x81\x40 \xA2\xCC\xA2\xCE \xF9\xF9 \xA3\xC0 \xFF\x80 ";
    const std::string after = " \xE5\xA4\xA7 \xA4</p>\r\n<p>\xB3\x5D\xA9\x77 \xC8</p>\r\n";
    testsupport::WriteFile(dir.path() / "ETM.vfa", before + "Act40" + after);
    TMainForm& f = makeForm();
    dialogs.fileAnswer = QString::fromStdString((Fixtures / "handwritten.Q37").string());
    open(f);
    ASSERT_EQ(SettingsLoaded, 1);
    testsupport::ScopedWorkDir elsewhere;
    f.NPreviewSch->trigger();
    EXPECT_EQ(testsupport::ReadFile(dir.path() / "ATB.mht"), before + "N/A" + after + "\r\n");
    EXPECT_EQ(dialogs.documents.size(), 1);
}

} // namespace
