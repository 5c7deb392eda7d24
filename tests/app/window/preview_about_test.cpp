#include "aboutdialog.h"
#include "form_fixture.h"
#include "text_file.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

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
    testsupport::ScopedWorkDir elsewhere; // the preview goes back to the start folder
    f.NPreviewSchClick(f.NPreviewSch);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(testsupport::ReadFile(dir.path() / "ATB.mht"), "<p>\xB3\x5D\xA9\x77 Act01</p>\r\n\r\n");
    ASSERT_EQ(dialogs.documents.size(), 1);
    EXPECT_EQ(dialogs.documents[0].toStdString(), (dir.path() / "ATB.mht").string());
    EXPECT_TRUE(f.PrintBtn->isEnabled());
}

TEST_F(FormFixture, APreviewThatCannotBeSavedGivesTheToolBarBack)
{
    ProbeForm& f = makeForm();
    SettingsLoaded = 1;
    std::filesystem::create_directory(dir.path() / "ATB.mht");
    EXPECT_THROW(f.NPreviewSchClick(f.NPreviewSch), velko::FileError);
    EXPECT_TRUE(f.PrintBtn->isEnabled());
    EXPECT_TRUE(dialogs.documents.isEmpty());
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
