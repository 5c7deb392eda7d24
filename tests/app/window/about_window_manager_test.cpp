// The About dialog under a real X server with a window manager (Xvfb and openbox, started
// here): the dialog cannot be minimised on its own, and minimising the main window takes it
// along and brings it back with the main window. The checks run in a second copy of this
// program on that display; without Xvfb, openbox or xprop the test is skipped.
#include "aboutdialog.h"
#include "form_fixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdlib>

namespace {

constexpr const char* ChildFlag = "VELKO_WINDOW_MANAGER_CHILD";

QString xprop(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral("xprop"), arguments);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString windowProperty(const QWidget* w, const char* name)
{
    return xprop({QStringLiteral("-id"), QString::number(w->winId()), QLatin1String(name)});
}

// Waits, running events, until the property reads as wanted.
bool waitForProperty(const QWidget* w, const char* name, const QString& wanted, int ms = 3000)
{
    for (int waited = 0; waited < ms; waited += 50) {
        if (windowProperty(w, name).contains(wanted))
            return true;
        QTest::qWait(50);
    }
    return false;
}

class AboutOnAWindowManager : public FormFixture {
protected:
    void TearDown() override
    {
        delete AboutDialog;
        AboutDialog = nullptr;
        FormFixture::TearDown();
    }
};

TEST_F(AboutOnAWindowManager, DialogIsNeverLeftHidden)
{
    if (!std::getenv(ChildFlag))
        GTEST_SKIP() << "runs on the display that DialogUnderXvfbAndOpenbox starts";
    ProbeForm& f = makeForm();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    AboutDialog = new TAboutDialog();
    QString allowed;
    bool refusedAlone = false, wentWithMain = false, cameBack = false;
    QTimer::singleShot(0, [&] {
        const bool exposed = QTest::qWaitForWindowExposed(AboutDialog);
        waitForProperty(AboutDialog, "_NET_WM_ALLOWED_ACTIONS", QStringLiteral("_NET_WM_ACTION_MOVE"));
        allowed = windowProperty(AboutDialog, "_NET_WM_ALLOWED_ACTIONS");

        // A minimise request for the dialog, as a frame button, pager or key binding sends it.
        AboutDialog->windowHandle()->showMinimized();
        QTest::qWait(500);
        refusedAlone = exposed && windowProperty(AboutDialog, "WM_STATE").contains(QLatin1String("Normal"));

        f.showMinimized();
        wentWithMain = waitForProperty(AboutDialog, "WM_STATE", QStringLiteral("Iconic"));
        f.showNormal();
        f.activateWindow();
        cameBack = waitForProperty(AboutDialog, "WM_STATE", QStringLiteral("Normal"))
                && QTest::qWaitForWindowExposed(AboutDialog);
        QTest::mouseClick(AboutDialog->OKBitBtn, Qt::LeftButton);
    });
    f.AboutProgram1Click(f.AboutProgram1);
    EXPECT_FALSE(allowed.isEmpty());
    EXPECT_FALSE(allowed.contains(QLatin1String("_NET_WM_ACTION_MINIMIZE"))) << allowed.toStdString();
    EXPECT_FALSE(allowed.contains(QLatin1String("_NET_WM_ACTION_MAXIMIZE"))) << allowed.toStdString();
    EXPECT_TRUE(refusedAlone) << "the dialog was minimised on its own";
    EXPECT_TRUE(wentWithMain) << "minimising the main window leaves the dialog standing alone";
    EXPECT_TRUE(cameBack) << "the dialog stays hidden when the main window shows again";
    EXPECT_FALSE(AboutDialog->isVisible());
    EXPECT_EQ(f.windowOpacity(), 1.0);
}

// Starts what the check needs, each of our own, and ends them again.
class XServer {
public:
    ~XServer()
    {
        for (QProcess* p : {&wm_, &server_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    // The display name, or an empty text when no server with a window manager could start.
    QString start()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
            return {};
        // The server picks a free display and writes its number to our pipe.
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp")});
        QByteArray number;
        for (int waited = 0; waited < 10000 && !number.contains('\n'); waited += 50) {
            if (!server_.waitForReadyRead(50) && server_.state() == QProcess::NotRunning)
                return {};
            number += server_.readAllStandardOutput();
        }
        if (!number.contains('\n'))
            return {};
        const QString display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        wm_.setProcessEnvironment(env);
        wm_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        for (int waited = 0; waited < 10000; waited += 100) {
            QProcess check;
            check.setProcessEnvironment(env);
            check.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            check.waitForFinished(3000);
            if (check.readAllStandardOutput().contains("window id"))
                return display;
            if (wm_.state() == QProcess::NotRunning)
                return {};
            QTest::qWait(100);
        }
        return {};
    }

private:
    QProcess server_;
    QProcess wm_;
};

TEST(AboutDialogWindowManager, DialogUnderXvfbAndOpenbox)
{
    if (std::getenv(ChildFlag))
        GTEST_SKIP() << "the second copy itself";
    XServer x;
    const QString display = x.start();
    if (display.isEmpty())
        GTEST_SKIP() << "no Xvfb with openbox here";

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QLatin1String(ChildFlag), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=AboutOnAWindowManager.DialogIsNeverLeftHidden")});
    ASSERT_TRUE(child.waitForFinished(60000)) << "the check hung";
    const QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("[  PASSED  ] 1 test"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QLatin1String("SKIPPED"))) << out.toStdString();
}

} // namespace
