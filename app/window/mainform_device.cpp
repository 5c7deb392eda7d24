// Reading a unit's settings and writing them back: the connection, the model check, and the
// two roads of the tool bar, each bracketed by the busy state and ended by one message box.
#include "conversion.h"
#include "dialogs.h"
#include "identification.h"
#include "mainform.h"
#include "unit_passwords.h"

#include <fenlo.h>

#include <QApplication>

#include <functional>
#include <optional>

using namespace velko;

namespace {

const QString ConnectFailedText =
    QStringLiteral("連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;若通信埠錯誤,需於設定後重新啟動程式!");
const QString NotLoadedText = QStringLiteral("請先開啟或讀取設定!");

constexpr int IdentificationBlock = 0xFF60;

enum class RoadEnd { Done, Failed, WrongModel };

// The image as the device link takes it: two rows of 128 bytes.
unsigned char (*rows(SegmentImage& image))[FENLO_SEGMENT_BYTES]
{
    return reinterpret_cast<unsigned char(*)[FENLO_SEGMENT_BYTES]>(image.data());
}

bool modelMatches()
{
    // One letter of the model word in its place is enough.
    return VectorData[RecordModelTagAt] == 'Q' || VectorData[RecordModelTagAt + 1] == '3'
        || VectorData[RecordModelTagAt + 2] == '7';
}

struct RoadTexts {
    QString doneText, doneCaption, failedText, failedCaption;
};

// The road's one box; a failure first fills the progress bar.
void reportRoadEnd(QProgressBar* progress, RoadEnd end, const RoadTexts& texts)
{
    if (end != RoadEnd::Done)
        progress->setValue(progress->maximum());
    switch (end) {
    case RoadEnd::Done: MessageBoxOk(texts.doneText, texts.doneCaption, BoxIcon::Information); break;
    case RoadEnd::Failed: MessageBoxOk(texts.failedText, texts.failedCaption, BoxIcon::Error); break;
    case RoadEnd::WrongModel:
        MessageBoxOk(QStringLiteral("機種錯誤,確認您的機型!!"), QStringLiteral("機種錯誤"), BoxIcon::Error);
        break;
    }
}

// The progress bar from 0 to `max`, and the step that moves it on by one.
std::function<void()> startProgress(QProgressBar* progress, int max)
{
    progress->setValue(0);
    progress->setMaximum(max);
    return [progress] { progress->setValue(progress->value() + 1); };
}

// The hourglass and a disabled tool bar for as long as a road runs, however it ends.
class BusyRoad {
public:
    explicit BusyRoad(TMainForm& form) : form_(form) { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyRoad()
    {
        QApplication::restoreOverrideCursor();
        form_.Enable_Button();
    }
    BusyRoad(const BusyRoad&) = delete;
    BusyRoad& operator=(const BusyRoad&) = delete;

private:
    TMainForm& form_;
};

// A lost erase or write frame still ends in an acknowledge: the sync byte behind it is
// answered all the same. Only the segments read back tell what the unit holds.
bool landed(const SegmentImage& sent)
{
    SegmentImage found{};
    return LoadSegmentA(rows(found), DevicePassword.data()) && LoadSegmentB(rows(found), DevicePassword.data())
        && found == sent;
}

// The start both roads share: connection, model check, the loader's version (which also
// decides whether the steps after it load the patch). Done means the road goes on.
RoadEnd OpenUnit(TMainForm& form, const std::function<void()>& step)
{
    if (!form.ConnectDevice())
        return RoadEnd::Failed;
    step();
    if (!modelMatches())
        return RoadEnd::WrongModel;
    // 0 is a failure; 0xEE, no version at all, lets the road go on.
    if (GetICData(DevicePassword.data()) == 0)
        return RoadEnd::Failed;
    step();
    return RoadEnd::Done;
}

} // namespace

bool TMainForm::ConnectDevice()
{
    Handshake();
    DevicePassword = TxPasswordTable;
    bool open = WritePassword(DevicePassword.data());
    if (!open) {
        Handshake();
        DevicePassword = RxPasswordTable;
        open = WritePassword(DevicePassword.data());
    }
    // An erased unit; the receiver's password stays for the calls that follow.
    bool blank = false;
    if (!open)
        open = blank = WriteBlankPassword();
    // An erased unit refuses the receiver's password, so its block stays unread, all 0xFF,
    // and the model check turns it away. A unit that took its own password and then lost or
    // garbled this reply has a bad line, not the wrong model.
    if (!open || (!LoadData(IdentificationBlock, DevicePassword.data(), VectorData.data()) && !blank)) {
        MessageBoxOk(ConnectFailedText, QStringLiteral("連線失敗"), BoxIcon::Error);
        return false;
    }
    return true;
}

void TMainForm::ReadUnitSettings()
{
    SettingsLoaded = 0;
    Disable_Button();
    if (PageControl->currentWidget() != Tab_General) {
        PageControl->setCurrentIndex(1);
        PreviousPageBtnClick(PreviousPageBtn);
    }
    BusyRoad busy(*this);
    const auto step = startProgress(ProgressBar, 5);

    const RoadEnd end = [&] {
        if (const RoadEnd opened = OpenUnit(*this, step); opened != RoadEnd::Done)
            return opened;
        if (!LoadSegmentA(rows(ReadImage), DevicePassword.data()))
            return RoadEnd::Failed;
        step();
        if (!LoadSegmentB(rows(ReadImage), DevicePassword.data()))
            return RoadEnd::Failed;
        step();
        EditImage = ReadImage;
        BaselineImage = ReadImage;
        step();
        return RoadEnd::Done;
    }();

    reportRoadEnd(ProgressBar, end,
                  {QStringLiteral("讀取設定完成!!"), QStringLiteral("讀取"),
                   QStringLiteral("讀取設定錯誤,請再試一次!!"), QStringLiteral("讀取錯誤")});
    if (end == RoadEnd::Done) {
        ShowEEPROMSet();
        ShowSystem();
        SettingsLoaded = 1;
    }
}

void TMainForm::WriteUnitSettings()
{
    Disable_Button();
    std::optional<BusyRoad> busy(std::in_place, *this);
    if (SettingsLoaded != 1) {
        MessageBoxOk(NotLoadedText, QStringLiteral("錯誤"), BoxIcon::Error);
        return;
    }
    try {
        MakeCompleteCode();
        PutSystemCode();
        CalculateChecksum();
    } catch (const ConversionError& e) {
        // Nothing is sent; the busy state ends before the message shows.
        busy.reset();
        ShowException(e.message());
        return;
    }
    const auto step = startProgress(ProgressBar, 6);

    const RoadEnd end = [&] {
        if (const RoadEnd opened = OpenUnit(*this, step); opened != RoadEnd::Done)
            return opened;
        const unsigned char* pw = DevicePassword.data();
        if (!EraseSegmentA(pw))
            return RoadEnd::Failed;
        step();
        if (!EraseSegmentB(pw))
            return RoadEnd::Failed;
        step();
        // The rows as each write takes them: the pages stay usable while the road runs.
        SegmentImage sent{};
        sent[SegmentARow] = EditImage[SegmentARow];
        if (!WriteSegmentA(rows(EditImage), pw))
            return RoadEnd::Failed;
        step();
        sent[SegmentBRow] = EditImage[SegmentBRow];
        // The last step holds the read-back too.
        if (!WriteSegmentB(rows(EditImage), pw) || !landed(sent))
            return RoadEnd::Failed;
        step();
        return RoadEnd::Done;
    }();

    reportRoadEnd(ProgressBar, end,
                  {QStringLiteral("寫入設定成功!!"), QStringLiteral("寫入"), QStringLiteral("寫入設定失敗!!"),
                   QStringLiteral("寫入")});
}
