// The main window's life: construction, creation (stored bounds and port), closing.
#include "mainform.h"

#include "battery_limits.h"
#include "conversion.h"
#include "dialogs.h"
#include "mainform_controls.h"
#include "registry_store.h"
#include "settings_image.h"
#include "settings_map.h"
#include "text_file.h"
#include "window_bounds.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <fenlo.h>

#include <unistd.h>

#include <vector>

TMainForm* MainForm = nullptr;
QString ComPortName;
QString CustomerText;
QByteArray AllocationTemplate;
QByteArray AllocationText;
char StartupDir[260] = {};
velko::RegistryStore* SettingsRegistry = nullptr;
unsigned char SettingsLoaded = 0;

namespace velko {

OpenComFunction OpenComCall = &::OpenCom;

void RestoreStartupDir()
{
    if (StartupDir[0] != '\0' && ::chdir(StartupDir) != 0) {
        // The folder has gone; the side files are then looked for where we are.
    }
}

} // namespace velko

using velko::EditImage;

namespace {

// The client area the window definition makes.
constexpr int DesignedWidth = 792;
constexpr int DesignedHeight = 548;

} // namespace

TMainForm::TMainForm(QWidget* owner) : QWidget(owner)
{
    setupUi(this);
    move(319, 198); // the window definition's place, until the store says otherwise
    BuildChrome();
    BindEvents();

    // The relay grids' lever-position headers; the grids wait for their relay counts.
    for (QTableWidget* grid : {UDRelayTable, LRRelayTable, EWRelayTable, SNRelayTable}) {
        for (int column = 1; column <= 5; ++column)
            velko::SetCellText(grid, 0, column, QStringLiteral("  (%1)").arg(6 - column));
        velko::SetCellText(grid, 0, 6, QStringLiteral("   0"));
        for (int column = 7; column <= 11; ++column)
            velko::SetCellText(grid, 0, column, QStringLiteral("  (%1)").arg(column - 6));
        grid->setEnabled(false);
    }
    velko::SetCellText(KeyRelayTable, 0, 0, QStringLiteral("Relay"));
    velko::SetCellText(KeyRelayTable, 1, 0, QStringLiteral("Key"));

    // Side files are looked for here from now on.
    if (!::getcwd(StartupDir, sizeof StartupDir))
        StartupDir[0] = '\0';

    // The first page.
    ShowPage(0);

    // Joystick gaps.
    for (velko::ImageByte gap : velko::GapField)
        velko::At(EditImage, gap) = velko::DefaultGap;
    QLineEdit* const gaps[] = {VR1YGap, VR1XGap, VR2YGap, VR2XGap};
    for (int i = 0; i < 4; ++i)
        gaps[i]->setText(QString::number(velko::At(EditImage, velko::GapField[i])));

    // The power-on mode.
    OpenModeFunc->setCurrentIndex(1);
    OpenModeFuncChange(nullptr);

    // Key bytes that start-up owns.
    velko::StoreStartUpKeyBytes(EditImage);

    // The allocation template.
    AllocationTemplate = QByteArray::fromStdString(velko::ReadLineBytes("ETM.vfa"));
    AllocationText = AllocationTemplate;
    Modify_Allocation_Draw();

    // The model digits lead the serial number and the ID code.
    const QString idMask = QStringLiteral("\\3\\7>999999<");
    MachineSN->setEditMask(idMask);
    IDCODE->setEditMask(idMask);

    // R0's inching time.
    InchTime->setCurrentIndex(5);
    InchTimeChange(nullptr);

    // The creation event: what goes wrong in it is shown, and the start goes on.
    try {
        FormCreate(this);
    } catch (...) {
        velko::ShowCurrentException();
    }
}

TMainForm::~TMainForm()
{
    if (MainForm == this)
        MainForm = nullptr;
}

bool TMainForm::ApplyStoredBounds()
{
    const velko::RegistryStore& store = *SettingsRegistry;
    std::vector<velko::Bounds> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->geometry();
        screens.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    const velko::Bounds largest = velko::LargestScreen(screens);
    const velko::Bounds designed{x(), y(), DesignedWidth, DesignedHeight};
    const auto onScreen = [&] { return velko::ShowsOnAScreen({x(), y(), width(), height()}, screens); };

    // Each value takes effect as soon as it is read, if the window can take it: its range is
    // checked first, as a place near the integer limits overflows the window's geometry. The
    // window keeps a fixed size.
    velko::Bounds stored;
    try {
        stored.left = store.ReadInteger("Left");
        if (velko::UsablePlace(stored.left))
            move(stored.left, y());
        stored.top = store.ReadInteger("Top");
        if (velko::UsablePlace(stored.top))
            move(x(), stored.top);
        stored.height = store.ReadInteger("Height");
        if (velko::UsableExtent(stored.height, DesignedHeight, largest.height))
            setFixedHeight(stored.height);
        stored.width = store.ReadInteger("Width");
        if (velko::UsableExtent(stored.width, DesignedWidth, largest.width))
            setFixedWidth(stored.width);
    } catch (const velko::RegistryError&) {
        if (!onScreen())
            move(designed.left, designed.top);
        throw;
    }

    // A size the window is not made for, or a place off every screen, gives way to the window's
    // own: a window that cannot be seen would keep every later start out through the
    // single-instance lock. The port is a value apart and stays as stored.
    const velko::Bounds usable = velko::UsableBounds(stored, designed, screens);
    if (usable.left != x() || usable.top != y())
        move(usable.left, usable.top);
    return usable.left != stored.left || usable.top != stored.top || usable.width != stored.width
        || usable.height != stored.height;
}

void TMainForm::WriteStoredBounds()
{
    // Position of the frame, size of the client area: the pair that sets the window back
    // where it was whatever the window manager's frame.
    SettingsRegistry->WriteInteger("Left", x());
    SettingsRegistry->WriteInteger("Top", y());
    SettingsRegistry->WriteInteger("Height", height());
    SettingsRegistry->WriteInteger("Width", width());
}

void TMainForm::FormCreate(QObject*)
{
    delete SettingsRegistry;
    SettingsRegistry = new velko::RegistryStore();
    if (!SettingsRegistry->OpenKey(true) && SettingsRegistry->Unreadable()) {
        // The user's bounds and port are in there: say so, and keep the file as it is.
        velko::ShowException(
            QStringLiteral("Cannot open file %1").arg(QString::fromStdString(SettingsRegistry->File().string())));
    }

    bool boundsMended = false;
    try {
        boundsMended = ApplyStoredBounds();
        ComPortName = QString::fromStdString(SettingsRegistry->ReadString("COM"));
    } catch (const velko::RegistryError&) {
        ComPortName = QStringLiteral("COM1");
        WriteStoredBounds();
        SettingsRegistry->WriteString("COM", ComPortName.toStdString());
        boundsMended = false;
    }
    if (boundsMended) {
        // The next start then finds bounds it can use. A store that takes no writes is said so,
        // but costs neither the port nor the rest of the start; the close tries again.
        try {
            WriteStoredBounds();
        } catch (const velko::RegistryError&) {
            velko::ShowCurrentException();
        }
    }

    for (int i = 1; i <= 10; ++i)
        NCOM[i]->setChecked(false);
    for (int i = 1; i <= 10; ++i) {
        if (ComPortName == QStringLiteral("COM%1").arg(i)) {
            NCOM[i]->setChecked(true);
            break;
        }
    }

    velko::OpenComCall(ComPortName.toStdString().c_str());

    // Battery bands and duty cycle: defaults shown in their edits and taken into the image.
    BattUp->setText(QStringLiteral("5.20"));
    BattUp1->setText(QStringLiteral("4.56"));
    BattDown->setText(QStringLiteral("4.48"));
    BattDown1->setText(QStringLiteral("3.95"));
    velko::StoreBatteryPair(BattUp->text().toStdString(), BattUp1->text().toStdString(), velko::BatteryPair::Upper);
    velko::StoreBatteryPair(BattDown->text().toStdString(), BattDown1->text().toStdString(), velko::BatteryPair::Lower);
    for (QLineEdit* edit : {BattUp, BattUp1, BattDown, BattDown1})
        velko::SetEditColour(edit, velko::TakenColour);

    DutyCounter->setText(QStringLiteral("10"));
    velko::At(EditImage, velko::DutyCounterField) =
        static_cast<std::uint8_t>(velko::StrToInt(DutyCounter->text().trimmed()));
    DutyTx->setText(QStringLiteral("2"));
    velko::At(EditImage, velko::DutyTxField) = static_cast<std::uint8_t>(velko::StrToInt(DutyTx->text().trimmed()));
    velko::SetEditColour(DutyCounter, velko::TakenColour);
    velko::SetEditColour(DutyTx, velko::TakenColour);
}

void TMainForm::FormClose(QObject*)
{
    if (!SettingsRegistry)
        return;
    WriteStoredBounds();
    SettingsRegistry->WriteString("COM", ComPortName.toStdString());
    delete SettingsRegistry;
    SettingsRegistry = nullptr;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A store that cannot be written is reported, but never keeps the program from closing.
    try {
        FormClose(this);
    } catch (...) {
        delete SettingsRegistry;
        SettingsRegistry = nullptr;
        velko::ShowCurrentException();
    }
    event->accept();
}

void TMainForm::SetAlphaBlend(bool on)
{
    alphaBlend_ = on;
    setWindowOpacity(on ? alphaBlendValue_ / 255.0 : 1.0);
}

void TMainForm::SetAlphaBlendValue(int value)
{
    alphaBlendValue_ = value;
    if (alphaBlend_)
        setWindowOpacity(value / 255.0);
}
