// The joystick pages on the real window with settings loaded: a click on a relay-grid cell
// (toggle, repaint of the grid, allocation rebuild), a budget tick with nothing to do, and
// the worst tick (7 key relays and four axes at 16: 71 relays down to 40 in one tick).
// Prints median and worst of each in milliseconds. Offscreen unless a platform is set.
#include "bench_time.h"
#include "bench_window.h"
#include "mainform.h"
#include "program_entry.h"
#include "settings_image.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

void report(const char* what, const std::vector<double>& ms)
{
    std::printf("%-44s median %8.3f ms   worst %8.3f ms   (%zu runs)\n", what, bench::median(ms),
                *std::max_element(ms.begin(), ms.end()), ms.size());
}

void press(QTableWidget* grid, int column, int row)
{
    const QPointF at = grid->visualRect(grid->model()->index(row, column)).center();
    QMouseEvent down(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(grid->viewport(), &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(grid->viewport(), &up);
}

void setCount(TMainForm& form, QComboBox* list, void (TMainForm::*change)(QObject*), int count)
{
    list->setCurrentIndex(count);
    (form.*change)(list);
}

} // namespace

int main(int argc, char** argv)
{
    bench::offscreenByDefault();
    const bench::RunFolder dir("velko-joystick-bench");
    dir.copySideFiles(VELKO_SOURCE_DIR);

    velko::VelkoApplication app(argc, argv);
    bench::noPort();
    auto* form = new TMainForm();
    MainForm = form;
    form->ShowRelayTimer->stop(); // ticks are run by hand below
    form->show();
    form->NextPageBtnClick(form->NextPageBtn); // page 1: the LR grid
    QCoreApplication::processEvents();
    if (!form->LRRelayTable->isVisible()) {
        std::fprintf(stderr, "the LR grid is not on screen\n");
        return 1;
    }
    SettingsLoaded = 1;
    velko::KeyRelayCount = 7;
    velko::SegA(velko::EditImage, 37) = 7;

    setCount(*form, form->LRRelayCount, &TMainForm::LRRelayCountChange, 16);
    setCount(*form, form->UDRelayCount, &TMainForm::UDRelayCountChange, 16);
    setCount(*form, form->EWRelayCount, &TMainForm::EWRelayCountChange, 8);
    setCount(*form, form->SNRelayCount, &TMainForm::SNRelayCountChange, 0);
    form->ShowRelayTimerTimer(form->ShowRelayTimer);
    QCoreApplication::processEvents();

    std::vector<double> clicks;
    for (int i = 0; i < 400; ++i) {
        const int column = 1 + i % 11, row = 1 + (i / 11) % 16;
        const double start = bench::nowMs();
        press(form->LRRelayTable, column, row);
        clicks.push_back(bench::nowMs() - start);
        QCoreApplication::processEvents();
    }

    std::vector<double> idle;
    for (int i = 0; i < 400; ++i) {
        const double start = bench::nowMs();
        form->ShowRelayTimerTimer(form->ShowRelayTimer);
        idle.push_back(bench::nowMs() - start);
    }

    std::vector<double> worst;
    for (int i = 0; i < 40; ++i) {
        setCount(*form, form->LRRelayCount, &TMainForm::LRRelayCountChange, 16);
        setCount(*form, form->UDRelayCount, &TMainForm::UDRelayCountChange, 16);
        setCount(*form, form->EWRelayCount, &TMainForm::EWRelayCountChange, 16);
        setCount(*form, form->SNRelayCount, &TMainForm::SNRelayCountChange, 16);
        const double start = bench::nowMs();
        form->ShowRelayTimerTimer(form->ShowRelayTimer);
        worst.push_back(bench::nowMs() - start);
        if (velko::SNRelayNum != 0 || velko::EWRelayNum != 1) {
            std::fprintf(stderr, "the worst tick ended at SN %d, EW %d\n", velko::SNRelayNum, velko::EWRelayNum);
            return 1;
        }
        QCoreApplication::processEvents();
    }

    std::printf("joystick pages, %s, settings loaded, 7 key relays\n", qPrintable(QGuiApplication::platformName()));
    report("grid click (toggle, repaint, allocation)", clicks);
    report("budget tick with nothing to do", idle);
    report("worst budget tick (71 -> 40, 31 steps)", worst);
    bench::closeWindow(form);
    return 0;
}
