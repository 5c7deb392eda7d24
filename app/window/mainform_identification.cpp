// The identification fields at the top of the window: their zero fill, their fold into the
// settings image before a write or a save, and how a read or an open fills them.
#include "identification.h"
#include "mainform.h"

namespace {

// Six positions right-aligned behind zeros; the mask's "37" back in front.
void zeroFill(TMaskEdit* field)
{
    field->setEditMask(QString());
    field->setText(velko::ZeroFilled(field->text()));
    field->setEditMask(velko::IdCodeMask);
}

void showDigits(TMaskEdit* field, const QString& digits, const QString& mask)
{
    field->setEditMask(QString());
    field->setText(QString());
    field->setText(digits);
    field->setEditMask(mask);
}

} // namespace

void TMainForm::MakeCompleteCode() { zeroFill(IDCODE); }

void TMainForm::IDCODEKeyPress(QChar& Key)
{
    if (Key == u'\r')
        zeroFill(IDCODE);
}

void TMainForm::MachineSNKeyPress(QChar& Key)
{
    if (Key == u'\r')
        zeroFill(MachineSN);
}

void TMainForm::PutSystemCode()
{
    velko::FoldIdentification({IDCODE->text(), MachineSN->text(), EEqupmentDate->text()}, velko::EditImage);
}

void TMainForm::CalculateChecksum() { velko::CalculateCheckBytes(velko::EditImage); }

void TMainForm::ShowSystem()
{
    showDigits(IDCODE, velko::IdCodeDigits(velko::BaselineImage), velko::IdCodeMask);
    showDigits(EEqupmentDate, velko::DateDigitsFromRecord(velko::VectorData), velko::FactoryDateMask);
    showDigits(MachineSN, velko::SerialDigitsFromRecord(velko::VectorData), velko::IdCodeMask);
}

void TMainForm::ShowSystemFromImage()
{
    showDigits(IDCODE, velko::IdCodeDigits(velko::EditImage), velko::IdCodeMask);
    showDigits(MachineSN, velko::SerialDigitsFromImage(velko::EditImage), velko::IdCodeMask);
    showDigits(EEqupmentDate, velko::DateDigitsFromImage(velko::EditImage), velko::FactoryDateMask);
}
