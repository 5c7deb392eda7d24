// The framework's own texts follow the user's locale: the start of a test program is the
// program's start (the same application class), so a copy of this program started under a
// locale shows what the real program shows there.
#include "dialogs.h"
#include "program_entry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <ostream>

namespace {

// The texts a user reads on an error box, a question and the save dialog, joined by "|".
QString toolkitTexts()
{
    velko::SetDialogSeam(nullptr); // the real boxes and dialogs
    QStringList texts;
    const auto take = [&](const std::function<void(QWidget*)>& read) {
        QTimer::singleShot(0, [&, read] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                texts << QStringLiteral("(no dialog)");
                return;
            }
            read(modal);
            modal->close();
        });
    };
    take([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        texts << (box ? box->button(QMessageBox::Ok)->text() : QString());
    });
    velko::MessageBoxOk(QStringLiteral("t"), QStringLiteral("c"), velko::BoxIcon::Error);
    take([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        texts << (box ? box->button(QMessageBox::Yes)->text() : QString())
              << (box ? box->button(QMessageBox::No)->text() : QString());
    });
    velko::Dialogs().ask({QStringLiteral("t"), QStringLiteral("c"), velko::BoxIcon::None});
    take([&](QWidget* w) {
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            const auto* label = w->findChild<QLabel*>(QLatin1String(name));
            texts << (label ? label->text() : QString());
        }
        const auto* buttons = w->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        for (const QAbstractButton* b : buttons ? buttons->buttons() : QList<QAbstractButton*>{})
            texts << b->text();
    });
    velko::Dialogs().saveFileName(
        {QStringLiteral("t"), QStringLiteral("Q37 (*.Q37)"), QStringLiteral("Q37"), QString()});
    return texts.join(QLatin1Char('|'));
}

// Run only in the copy that BoxesAndDialogsSpeakTheLocalesLanguage starts; it prints what the user reads.
TEST(ToolkitLanguage, TextsOfThisStart)
{
    if (!std::getenv("VELKO_SHOW_TOOLKIT_TEXTS"))
        GTEST_SKIP() << "runs in the copy that a locale test starts";
    std::printf("texts=%s\n", toolkitTexts().toUtf8().constData());
}

struct LocaleCase {
    const char* name;
    const char* locale;
    const char* texts;
};

void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.name; }

class ToolkitLocaleTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(ToolkitLocaleTest, BoxesAndDialogsSpeakTheLocalesLanguage)
{
    const LocaleCase& c = GetParam();
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LANGUAGE"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), QLatin1String(c.locale));
    env.insert(QStringLiteral("LC_ALL"), QLatin1String(c.locale));
    env.insert(QStringLiteral("VELKO_SHOW_TOOLKIT_TEXTS"), QStringLiteral("1"));
    copy.setProcessEnvironment(env);
    copy.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--gtest_filter=ToolkitLanguage.TextsOfThisStart")});
    ASSERT_TRUE(copy.waitForFinished(60000));
    const QString out = QString::fromUtf8(copy.readAllStandardOutput());
    ASSERT_EQ(copy.exitCode(), 0) << out.toStdString();
    const qsizetype at = out.indexOf(QStringLiteral("texts="));
    ASSERT_GE(at, 0) << out.toStdString();
    EXPECT_EQ(out.mid(at + 6).section(QLatin1Char('\n'), 0, 0).toStdString(), c.texts);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, ToolkitLocaleTest,
    ::testing::Values(LocaleCase{"TraditionalChinese", "zh_TW.UTF-8",
                                 "確定|是(&Y)|否(&N)|尋找於：|檔名(&N)：|檔案型態：|儲存(&S)|取消"},
                      LocaleCase{"German", "de_DE.UTF-8",
                                 "OK|&Ja|&Nein|Suchen in:|Datei&name:|Dateien des Typs:|S&peichern|Abbrechen"},
                      LocaleCase{"Plain", "C.UTF-8", "OK|&Yes|&No|Look in:|File &name:|Files of type:|&Save|Cancel"}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
