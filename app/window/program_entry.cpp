#include "program_entry.h"

#include "aboutdialog.h"
#include "dialogs.h"
#include "mainform.h"
#include "serial_ports.h"
#include "single_instance.h"

#include <fenlo_host.h>

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <iostream>
#include <memory>

// The resource's initialiser has to be called from outside any namespace.
static void initPictures() { Q_INIT_RESOURCE(pictures); }

namespace velko {

VelkoApplication::VelkoApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(ApplicationTitle);
    // The forms ask for the Ming face of the units' users' machines; here the installed one.
    QFont::insertSubstitution(QStringLiteral("新細明體"), QStringLiteral("AR PL UMing TW"));
    initPictures();
    InstallToolkitTranslations();
    InstallDeviceLinkHooks();
}

bool VelkoApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
    }
    return true;
}

void InstallToolkitTranslations()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    // qtbase holds the texts of the widgets and dialogs; some systems ship only the whole "qt".
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), folder)
        || translator->load(QLocale(), QStringLiteral("qt"), QStringLiteral("_"), folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void InstallDeviceLinkHooks()
{
    FenloSetMessagePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    FenloSetMessageBox([](const char* text, const char* caption, unsigned int style) {
        const BoxIcon icon = (style & FENLO_MB_ICONERROR) ? BoxIcon::Error : BoxIcon::None;
        MessageBoxOk(QString::fromUtf8(text), QString::fromUtf8(caption), icon);
    });
    FenloSetPortLookup(&LookUpPortDevice);
}

int RunProgram(int argc, char** argv)
{
    const std::vector<LockPlace> lockPlaces = InstanceLockPlaces(InstanceLockName);
    const InstanceLock lock = TakeInstanceLock(lockPlaces);
    if (lock == InstanceLock::HeldElsewhere)
        return 0;
    if (lock == InstanceLock::Unavailable) {
        // The port is still claimed for one program only, so running unguarded loses no unit.
        std::cerr << "velko-q37: no lock file could be made or opened";
        for (const LockPlace& place : lockPlaces)
            std::cerr << " (" << place.file.string() << ")";
        std::cerr << "; starting without the guard against a second copy\n";
    }

    std::unique_ptr<VelkoApplication> ownApp;
    if (!QCoreApplication::instance())
        ownApp = std::make_unique<VelkoApplication>(argc, argv);

    try {
        MainForm = new TMainForm();
        AboutDialog = new TAboutDialog();
        MainForm->show();
        QApplication::exec();
    } catch (...) {
        ShowCurrentException();
    }
    delete AboutDialog;
    AboutDialog = nullptr;
    delete MainForm;
    MainForm = nullptr;
    return 0;
}

} // namespace velko
