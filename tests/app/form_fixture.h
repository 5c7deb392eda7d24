// A main window built in a fresh run folder with its own settings store; the device link's
// port opener and every dialog are recorded instead of reaching the machine.
#pragma once

#include "mainform.h"
#include "recording_dialogs.h"
#include "settings_image.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fenlo.h>

#include <memory>
#include <string>
#include <vector>

// The window with the tool bar's work and its pop-up menus recorded.
class ProbeForm : public TMainForm {
public:
    int opens = 0, saves = 0, reads = 0, writes = 0;
    std::vector<std::pair<QMenu*, QPoint>> popups;

protected:
    void OpenSettingsFile() override { ++opens; }
    void SaveSettingsFile() override { ++saves; }
    void ReadUnitSettings() override { ++reads; }
    void WriteUnitSettings() override { ++writes; }
    void PopupMenuAt(QMenu* menu, const QPoint& at) override { popups.emplace_back(menu, at); }
};

class FormFixture : public ::testing::Test {
protected:
    static inline std::vector<std::string> openedPorts;

    void SetUp() override
    {
        testsupport::ResetProgramState(dir.path() / "config");
        testsupport::WriteFile(dir.path() / "ETM.vfa", "<td>Act01</td>\r\n<td>Act02</td>\n<td>Act40</td>");
        testsupport::WriteFile(dir.path() / "Vie32.vfd", "");
        openedPorts.clear();
        velko::OpenComCall = [](const char* name) -> const char* {
            openedPorts.emplace_back(name);
            return name;
        };
    }

    void TearDown() override
    {
        form.reset();
        velko::OpenComCall = &::OpenCom;
    }

    ProbeForm& makeForm()
    {
        form = std::make_unique<ProbeForm>();
        MainForm = form.get();
        return *form;
    }

    std::filesystem::path registryFile() const { return dir.path() / "config" / "VELKO-Q37" / "registry"; }

    testsupport::ScopedWorkDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<ProbeForm> form;
};
