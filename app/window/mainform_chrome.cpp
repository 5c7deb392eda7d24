// What the main window's form definition cannot hold, built from the same data: the two
// timers, the pop-up menus with their pictures, the image list, the status-bar panels;
// the event bindings; the background, the clock and dragging by the background.
#include "mainform.h"

#include "background_gradient.h"
#include "clock_text.h"
#include "fixed_cells.h"
#include "imageex.h"
#include "maskedit.h"
#include "relay_budget.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFontMetrics>
#include <QHash>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace {

QString pictureName(const char* folder, int index)
{
    return QStringLiteral(":/pictures/%1/%2.png").arg(QLatin1String(folder)).arg(index, 2, 10, QLatin1Char('0'));
}

// The free-relay count as wide as its widest value, sign included: the five stored counts of
// a loaded image can ask for up to 5 x 255 relays. The unit word and the panel move along.
void fitRelayCounter(QLabel* counter, QLabel* unit, QWidget* panel)
{
    const QFontMetrics metrics(counter->font());
    const velko::AxisCounts most{255, 255, 255, 255};
    int widest = 0;
    for (long long n = velko::FreeRelays(255, most); n <= velko::RelayBudget; ++n)
        widest = std::max(widest, metrics.horizontalAdvance(QString::number(n)));
    const int grow = widest - counter->contentsRect().width();
    if (grow <= 0)
        return;
    counter->resize(counter->width() + grow, counter->height());
    unit->move(unit->x() + grow, unit->y());
    panel->resize(panel->width() + grow, panel->height());
}

} // namespace

void Img_Change(TImageEx* image, int state)
{
    static QHash<int, QPixmap> pictures;
    auto it = pictures.find(state);
    if (it == pictures.end())
        it = pictures.insert(state, QPixmap(pictureName("toolbar", state)));
    image->setPixmap(*it);
    image->setProperty("pictureState", state);
}

void TMainForm::BuildChrome()
{
    // A dialog frame: fixed size, a close box and no other.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    PageControl->tabBar()->hide();

    const QPalette system = palette();
    const struct {
        QTableWidget* grid;
        QColor fixed;
    } grids[] = {{LRRelayTable, system.color(QPalette::ToolTipBase)},
                 {UDRelayTable, QColor(166, 202, 240)},
                 {EWRelayTable, system.color(QPalette::Button)},
                 {SNRelayTable, QColor(192, 220, 192)},
                 {KeyRelayTable, system.color(QPalette::Button)}};
    for (const auto& g : grids)
        g.grid->setItemDelegate(new velko::FixedCellsDelegate(g.fixed, g.grid));

    QFont digits = RelayCounterLabel->font();
    digits.setPixelSize(21);
    RelayCounterLabel->setFont(digits);
    fitRelayCounter(RelayCounterLabel, PanelRelayUnit, PanelRelayCount);

    // Single-line fields take texts of any length.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (!qobject_cast<TMaskEdit*>(edit))
            edit->setMaxLength(std::numeric_limits<int>::max());
    }

    DateTimer = new QTimer(this);
    DateTimer->setObjectName(QStringLiteral("DateTimer"));
    DateTimer->setInterval(1000);
    DateTimer->start();
    ShowRelayTimer = new QTimer(this);
    ShowRelayTimer->setObjectName(QStringLiteral("ShowRelayTimer"));
    ShowRelayTimer->setInterval(200);
    ShowRelayTimer->start();

    for (int i = 0; QFile::exists(pictureName("images", i)); ++i)
        ImageList.append(QIcon(pictureName("images", i)));
    const auto picture = [this](int index) { return index < ImageList.size() ? ImageList[index] : QIcon(); };

    PrintMenu = new QMenu(this);
    PrintMenu->setObjectName(QStringLiteral("PrintMenu"));
    NPreviewSch = PrintMenu->addAction(picture(6), QStringLiteral("預    覽    接   線   圖"));
    NPreviewSch->setObjectName(QStringLiteral("NPreviewSch"));
    NPrintSetup = PrintMenu->addAction(picture(30), QStringLiteral("列      印      設      定"));
    NPrintSetup->setObjectName(QStringLiteral("NPrintSetup"));

    COMMenu = new QMenu(this);
    COMMenu->setObjectName(QStringLiteral("COMMenu"));
    COM11 = COMMenu->addMenu(picture(0), QStringLiteral("Select COM Port"));
    COM11->setObjectName(QStringLiteral("COM11"));
    for (int i = 1; i <= 10; ++i) {
        NCOM[i] = COM11->addAction(picture(0), QStringLiteral("COM %1").arg(i));
        NCOM[i]->setObjectName(QStringLiteral("NCOM%1").arg(i));
        NCOM[i]->setCheckable(true);
    }
    AboutProgram1 = COMMenu->addAction(picture(1), QStringLiteral("About Program"));
    AboutProgram1->setObjectName(QStringLiteral("AboutProgram1"));

    struct Panel {
        int width;
        const char* text;
    };
    const Panel panels[] = {{30, "狀態"}, {370, ""}, {85, "日期"}, {50, "時間"}};
    StatusBar->setSizeGripEnabled(false);
    // Panels side by side from the bar's left edge, as wide as given; the progress bar lies
    // over panel 1.
    int left = 0;
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QString::fromUtf8(panels[i].text), StatusBar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setGeometry(left, 0, panels[i].width, StatusBar->height());
        left += panels[i].width;
        QFont small = label->font(); // the panels' widths are made for the small status font
        small.setPixelSize(11);
        label->setFont(small);
        label->setAlignment(Qt::AlignCenter);
        StatusPanels[i] = label;
    }
    ProgressBar->raise();

    const struct {
        TImageEx* button;
        int firstState;
        const char* hint;
    } buttons[] = {{OpenFileBtn, 1, "開啟設定"}, {SaveFileBtn, 4, "儲存設定"},  {PrintBtn, 7, "列印"},
                   {ReadSetBtn, 10, "讀取設定"}, {WriteSetBtn, 13, "寫入設定"}, {AboutBtn, 16, "設定"}};
    for (const auto& b : buttons) {
        b.button->setToolTip(QString::fromUtf8(b.hint));
        Img_Change(b.button, b.firstState);
    }
}

void TMainForm::BindEvents()
{
    using M = TMainForm;
    using Notify = void (M::*)(QObject*);
    using Mouse = void (M::*)(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int);
    const struct {
        TImageEx* button;
        Notify leave;
        Notify enter;
        Mouse down;
        Mouse up;
    } bindings[] = {
        {OpenFileBtn, &M::OpenFileBtnMouseLeave, &M::OpenFileBtnMouseEnter, &M::OpenFileBtnMouseDown,
         &M::OpenFileBtnMouseUp},
        {SaveFileBtn, &M::SaveFileBtnMouseLeave, &M::SaveFileBtnMouseEnter, &M::SaveFileBtnMouseDown,
         &M::SaveFileBtnMouseUp},
        {PrintBtn, &M::PrintBtnMouseLeave, &M::PrintBtnMouseEnter, &M::PrintBtnMouseDown, &M::PrintBtnMouseUp},
        {ReadSetBtn, &M::ReadSetBtnMouseLeave, &M::ReadSetBtnMouseEnter, &M::ReadSetBtnMouseDown,
         &M::ReadSetBtnMouseUp},
        {WriteSetBtn, &M::WriteSetBtnMouseLeave, &M::WriteSetBtnMouseEnter, &M::WriteSetBtnMouseDown,
         &M::WriteSetBtnMouseUp},
        {AboutBtn, &M::AboutBtnMouseLeave, &M::AboutBtnMouseEnter, &M::AboutBtnMouseDown, &M::AboutBtnMouseUp},
    };
    for (const auto& b : bindings) {
        b.button->OnMouseLeave = [this, f = b.leave](QObject* s) { (this->*f)(s); };
        b.button->OnMouseEnter = [this, f = b.enter](QObject* s) { (this->*f)(s); };
        b.button->OnMouseDown = [this, f = b.down](QObject* s, Qt::MouseButton k, Qt::KeyboardModifiers m, int x,
                                                   int y) { (this->*f)(s, k, m, x, y); };
        b.button->OnMouseUp = [this, f = b.up](QObject* s, Qt::MouseButton k, Qt::KeyboardModifiers m, int x, int y) {
            (this->*f)(s, k, m, x, y);
        };
    }

    IDCODE->onKeyPress = [this](QChar& key) { IDCODEKeyPress(key); };
    MachineSN->onKeyPress = [this](QChar& key) { MachineSNKeyPress(key); };

    connect(PreviousPageBtn, &QPushButton::clicked, this, [this] { PreviousPageBtnClick(PreviousPageBtn); });
    connect(NextPageBtn, &QPushButton::clicked, this, [this] { NextPageBtnClick(NextPageBtn); });
    connect(DateTimer, &QTimer::timeout, this, [this] { DateTimerTimer(DateTimer); });
    connect(NPreviewSch, &QAction::triggered, this, [this] { NPreviewSchClick(NPreviewSch); });
    connect(AboutProgram1, &QAction::triggered, this, [this] { AboutProgram1Click(AboutProgram1); });
    BindGeneralPage();
    BindJoystickPages();
    BindSpecialPage();
    BindMenus();
}

void TMainForm::PopupMenuAt(QMenu* menu, const QPoint& screenPoint) { menu->exec(screenPoint); }

void TMainForm::OpenMenuUnder(TImageEx* button, QMenu* menu)
{
    const QPoint outer = frameGeometry().topLeft();
    PopupMenuAt(menu, QPoint(outer.x() + button->x() + 5, outer.y() + button->height() + 26));
}

void TMainForm::DateTimerTimer(QObject*)
{
    StatusPanels[2]->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    StatusPanels[3]->setText(velko::LongTimeText(QTime::currentTime(), QLocale::system()));
}

void TMainForm::FormPaint(QObject*)
{
    QPainter painter(this);
    const auto height = static_cast<float>(frameGeometry().height());
    for (int y = 0; y < velko::GradientRows; ++y) {
        const velko::Rgb c = velko::GradientRow(y, height);
        painter.setPen(QColor(c.red, c.green, c.blue));
        painter.drawLine(0, y, velko::GradientWidth, y);
    }
}

void TMainForm::paintEvent(QPaintEvent*) { FormPaint(this); }

void TMainForm::FormMouseDown(QObject*, Qt::MouseButton Button, Qt::KeyboardModifiers, int, int)
{
    if (Button != Qt::LeftButton)
        return;
    if (QWindow* window = windowHandle())
        window->startSystemMove();
    QCoreApplication::processEvents();
}

void TMainForm::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    // Only the bare background: presses that a control let through are not a drag.
    if (childAt(at)) {
        QWidget::mousePressEvent(event);
        return;
    }
    FormMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
}
