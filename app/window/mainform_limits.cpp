// The special page: low battery, EMS repeat, battery counter, duty cycle, gaps and battery limits.
#include "mainform.h"

#include "dialogs.h"
#include "limit_rules.h"
#include "mainform_controls.h"
#include "settings_image.h"
#include "settings_map.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <functional>
#include <optional>

using velko::EditImage;
using velko::ImageByte;

namespace {

// The character a key types, as a key handler sees it; nothing for a key that types none
// (Tab, Delete, Meta combinations, Ctrl with anything but a letter). Ctrl with a letter types
// its control character (Ctrl+V is 22), whether or not the platform put it into the text.
std::optional<QChar> typedCharacter(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Delete || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab
        || (key.modifiers() & Qt::MetaModifier))
        return std::nullopt;
    const QString text = key.text();
    if (key.modifiers() & Qt::ControlModifier) {
        if (!text.isEmpty() && text[0].unicode() < u' ')
            return text[0];
        if (key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
            return QChar(static_cast<char16_t>(key.key() - Qt::Key_A + 1));
        return std::nullopt;
    }
    if (text.isEmpty())
        return std::nullopt;
    return text[0];
}

// Hands each character typed into an edit to its key handler before the edit sees it; a
// handler that nulls the character drops it. Keys that type no character go straight to the
// edit. Text committed by an input method is typed too: its characters meet the handler one
// by one, as keys would.
class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QLineEdit* edit, std::function<void(QChar&)> handler)
        : QObject(edit), edit_(edit), handler_(std::move(handler))
    {
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethod)
            return inputMethod(static_cast<QInputMethodEvent*>(event));
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const std::optional<QChar> character = typedCharacter(*key);
        if (!character)
            return false;
        QChar typed = *character;
        if (take(typed))
            return false;
        key->accept();
        return true;
    }

private:
    // Runs the handler on one character; false when it dropped it.
    bool take(QChar& typed)
    {
        try {
            handler_(typed);
        } catch (...) {
            // The handler ended on a conversion error; the character goes nowhere.
            velko::ShowCurrentException();
            typed = QChar();
        }
        return !typed.isNull();
    }

    bool inputMethod(QInputMethodEvent* event)
    {
        const QString committed = event->commitString();
        if (committed.isEmpty())
            return false;
        // The edit ends its composition first, then takes what the handler lets through.
        QInputMethodEvent composed(event->preeditString(), event->attributes());
        composed.setCommitString(QString(), event->replacementStart(), event->replacementLength());
        QCoreApplication::sendEvent(edit_, &composed);
        for (QChar typed : committed) {
            if (take(typed))
                edit_->insert(QString(typed));
        }
        event->accept();
        return true;
    }

    QLineEdit* edit_;
    std::function<void(QChar&)> handler_;
};

void applyColour(QLineEdit* edit, velko::EditColour colour)
{
    if (colour == velko::EditColour::Taken)
        velko::SetEditColour(edit, velko::TakenColour);
    else if (colour == velko::EditColour::Window)
        velko::SetEditColour(edit, QApplication::palette(edit).color(QPalette::Base));
}

void applyGap(QLineEdit* edit, ImageByte byte)
{
    const velko::GapVerdict verdict = velko::GapRule(edit->text());
    if (verdict.action == velko::GapVerdict::Action::Store)
        velko::At(EditImage, byte) = verdict.value;
    else if (verdict.action == velko::GapVerdict::Action::Clear)
        edit->clear(); // runs the change handler once more, on the empty text
}

void dutyKey(QLineEdit* edit, ImageByte byte, QChar& key)
{
    const velko::DutyVerdict verdict = velko::DutyRule(key, edit->text());
    if (verdict.value)
        velko::At(EditImage, byte) = *verdict.value;
    if (verdict.dropKey)
        key = QChar();
    if (!verdict.message.isEmpty())
        velko::ShowMessage(verdict.message);
    if (verdict.clear)
        edit->clear();
    applyColour(edit, verdict.colour);
}

QLineEdit* batteryEdit(TMainForm& form, velko::BatteryEdit which)
{
    switch (which) {
    case velko::BatteryEdit::BattUp: return form.BattUp;
    case velko::BatteryEdit::BattUp1: return form.BattUp1;
    case velko::BatteryEdit::BattDown: return form.BattDown;
    case velko::BatteryEdit::BattDown1: break;
    }
    return form.BattDown1;
}

void batteryKey(TMainForm& form, velko::BatteryEdit which, QChar& key)
{
    const velko::BatteryEditTraits traits = velko::BatteryTraits(which);
    QLineEdit* const edit = batteryEdit(form, which);
    QLineEdit* const partner = batteryEdit(form, traits.partner);
    const velko::BatteryVerdict verdict = velko::BatteryRule(which, key, edit->text(), partner->text());
    if (verdict.storePair) {
        const bool high = traits.role == velko::BatteryRole::High;
        const QString highText = (high ? edit : partner)->text();
        const QString lowText = (high ? partner : edit)->text();
        velko::StoreBatteryPair(highText.toStdString(), lowText.toStdString(), traits.pair);
    }
    if (!verdict.message.isEmpty())
        velko::ShowMessage(verdict.message);
    if (verdict.clear)
        edit->clear();
    applyColour(edit, verdict.colour);
    if (verdict.clearPartner)
        partner->clear();
    applyColour(partner, verdict.partnerColour);
}

} // namespace

void TMainForm::BindSpecialPage()
{
    connect(LowBattFunc, &QComboBox::activated, this, [this] { LowBattFuncChange(LowBattFunc); });
    connect(LowBattEMSFunc, &QComboBox::activated, this, [this] { LowBattEMSFuncChange(LowBattEMSFunc); });
    connect(EMSCounterFunc, &QComboBox::activated, this, [this] { EMSCounterFuncChange(EMSCounterFunc); });
    connect(BattCounterFunc, &QComboBox::activated, this, [this] { BattCounterFuncChange(BattCounterFunc); });

    using Change = void (TMainForm::*)(QObject*);
    const std::pair<QLineEdit*, Change> gaps[] = {{VR1YGap, &TMainForm::VR1YGapChange},
                                                  {VR1XGap, &TMainForm::VR1XGapChange},
                                                  {VR2YGap, &TMainForm::VR2YGapChange},
                                                  {VR2XGap, &TMainForm::VR2XGapChange}};
    for (const auto& [edit, handler] : gaps) {
        // Typed, pasted, dropped or set by the program: every change of the text.
        connect(edit, &QLineEdit::textChanged, this, [this, edit = edit, handler = handler] {
            try {
                (this->*handler)(edit);
            } catch (...) {
                velko::ShowCurrentException();
            }
        });
    }

    using Key = void (TMainForm::*)(QChar&);
    const std::pair<QLineEdit*, Key> keyed[] = {{DutyTx, &TMainForm::DutyTxKeyPress},
                                                {DutyCounter, &TMainForm::DutyCounterKeyPress},
                                                {BattUp, &TMainForm::BattUpKeyPress},
                                                {BattUp1, &TMainForm::BattUp1KeyPress},
                                                {BattDown, &TMainForm::BattDownKeyPress},
                                                {BattDown1, &TMainForm::BattDown1KeyPress}};
    for (const auto& [edit, handler] : keyed)
        new KeyPressFilter(edit, [this, handler = handler](QChar& key) { (this->*handler)(key); });
}

void TMainForm::LowBattFuncChange(QObject*)
{
    velko::StoreItem(EditImage, velko::LowBattFuncField, LowBattFunc->currentIndex());
}

void TMainForm::LowBattEMSFuncChange(QObject*)
{
    velko::StoreItem(EditImage, velko::LowBattEMSFuncField, LowBattEMSFunc->currentIndex());
}

void TMainForm::EMSCounterFuncChange(QObject*)
{
    velko::StoreEMSCounterFunc(EditImage, EMSCounterFunc->currentIndex());
}

void TMainForm::BattCounterFuncChange(QObject*)
{
    velko::StoreBattCounterFunc(EditImage, BattCounterFunc->currentIndex());
}

void TMainForm::VR1YGapChange(QObject*) { applyGap(VR1YGap, velko::GapField[0]); }
void TMainForm::VR1XGapChange(QObject*) { applyGap(VR1XGap, velko::GapField[1]); }
void TMainForm::VR2YGapChange(QObject*) { applyGap(VR2YGap, velko::GapField[2]); }
void TMainForm::VR2XGapChange(QObject*) { applyGap(VR2XGap, velko::GapField[3]); }

void TMainForm::DutyTxKeyPress(QChar& Key) { dutyKey(DutyTx, velko::DutyTxField, Key); }
void TMainForm::DutyCounterKeyPress(QChar& Key) { dutyKey(DutyCounter, velko::DutyCounterField, Key); }

void TMainForm::BattUpKeyPress(QChar& Key) { batteryKey(*this, velko::BatteryEdit::BattUp, Key); }
void TMainForm::BattUp1KeyPress(QChar& Key) { batteryKey(*this, velko::BatteryEdit::BattUp1, Key); }
void TMainForm::BattDownKeyPress(QChar& Key) { batteryKey(*this, velko::BatteryEdit::BattDown, Key); }
void TMainForm::BattDown1KeyPress(QChar& Key) { batteryKey(*this, velko::BatteryEdit::BattDown1, Key); }
