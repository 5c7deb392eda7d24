// Walking the seven settings pages: one sheet visible at a time, no tabs.
#include "mainform.h"

namespace {
constexpr int LastPage = 6;
}

void TMainForm::ShowPage(int page)
{
    for (int i = 0; i < PageControl->count(); ++i)
        PageControl->setTabVisible(i, i == page);
    PageControl->setCurrentIndex(page);
    PreviousPageBtn->setEnabled(page > 0);
    NextPageBtn->setEnabled(page < LastPage);
}

void TMainForm::NextPageBtnClick(QObject*)
{
    const int active = PageControl->currentIndex();
    if (active < 0 || active >= LastPage)
        return;
    ShowPage(active + 1);
}

void TMainForm::PreviousPageBtnClick(QObject*)
{
    const int active = PageControl->currentIndex();
    ShowPage(active <= 0 ? 0 : active - 1);
}
