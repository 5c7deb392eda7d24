// Choosing the serial port: the link lets go of its port and takes the chosen one; when that
// one will not open, the port used before is taken again. The name in use is stored either way.
#include "mainform.h"

#include "registry_store.h"
#include "serial_ports.h"

#include <QAction>
#include <QMenu>

#include <fenlo.h>

namespace velko {

ExitComFunction ExitComCall = &::ExitCom;

} // namespace velko

namespace {

// Each item's tip names the device its port opens, by the rule the link's lookup follows.
void ShowPortDevices(const std::array<QAction*, 11>& items)
{
    const velko::PortMap ports(velko::MachinePortFolders());
    for (int i = 1; i <= 10; ++i)
        items[i]->setToolTip(QString::fromStdString(ports.Tip("COM" + std::to_string(i))));
}

} // namespace

void TMainForm::Change_COM(const QString& port, QAction* item)
{
    velko::ExitComCall();
    const QString opened = QString::fromUtf8(velko::OpenComCall(port.toStdString().c_str()));
    if (opened == QLatin1String("Error")) {
        // The link has said why; the marks and the name stay those of the port before.
        velko::OpenComCall(ComPortName.toStdString().c_str());
    } else {
        for (int i = 1; i <= 10; ++i)
            NCOM[i]->setChecked(false);
        item->setChecked(true);
        ComPortName = opened;
    }
    if (SettingsRegistry)
        SettingsRegistry->WriteString("COM", ComPortName.toStdString());
}

void TMainForm::NCOM1Click(QObject*) { Change_COM(QStringLiteral("COM1"), NCOM[1]); }
void TMainForm::NCOM2Click(QObject*) { Change_COM(QStringLiteral("COM2"), NCOM[2]); }
void TMainForm::NCOM3Click(QObject*) { Change_COM(QStringLiteral("COM3"), NCOM[3]); }
void TMainForm::NCOM4Click(QObject*) { Change_COM(QStringLiteral("COM4"), NCOM[4]); }
void TMainForm::NCOM5Click(QObject*) { Change_COM(QStringLiteral("COM5"), NCOM[5]); }
void TMainForm::NCOM6Click(QObject*) { Change_COM(QStringLiteral("COM6"), NCOM[6]); }
void TMainForm::NCOM7Click(QObject*) { Change_COM(QStringLiteral("COM7"), NCOM[7]); }
void TMainForm::NCOM8Click(QObject*) { Change_COM(QStringLiteral("COM8"), NCOM[8]); }
void TMainForm::NCOM9Click(QObject*) { Change_COM(QStringLiteral("COM9"), NCOM[9]); }
void TMainForm::NCOM10Click(QObject*) { Change_COM(QStringLiteral("COM10"), NCOM[10]); }

void TMainForm::BindMenus()
{
    connect(NPrintSetup, &QAction::triggered, this, [this] { NPrintSetupClick(NPrintSetup); });

    using Click = void (TMainForm::*)(QObject*);
    const Click clicks[11] = {nullptr,
                              &TMainForm::NCOM1Click,
                              &TMainForm::NCOM2Click,
                              &TMainForm::NCOM3Click,
                              &TMainForm::NCOM4Click,
                              &TMainForm::NCOM5Click,
                              &TMainForm::NCOM6Click,
                              &TMainForm::NCOM7Click,
                              &TMainForm::NCOM8Click,
                              &TMainForm::NCOM9Click,
                              &TMainForm::NCOM10Click};
    for (int i = 1; i <= 10; ++i) {
        connect(NCOM[i], &QAction::triggered, this, [this, i, click = clicks[i]](bool checked) {
            // A pick flips a checkable item's mark by itself; the mark is Change_COM's to set.
            NCOM[i]->setChecked(!checked);
            (this->*click)(NCOM[i]);
        });
    }
    // Adapters come and go: the tips are made afresh each time the list opens.
    COM11->setToolTipsVisible(true);
    ShowPortDevices(NCOM);
    connect(COM11, &QMenu::aboutToShow, this, [this] { ShowPortDevices(NCOM); });
}
