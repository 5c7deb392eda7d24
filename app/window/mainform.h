// The main window: header, tool bar, seven settings pages, status bar; and the process-wide
// state of the program that lives beside it.
#pragma once

#include "ui_MainForm.h"

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QString>

#include <array>
#include <memory>

class QMenu;
class QAction;
class QTimer;
class QLabel;
class QImage;
class QPrinter;
class TImageEx;

namespace velko {
class RegistryStore;
}

class TMainForm : public QWidget, public Ui::TMainForm {
    Q_OBJECT

public:
    // Builds the window and runs its start-up steps, then FormCreate. Throws velko::FileError
    // when "ETM.vfa" cannot be read.
    explicit TMainForm(QWidget* owner = nullptr);
    ~TMainForm() override;

    void FormCreate(QObject* Sender);
    void FormClose(QObject* Sender);

    // Tool bar.
    void OpenFileBtnMouseLeave(QObject* Sender);
    void OpenFileBtnMouseEnter(QObject* Sender);
    void OpenFileBtnMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void OpenFileBtnMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void SaveFileBtnMouseLeave(QObject* Sender);
    void SaveFileBtnMouseEnter(QObject* Sender);
    void SaveFileBtnMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void SaveFileBtnMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void PrintBtnMouseLeave(QObject* Sender);
    void PrintBtnMouseEnter(QObject* Sender);
    void PrintBtnMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void PrintBtnMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void ReadSetBtnMouseLeave(QObject* Sender);
    void ReadSetBtnMouseEnter(QObject* Sender);
    void ReadSetBtnMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void ReadSetBtnMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void WriteSetBtnMouseLeave(QObject* Sender);
    void WriteSetBtnMouseEnter(QObject* Sender);
    void WriteSetBtnMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void WriteSetBtnMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void AboutBtnMouseLeave(QObject* Sender);
    void AboutBtnMouseEnter(QObject* Sender);
    void AboutBtnMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void AboutBtnMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    void Disable_Button();
    void Enable_Button();

    // Pages.
    void PreviousPageBtnClick(QObject* Sender);
    void NextPageBtnClick(QObject* Sender);

    // Chrome.
    void DateTimerTimer(QObject* Sender);
    void FormPaint(QObject* Sender);
    void FormMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // General page (mainform_general.cpp): transmitter and receiver functions.
    void OpenModeFuncChange(QObject* Sender);
    void TxModeFuncChange(QObject* Sender);
    void DutyCycleFuncChange(QObject* Sender);
    void SleepEMSFuncChange(QObject* Sender);
    void LEDGleamFuncChange(QObject* Sender);
    void TxRemoteFuncChange(QObject* Sender);
    void PassiveEMSFuncChange(QObject* Sender);
    void PassiveTimeFuncChange(QObject* Sender);
    void AutoOffFuncChange(QObject* Sender);
    void RxRemoteFuncChange(QObject* Sender);
    // General page: keys, switches, the action relay and the key-relay table.
    void R0FuncChange(QObject* Sender);
    void InchTimeChange(QObject* Sender);
    void R0EMSChange(QObject* Sender);
    void R1FuncChange(QObject* Sender);
    void R1EMSChange(QObject* Sender);
    void R0R1RepFuncChange(QObject* Sender);
    void SwBFuncChange(QObject* Sender);
    void SwB1FuncChange(QObject* Sender);
    void SwBABFuncChange(QObject* Sender);
    void SwBEMSChange(QObject* Sender);
    void SwB1EMSChange(QObject* Sender);
    void SwCFuncChange(QObject* Sender);
    void SwC1FuncChange(QObject* Sender);
    void SwCABFuncChange(QObject* Sender);
    void SwCEMSChange(QObject* Sender);
    void SwC1EMSChange(QObject* Sender);
    void ARRelaySelectChange(QObject* Sender);
    void AR_TimeChange(QObject* Sender);
    void SetKeyRelayTable();
    // Draws one cell of KeyRelayTable on the grid's canvas, whose brush and pen are set.
    void KeyRelayTableDrawCell(QObject* Sender, int ACol, int ARow, const QRect& Rect, QStyle::State State,
                               QPainter& Canvas);

private:
    // General page helpers (mainform_general.cpp).
    using ListHandler = void (TMainForm::*)(QObject*);
    // Selects an item of a list, then runs the list's handler as a pick would.
    void RunWithItem(QComboBox* list, ListHandler handler, int item);
    // One of the four switch positions, 0..3 for SW 1A, SW 1B, SW 2A, SW 2B.
    void SwitchPositionChange(int position);
    // What every handler that changes which keys take relays ends with.
    void KeyRelaysChanged();
    void BindKeyRelayTableDrawing();

public:
    // Joystick pages (mainform_joystick.cpp): axis settings and the relay budget.
    void UpAccTimeChange(QObject* Sender);
    void DownAccTimeChange(QObject* Sender);
    void LeftAccTimeChange(QObject* Sender);
    void RightAccTimeChange(QObject* Sender);
    void EastAccTimeChange(QObject* Sender);
    void WestAccTimeChange(QObject* Sender);
    void SouthAccTimeChange(QObject* Sender);
    void NorthAccTimeChange(QObject* Sender);
    void UpInchTimeChange(QObject* Sender);
    void DownInchTimeChange(QObject* Sender);
    void LeftInchTimeChange(QObject* Sender);
    void RightInchTimeChange(QObject* Sender);
    void EastInchTimeChange(QObject* Sender);
    void WestInchTimeChange(QObject* Sender);
    void SouthInchTimeChange(QObject* Sender);
    void NorthInchTimeChange(QObject* Sender);
    void UDRelayCountChange(QObject* Sender);
    void LRRelayCountChange(QObject* Sender);
    void EWRelayCountChange(QObject* Sender);
    void SNRelayCountChange(QObject* Sender);
    void UD_InterLockChange(QObject* Sender);
    void LR_InterLockChange(QObject* Sender);
    void EW_InterLockChange(QObject* Sender);
    void SN_InterLockChange(QObject* Sender);
    void ShowRelayTimerTimer(QObject* Sender);
    // Joystick relay grids (mainform_relay_grids.cpp): a click on a cell toggles its relay.
    void UDRelayTableSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void LRRelayTableSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void EWRelayTableSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void SNRelayTableSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    // Each painted cell, fixed ones included, on the background the grid prepared.
    void UDRelayTableDrawCell(QObject* Sender, int ACol, int ARow, const QRect& Rect, QPainter& Canvas);
    void LRRelayTableDrawCell(QObject* Sender, int ACol, int ARow, const QRect& Rect, QPainter& Canvas);
    void EWRelayTableDrawCell(QObject* Sender, int ACol, int ARow, const QRect& Rect, QPainter& Canvas);
    void SNRelayTableDrawCell(QObject* Sender, int ACol, int ARow, const QRect& Rect, QPainter& Canvas);

    // Special page (mainform_limits.cpp). Key handlers see a typed character before the edit
    // takes it, Enter as '\r' and Backspace as '\b'; setting Key to a null character drops it.
    // Text pasted, dropped or set by the program does not pass them.
    void LowBattFuncChange(QObject* Sender);
    void LowBattEMSFuncChange(QObject* Sender);
    void EMSCounterFuncChange(QObject* Sender);
    void BattCounterFuncChange(QObject* Sender);
    void VR1YGapChange(QObject* Sender);
    void VR1XGapChange(QObject* Sender);
    void VR2YGapChange(QObject* Sender);
    void VR2XGapChange(QObject* Sender);
    void DutyTxKeyPress(QChar& Key);
    void DutyCounterKeyPress(QChar& Key);
    void BattUpKeyPress(QChar& Key);
    void BattUp1KeyPress(QChar& Key);
    void BattDownKeyPress(QChar& Key);
    void BattDown1KeyPress(QChar& Key);

    // Loading an image into the pages (mainform_loader.cpp): every control from BaselineImage.
    void ShowEEPROMSet();

    // Allocation table.
    void Modify_Allocation_Draw();
    void NPreviewSchClick(QObject* Sender);
    void Allocation_Table_PreviewNavigateError(QObject* Sender);

    // The unit: connection, and its identification fields (mainform_device.cpp,
    // mainform_identification.cpp).
    bool ConnectDevice();
    void MakeCompleteCode();
    void IDCODEKeyPress(QChar& Key);
    void MachineSNKeyPress(QChar& Key);
    void PutSystemCode();
    void CalculateChecksum();
    void ShowSystem();
    void ShowSystemFromImage();

    // Settings file (mainform_settings_file.cpp): the customer page from CustomerText.
    void PutCompanyData();

    // About dialog.
    void AboutProgram1Click(QObject* Sender);

    // Printing the pages (mainform_printing.cpp).
    void NPrintSetupClick(QObject* Sender);

    // COM port choice (mainform_com.cpp).
    void NCOM1Click(QObject* Sender);
    void NCOM2Click(QObject* Sender);
    void NCOM3Click(QObject* Sender);
    void NCOM4Click(QObject* Sender);
    void NCOM5Click(QObject* Sender);
    void NCOM6Click(QObject* Sender);
    void NCOM7Click(QObject* Sender);
    void NCOM8Click(QObject* Sender);
    void NCOM9Click(QObject* Sender);
    void NCOM10Click(QObject* Sender);
    void Change_COM(const QString& port, QAction* item);

    // Alpha blending of the window; off is fully opaque whatever the value.
    void SetAlphaBlend(bool on);
    void SetAlphaBlendValue(int value);
    bool AlphaBlend() const { return alphaBlend_; }
    int AlphaBlendValue() const { return alphaBlendValue_; }

    // What a form definition cannot hold, built in code (mainform_chrome.cpp).
    QTimer* DateTimer = nullptr;
    QTimer* ShowRelayTimer = nullptr;
    QMenu* PrintMenu = nullptr;
    QAction* NPreviewSch = nullptr;
    QAction* NPrintSetup = nullptr;
    QMenu* COMMenu = nullptr;
    QMenu* COM11 = nullptr;
    std::array<QAction*, 11> NCOM{}; // NCOM[1] .. NCOM[10]: "COM 1" .. "COM 10"
    QAction* AboutProgram1 = nullptr;
    QList<QIcon> ImageList;
    std::array<QLabel*, 4> StatusPanels{};

protected:
    // The settings file behind the tool bar's "開啟設定" and "儲存設定"
    // (mainform_settings_file.cpp).
    virtual void OpenSettingsFile();
    virtual void SaveSettingsFile();
    // The read and write roads of the tool bar's "讀取設定" and "寫入設定" (mainform_device.cpp).
    virtual void ReadUnitSettings();
    virtual void WriteUnitSettings();
    // Runs a pop-up menu at a screen point until an item is picked or it is dismissed.
    virtual void PopupMenuAt(QMenu* menu, const QPoint& screenPoint);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildChrome();
    void BindEvents();
    // Each page's controls to their handlers, on a user's pick only.
    void BindGeneralPage();
    void BindJoystickPages();
    void BindSpecialPage();
    void ShowPage(int page);
    void OpenMenuUnder(TImageEx* button, QMenu* menu);
    // True when a stored bound was unusable and the window's own was taken instead.
    bool ApplyStoredBounds();
    void WriteStoredBounds();
    // Printing and the COM port choice: the menu items, and the print run itself.
    void BindMenus();
    bool PrintPages(QPrinter& printer);
    QImage PageSnapshot();

    bool alphaBlend_ = false;
    int alphaBlendValue_ = 255;
};

// Sets the picture of a tool-bar button to one of its eighteen states (1..18).
void Img_Change(TImageEx* image, int state);

// Process-wide state of the program.
extern TMainForm* MainForm;
extern QString ComPortName;
extern QString CustomerText;
// The allocation table's bytes as in "ETM.vfa": only its ASCII placeholders are read.
extern QByteArray AllocationTemplate;
extern QByteArray AllocationText;
extern char StartupDir[260];
extern velko::RegistryStore* SettingsRegistry;
extern unsigned char SettingsLoaded;

namespace velko {
// The device link's port opener; tests put a recorder here.
using OpenComFunction = const char* (*)(const char* name);
extern OpenComFunction OpenComCall;
// Its port closer, beside it.
using ExitComFunction = void (*)();
extern ExitComFunction ExitComCall;
// Makes StartupDir the current directory again.
void RestoreStartupDir();
} // namespace velko
