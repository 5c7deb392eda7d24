// The allocation table: rebuilt from its template, saved as "ATB.mht" and opened by the shell.
#include "mainform.h"

#include "allocation_text.h"
#include "dialogs.h"
#include "mainform_controls.h"
#include "settings_image.h"
#include "text_file.h"

#include <QDir>

void TMainForm::Modify_Allocation_Draw()
{
    velko::AllocationInput in;
    in.keyRelayCount = velko::KeyRelayCount;
    for (int column = 1; column <= std::min(velko::KeyRelayCount, velko::AllocationRelays); ++column)
        in.keyNames.push_back(velko::Utf8ToCp950(velko::CellText(KeyRelayTable, 1, column).toStdString()));
    for (int group = 0; group < velko::AxisGroups; ++group)
        in.axisCounts[static_cast<std::size_t>(group)] = velko::AxisRelayNum(group);
    AllocationText = QByteArray::fromStdString(velko::BuildAllocationText(AllocationTemplate.toStdString(), in));
}

void TMainForm::NPreviewSchClick(QObject*)
{
    Disable_Button();
    if (SettingsLoaded != 1) {
        velko::MessageBoxOk(QStringLiteral("請先開啟或讀取設定!"), QStringLiteral("錯誤"), velko::BoxIcon::Error);
    } else {
        velko::RestoreStartupDir();
        const QString path = QDir::current().absoluteFilePath(QStringLiteral("ATB.mht"));
        bool shown = false;
        try {
            velko::WriteFileBytes("ATB.mht", velko::JoinLines({AllocationText.toStdString()}));
            shown = velko::Dialogs().openDocument(path);
        } catch (const velko::FileError&) {
            // told below, with the file's place, like a viewer that does not start
        } catch (...) {
            Enable_Button(); // the tool bar never stays off after a failed save
            throw;
        }
        // The user can still open the file by hand from where it was meant to be.
        if (!shown)
            velko::MessageBoxOk(QStringLiteral("預覽錯誤!!\n") + QDir::toNativeSeparators(path), QStringLiteral("錯誤"),
                                velko::BoxIcon::Error);
    }
    Enable_Button();
}

void TMainForm::Allocation_Table_PreviewNavigateError(QObject*)
{
    velko::MessageBoxOk(QStringLiteral("預覽錯誤!!"), QStringLiteral("錯誤"), velko::BoxIcon::Error);
}
