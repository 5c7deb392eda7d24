// What the window definitions cannot carry and the window sets up in code.
#include "form_fixture.h"

#include <QLabel>

TEST_F(FormFixture, StatusPanelsStandSideBySideAsWideAsGiven)
{
    ProbeForm& f = makeForm();
    const int lefts[] = {0, 30, 400, 485}, widths[] = {30, 370, 85, 50};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.StatusPanels[i]->geometry().left(), lefts[i]) << "panel " << i;
        EXPECT_EQ(f.StatusPanels[i]->width(), widths[i]) << "panel " << i;
    }
    const QRect panel1 = f.StatusPanels[1]->geometry().translated(f.StatusBar->pos());
    EXPECT_TRUE(panel1.contains(f.ProgressBar->geometry())) << "the progress bar lies over panel 1";
}

TEST_F(FormFixture, SingleLineFieldsHaveNoLengthLimit)
{
    ProbeForm& f = makeForm();
    const QString longText(100000, u'x');
    f.ECustomerNo->setText(longText);
    EXPECT_EQ(f.ECustomerNo->text(), longText);
}
