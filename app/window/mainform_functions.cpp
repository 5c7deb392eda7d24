// List handlers of the general page that start-up runs.
#include "mainform.h"

#include "settings_image.h"

#include <QComboBox>

using velko::EditImage;
using velko::SegA;

void TMainForm::OpenModeFuncChange(QObject*)
{
    // Only "開機鍵開機" is offered to the units: power-on mode 01 whatever was picked.
    std::uint8_t& byte18 = SegA(EditImage, 18);
    byte18 = static_cast<std::uint8_t>((byte18 | 0x01) & ~0x02);
    OpenModeFunc->setCurrentIndex(1);
}

void TMainForm::InchTimeChange(QObject*)
{
    const int item = InchTime->currentIndex();
    if (item >= 0 && item < static_cast<int>(velko::InchTimeTable.size()))
        SegA(EditImage, 11) = velko::InchTimeTable[static_cast<std::size_t>(item)];
}
