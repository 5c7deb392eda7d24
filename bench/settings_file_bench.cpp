// Saving and opening a settings file from the window, the dialogs answered at once: the save
// (fold, lines, code page, the whole-file write) and the open (read, ArrangeSet, the pages
// loaded by ShowEEPROMSet, the identification fields, the customer page). Prints medians.
#include "bench_time.h"
#include "dialogs.h"
#include "mainform.h"
#include "program_entry.h"
#include "settings_image.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

using bench::median;
using bench::nowMs;

namespace {

class AnsweringDialogs : public velko::DialogSeam {
public:
    void messageBox(const velko::MessageRequest& r) override { last = r.text; }
    bool ask(const velko::MessageRequest&) override { return true; }
    QString openFileName(const velko::FileRequest&) override { return file; }
    QString saveFileName(const velko::FileRequest&) override { return file; }
    bool printDialog(QPrinter&) override { return false; }
    void openDocument(const QString&) override {}
    QString file, last;
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "velko-settings-file-bench";
    fs::remove_all(dir);
    fs::create_directories(dir / "config");
    fs::permissions(dir, fs::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    fs::current_path(dir);
    std::ofstream(dir / "ETM.vfa") << "<td>Act01</td>\r\n";
    std::ofstream(dir / "Vie32.vfd") << "";

    velko::VelkoApplication app(argc, argv);
    AnsweringDialogs dialogs;
    dialogs.file = QString::fromStdString((dir / "bench.Q37").string());
    velko::SetDialogSeam(&dialogs);
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
    std::printf("save %6.2f ms | open %6.2f ms (medians of %d, goal < 30 ms each; file %ju bytes)\n",
                median(saveMs), median(openMs), Runs, static_cast<std::uintmax_t>(fs::file_size(dir / "bench.Q37")));
    if (failures)
        std::printf("%d runs did not end with their completion box\n", failures);

    MainForm = nullptr;
    delete form;
    velko::SetDialogSeam(nullptr);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    return failures ? 1 : 0;
}
