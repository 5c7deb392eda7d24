#include "aboutdialog.h"
#include "form_fixture.h"
#include "text_file.h"

#include <QKeyEvent>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <ostream>

namespace {

TEST_F(FormFixture, PreviewIsRefusedUntilSettingsAreLoaded)
{
    ProbeForm& f = makeForm();
    testsupport::WriteFile(dir.path() / "ATB.mht", "earlier");
    f.NPreviewSchClick(f.NPreviewSch);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "請先開啟或讀取設定!");
    EXPECT_EQ(dialogs.boxes[0].caption, "錯誤");
    EXPECT_EQ(dialogs.boxes[0].icon, velko::BoxIcon::Error);
    EXPECT_EQ(testsupport::ReadFile(dir.path() / "ATB.mht"), "earlier");
    EXPECT_TRUE(dialogs.documents.isEmpty());
    EXPECT_TRUE(f.PrintBtn->isEnabled());
}

TEST_F(FormFixture, PreviewSavesTheLastRebuildInTheStartFolderAndOpensIt)
{
    ProbeForm& f = makeForm();
    SettingsLoaded = 1;
    AllocationText = "<p>\xB3\x5D\xA9\x77 Act01</p>\r\n"; // 設定 in code page 950
    testsupport::ScopedWorkDir elsewhere;                 // the preview goes back to the start folder
    f.NPreviewSchClick(f.NPreviewSch);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(testsupport::ReadFile(dir.path() / "ATB.mht"), "<p>\xB3\x5D\xA9\x77 Act01</p>\r\n\r\n");
    ASSERT_EQ(dialogs.documents.size(), 1);
    EXPECT_EQ(dialogs.documents[0].toStdString(), (dir.path() / "ATB.mht").string());
    EXPECT_TRUE(f.PrintBtn->isEnabled());
}

struct FailedPreviewCase {
    const char* name;
    bool unwritable; // a folder stands where the file goes
    bool viewerStarts;
};

void PrintTo(const FailedPreviewCase& c, std::ostream* os) { *os << c.name; }

class FailedPreviewTest : public FormFixture, public ::testing::WithParamInterface<FailedPreviewCase> {};

// Either way the user learns that nothing is shown, and where the file is, to open it by hand.
TEST_P(FailedPreviewTest, IsToldWithTheFilesPlaceAndGivesTheToolBarBack)
{
    const FailedPreviewCase& c = GetParam();
    ProbeForm& f = makeForm();
    SettingsLoaded = 1;
    if (c.unwritable)
        std::filesystem::create_directory(dir.path() / "ATB.mht");
    dialogs.documentOpens = c.viewerStarts;
    testsupport::ScopedWorkDir elsewhere;
    f.NPreviewSchClick(f.NPreviewSch);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.toStdString(), "預覽錯誤!!\n" + (dir.path() / "ATB.mht").string());
    EXPECT_EQ(dialogs.boxes[0].caption, "錯誤");
    EXPECT_EQ(dialogs.boxes[0].icon, velko::BoxIcon::Error);
    EXPECT_EQ(dialogs.documents.size(), c.unwritable ? 0 : 1);
    EXPECT_TRUE(f.PrintBtn->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedPreviewTest,
                         ::testing::Values(FailedPreviewCase{"NoViewer", false, false},
                                           FailedPreviewCase{"FileCannotBeWritten", true, true}),
                         [](const auto& p) { return std::string(p.param.name); });

struct OpenerCase {
    const char* name;
    const char* script; // the desktop's xdg-open
    bool opened;
};

void PrintTo(const OpenerCase& c, std::ostream* os) { *os << c.name; }

class DesktopOpenerTest : public ::testing::TestWithParam<OpenerCase> {};

// The real opener hears from xdg-open whether a viewer took the file, which openUrl does not.
TEST_P(DesktopOpenerTest, SaysWhetherAViewerTookTheFile)
{
    const OpenerCase& c = GetParam();
    testsupport::ScopedWorkDir dir;
    testsupport::WriteFile(dir.path() / "xdg-open",
                           std::string("#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/asked\"\n") + c.script + "\n");
    std::filesystem::permissions(dir.path() / "xdg-open", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray(dir.path().c_str()) + ":" + path);
    velko::SetDialogSeam(nullptr);
    const QString document = QString::fromStdString((dir.path() / "ATB.mht").string());
    const bool opened = velko::Dialogs().openDocument(document);
    qputenv("PATH", path);
    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(testsupport::ReadFile(dir.path() / "asked"), document.toStdString() + "\n");
}

INSTANTIATE_TEST_SUITE_P(Openers, DesktopOpenerTest,
                         ::testing::Values(OpenerCase{"NoViewerForTheType",
                                                      "echo \"xdg-open: no method available\" >&2; exit 3", false},
                                           OpenerCase{"ViewerStartedAndLeftRunning", "exit 0", true},
                                           OpenerCase{"ViewerKeptInTheForeground", "sleep 5", true}),
                         [](const auto& p) { return std::string(p.param.name); });

// The shipped template, with the labels of a fresh start, as the user's viewer gets it.
class ShippedTemplateFixture : public FormFixture {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        shipped = testsupport::ReadFile(std::filesystem::path(VELKO_SOURCE_DIR) / "resources" / "ETM.vfa");
        testsupport::WriteFile(dir.path() / "ETM.vfa", shipped);
    }

    std::string preview()
    {
        ProbeForm& f = makeForm();
        SettingsLoaded = 1;
        f.NPreviewSchClick(f.NPreviewSch);
        EXPECT_TRUE(dialogs.boxes.empty());
        return testsupport::ReadFile(dir.path() / "ATB.mht");
    }

    std::string shipped;
};

TEST_F(ShippedTemplateFixture, PreviewIsTheTemplateWithEveryPlaceholderReplaced)
{
    std::string expected = shipped;
    for (int n = 1; n <= 40; ++n) {
        const std::string name = (n < 10 ? "Act0" : "Act") + std::to_string(n);
        const auto at = expected.find(name);
        ASSERT_NE(at, std::string::npos) << name;
        expected.replace(at, name.size(), "N/A");
    }
    EXPECT_EQ(preview(), expected + "\r\n");
}

// A viewer of web archives on this desktop, when one is installed.
QString archiveViewer()
{
    for (const char* name : {"chromium", "chromium-browser", "google-chrome", "google-chrome-stable"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

TEST_F(ShippedTemplateFixture, ABrowserShowsTheTableInChinese)
{
    const QString viewer = archiveViewer();
    if (viewer.isEmpty())
        GTEST_SKIP() << "no browser that opens web archives here";
    preview();
    const QString file = QString::fromStdString((dir.path() / "ATB.mht").string());
    QProcess browser;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), QString::fromStdString(dir.path().string())); // its profile stays here
    browser.setProcessEnvironment(env);
    browser.start(viewer,
                  {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                   QStringLiteral("--user-data-dir=") + QString::fromStdString((dir.path() / "profile").string()),
                   QStringLiteral("--dump-dom"), QUrl::fromLocalFile(file).toString()});
    ASSERT_TRUE(browser.waitForFinished(60000));
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    EXPECT_TRUE(dom.contains(QStringLiteral("<h1>VELKO-Q37 接收機繼電器接線圖</h1>"))) << dom.left(2000).toStdString();
    EXPECT_TRUE(dom.contains(QStringLiteral("<th>繼電器</th><th>動作說明</th>")));
    EXPECT_TRUE(dom.contains(QStringLiteral("<td class=\"ry\">RY40</td><td>N/A</td>")));
}

TEST_F(FormFixture, NavigationErrorIsReported)
{
    ProbeForm& f = makeForm();
    f.Allocation_Table_PreviewNavigateError(nullptr);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "預覽錯誤!!");
}

class AboutFixture : public FormFixture {
protected:
    void TearDown() override
    {
        delete AboutDialog;
        AboutDialog = nullptr;
        FormFixture::TearDown();
    }
};

TEST_F(AboutFixture, EmptyTextGivesAnEmptyMemo)
{
    makeForm();
    AboutDialog = new TAboutDialog();
    EXPECT_TRUE(AboutDialog->Memo->toPlainText().isEmpty());
    EXPECT_EQ(AboutDialog->windowTitle(), "About...");
}

TEST_F(AboutFixture, TextIsReadFromTheStartFolderAndShownAtItsEnd)
{
    makeForm();
    std::string text;
    for (int i = 1; i <= 60; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    testsupport::WriteFile(dir.path() / "Vie32.vfd", text + "\xB3\x5D\xA9\x77");
    testsupport::ScopedWorkDir elsewhere;
    AboutDialog = new TAboutDialog();
    EXPECT_TRUE(AboutDialog->Memo->toPlainText().endsWith("line 60\n設定"));
    QCoreApplication::processEvents();
    const QScrollBar* bar = AboutDialog->Memo->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(AboutFixture, MainWindowIsTransparentWhileTheDialogIsUp)
{
    ProbeForm& f = makeForm();
    AboutDialog = new TAboutDialog();
    bool sawDialog = false;
    double opacityDuring = -1;
    bool blendDuring = false;
    QTimer::singleShot(0, [&] {
        sawDialog = AboutDialog->isVisible();
        opacityDuring = f.windowOpacity();
        blendDuring = f.AlphaBlend();
        // Escape is no way out: only OK gives the main window back.
        QTest::keyClick(AboutDialog, Qt::Key_Escape);
        sawDialog = sawDialog && AboutDialog->isVisible();
        QTest::mouseClick(AboutDialog->OKBitBtn, Qt::LeftButton);
    });
    f.AboutProgram1Click(f.AboutProgram1);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(opacityDuring, 0.0);
    EXPECT_TRUE(blendDuring);
    EXPECT_FALSE(AboutDialog->isVisible());
    EXPECT_EQ(f.windowOpacity(), 1.0);
    EXPECT_FALSE(f.AlphaBlend());
    EXPECT_EQ(f.AlphaBlendValue(), 255);
}

// A window manager that hides the modal dialog alone would leave a transparent, blocked main
// window: showing the main window again brings the dialog back.
TEST_F(AboutFixture, ShowingTheMainWindowAgainBringsAHiddenDialogBack)
{
    ProbeForm& f = makeForm();
    f.show();
    AboutDialog = new TAboutDialog();
    bool minimisedAlone = false;
    bool backAfterShow = false;
    const QWindow* transientParent = nullptr;
    QTimer::singleShot(0, [&] {
        transientParent = AboutDialog->windowHandle()->transientParent();
        AboutDialog->showMinimized();
        minimisedAlone = AboutDialog->isMinimized();
        f.showMinimized();
        f.showNormal();
        QCoreApplication::processEvents();
        backAfterShow = AboutDialog->isVisible() && !AboutDialog->isMinimized();
        QTest::mouseClick(AboutDialog->OKBitBtn, Qt::LeftButton);
    });
    f.AboutProgram1Click(f.AboutProgram1);
    EXPECT_EQ(transientParent, f.windowHandle()) << "the window manager keeps the two together";
    EXPECT_TRUE(minimisedAlone);
    EXPECT_TRUE(backAfterShow);
    EXPECT_EQ(f.windowOpacity(), 1.0);
}

} // namespace
