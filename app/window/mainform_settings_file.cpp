// Settings files: the save of the working image with the customer page, and the open that
// brings a file back into the images, the pages and the customer page.
#include "conversion.h"
#include "dialogs.h"
#include "mainform.h"
#include "settings_file.h"
#include "text_file.h"
#include "whole_file_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <array>
#include <filesystem>
#include <optional>

using namespace velko;

namespace {

const QString FileFilter = QStringLiteral("VELKO-Q37 Format (*.Q37)");
const QString FileExtension = QStringLiteral("Q37");
const QString NotLoadedText = QStringLiteral("請先開啟或讀取設定!");
const QString SaveCaption = QStringLiteral("儲存檔案");
const QString OpenCaption = QStringLiteral("開啟檔案");

// The customer page's controls in the order of the file: a line edit or a memo each.
struct CustomerControl {
    QLineEdit* edit;
    QPlainTextEdit* memo;
};

std::array<CustomerControl, CustomerFieldCount> customerControls(TMainForm& f)
{
    return {{{f.ECustomerNo, nullptr},
             {f.ECompanyName, nullptr},
             {f.ECompanyFax, nullptr},
             {f.ECompanyTel, nullptr},
             {f.ECompanyEmail, nullptr},
             {nullptr, f.MCompanyAdd},
             {f.EContectName, nullptr},
             {f.EContectTel, nullptr},
             {f.EContectMobil, nullptr},
             {f.EContectEmail, nullptr},
             {nullptr, f.MRemark},
             {f.EChanel, nullptr},
             {f.EFrequency, nullptr}}};
}

CustomerRecord customerRecord(TMainForm& f)
{
    CustomerRecord record;
    const auto controls = customerControls(f);
    for (std::size_t i = 0; i < controls.size(); ++i)
        record[i] = (controls[i].edit ? controls[i].edit->text() : controls[i].memo->toPlainText()).toStdString();
    return record;
}

QString shownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

// The file to save to. A name without an extension gets the default one; an existing file
// is replaced only when the user says so, otherwise the dialog comes back.
QString chooseSaveFile()
{
    FileRequest request{QString(), FileFilter, FileExtension, QString()};
    for (;;) {
        QString name = Dialogs().saveFileName(request);
        if (name.isEmpty())
            return name;
        if (!QFileInfo(name).fileName().contains(u'.'))
            name += u'.' + FileExtension;
        const QFileInfo file(name);
        if (!file.exists() || file.isDir())
            return name;
        const QString question = QStringLiteral("%1 已存在。\n您要取代它嗎?").arg(file.fileName());
        if (Dialogs().ask({question, SaveCaption, BoxIcon::None}))
            return name;
        request.directory = name;
    }
}

} // namespace

void TMainForm::SaveSettingsFile()
{
    MakeCompleteCode();
    if (SettingsLoaded != 1) {
        MessageBoxOk(NotLoadedText, QStringLiteral("錯誤"), BoxIcon::Error);
        Enable_Button();
        return;
    }
    try {
        PutSystemCode();
        CalculateChecksum();
    } catch (const ConversionError& e) {
        // The dialog never opens and no file is written.
        Enable_Button();
        ShowException(e.message());
        return;
    }
    const CustomerRecord customer = customerRecord(*this);
    if (const auto field = FieldOutsideCp950(customer)) {
        // Written as it is, such a character would come back as another one, or as '?'.
        MessageBoxOk(QStringLiteral("「%1」中有 cp950 無法存放的字元,檔案未儲存!")
                         .arg(QString::fromUtf8(CustomerFields[static_cast<std::size_t>(*field)].caption)),
                     QStringLiteral("錯誤"), BoxIcon::Error);
        Enable_Button();
        return;
    }

    Disable_Button();
    const QString name = chooseSaveFile();
    if (name.isEmpty()) {
        Enable_Button();
        return;
    }
    try {
        WriteFileWhole(name, Utf8ToCp950(JoinLines(SettingsFileLines(EditImage, customer))));
    } catch (const FileError& e) {
        Enable_Button();
        ShowException(QString::fromStdString(e.what()));
        return;
    }
    MessageBoxOk(QStringLiteral("儲存檔案完成!!"), SaveCaption, BoxIcon::Information);
    Enable_Button();
}

void TMainForm::OpenSettingsFile()
{
    PageControl->setCurrentIndex(1);
    PreviousPageBtnClick(PreviousPageBtn);
    const unsigned char wasLoaded = SettingsLoaded;
    SettingsLoaded = 0;
    Disable_Button();

    const QString name = Dialogs().openFileName({QString(), FileFilter, QString(), QString()});
    if (name.isEmpty()) {
        if (wasLoaded == 1)
            SettingsLoaded = 1;
        Enable_Button();
        return;
    }

    ShowRelayTimer->stop();
    // A file that cannot be read, or is no settings file, changes nothing.
    const auto giveUp = [&] {
        SettingsLoaded = wasLoaded;
        ShowRelayTimer->start();
        Enable_Button();
    };
    std::optional<std::string> arranged;
    const std::filesystem::path file = QFile::encodeName(name).toStdString();
    try {
        arranged = ArrangeSet(SettingsFileText(ReadTextFile(file)), ReadImage);
    } catch (const FileError& e) {
        giveUp();
        ShowException(QString::fromStdString(e.what()));
        return;
    } catch (...) {
        // Whatever stopped the read (memory, the conversion), the file was not opened.
        giveUp();
        std::error_code ec;
        const std::filesystem::path shown = std::filesystem::absolute(file, ec);
        ShowException(QStringLiteral("Cannot open file ") + QFile::decodeName(ec ? file.c_str() : shown.c_str()));
        return;
    }
    if (!arranged) {
        MessageBoxOk(QStringLiteral("%1 不是設定檔,未開啟!").arg(shownPath(name)), OpenCaption, BoxIcon::Error);
        giveUp();
        return;
    }

    KeyRelayCount = 0;
    UDRelayNum = 0;
    LRRelayNum = 0;
    EWRelayNum = 0;
    SNRelayNum = 0;
    CustomerText = QString::fromStdString(*arranged);
    EditImage = ReadImage;
    BaselineImage = ReadImage;
    VectorData.fill(0xFF);
    ShowEEPROMSet();
    ShowSystemFromImage();
    MessageBoxOk(QStringLiteral("檔案開啟完成!!"), OpenCaption, BoxIcon::Information);
    SettingsLoaded = 1;
    ShowRelayTimer->start();

    CustomerText = QString::fromStdString(CustomerRecordText(CustomerText.toStdString()));
    if (!CustomerText.isEmpty())
        PutCompanyData();
    Enable_Button();
}

void TMainForm::PutCompanyData()
{
    const std::vector<std::string> values = ParseCustomerRecord(CustomerText.toStdString());
    const auto controls = customerControls(*this);
    for (std::size_t i = 0; i < values.size(); ++i) {
        QString value = QString::fromStdString(values[i]);
        if (controls[i].edit) {
            controls[i].edit->setText(value);
            continue;
        }
        value.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        controls[i].memo->setPlainText(value);
    }
}
