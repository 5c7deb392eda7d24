// Saving and opening a settings file from the window, the dialogs answered at once: the save
// (fold, lines, code page, the whole-file write) and the open (read, ArrangeSet, the pages
// loaded by ShowEEPROMSet, the identification fields, the customer page). Prints medians.
#include "bench_time.h"
#include "bench_window.h"
#include "mainform.h"
#include "program_entry.h"
#include "settings_image.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

using bench::median;
using bench::nowMs;

int main(int argc, char** argv)
{
    bench::offscreenByDefault();
    namespace fs = std::filesystem;
    const bench::RunFolder dir("velko-settings-file-bench");
    dir.writeSideFiles();

    velko::VelkoApplication app(argc, argv);
    bench::AnsweringDialogs dialogs;
    dialogs.file = dir.file("bench.Q37");
    auto* form = new TMainForm();
    MainForm = form;

    // A full customer page and an image with something in every byte.
    for (int k = 0; k < velko::SegmentBytes; ++k) {
        velko::SegB(velko::EditImage, k) = static_cast<std::uint8_t>(k * 7);
        velko::SegA(velko::EditImage, k) = static_cast<std::uint8_t>(0xFF - k);
    }
    form->IDCODE->setText(QStringLiteral("371A2B3C"));
    form->MachineSN->setText(QStringLiteral("37123456"));
    form->EEqupmentDate->setText(QStringLiteral("2005/08/12"));
    form->ECompanyName->setText(QStringLiteral("大同機械股份有限公司"));
    form->MCompanyAdd->setPlainText(QStringLiteral("台北市中山區\n民生東路 1 號"));
    form->MRemark->setPlainText(QStringLiteral("天車 3 號\n").repeated(20));
    SettingsLoaded = 1;

    constexpr int Runs = 51;
    std::vector<double> saveMs, openMs;
    int failures = 0;
    for (int i = 0; i < Runs; ++i) {
        double start = nowMs();
        form->SaveFileBtnMouseUp(form->SaveFileBtn, Qt::LeftButton, {}, 1, 1);
        saveMs.push_back(nowMs() - start);
        failures += dialogs.last != QStringLiteral("儲存檔案完成!!");

        start = nowMs();
        form->OpenFileBtnMouseUp(form->OpenFileBtn, Qt::LeftButton, {}, 1, 1);
        openMs.push_back(nowMs() - start);
        failures += dialogs.last != QStringLiteral("檔案開啟完成!!");
    }
    std::printf("save %6.2f ms | open %6.2f ms (medians of %d, goal < 30 ms each; file %ju bytes)\n", median(saveMs),
                median(openMs), Runs, static_cast<std::uintmax_t>(fs::file_size(dir / "bench.Q37")));
    if (failures)
        std::printf("%d runs did not end with their completion box\n", failures);

    bench::closeWindow(form);
    return failures ? 1 : 0;
}
