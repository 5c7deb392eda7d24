// List handlers of the general page that start-up runs.
#include "mainform.h"

#include "mainform_controls.h"
#include "settings_image.h"

#include <QComboBox>

using velko::EditImage;
using velko::SegA;

void TMainForm::OpenModeFuncChange(QObject*)
{
    // Only "開機鍵開機" is offered to the units: power-on mode 01 whatever was picked.
    std::uint8_t& byte18 = SegA(EditImage, 18);
    byte18 = static_cast<std::uint8_t>((byte18 | 0x01) & ~0x02);
    if (QComboBox* list = velko::FindControl<QComboBox>(this, "OpenModeFunc"))
        list->setCurrentIndex(1);
}

void TMainForm::InchTimeChange(QObject*)
{
    QComboBox* list = velko::FindControl<QComboBox>(this, "InchTime");
    const int item = list ? list->currentIndex() : -1;
    if (item >= 0 && item < static_cast<int>(velko::InchTimeTable.size()))
        SegA(EditImage, 11) = velko::InchTimeTable[static_cast<std::size_t>(item)];
}
