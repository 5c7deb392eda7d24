// The boxes the read and write roads end in, and the window the road tests run them on: a
// run folder of its own, the real device link, every box recorded.
#pragma once

#include "mainform.h"
#include "recording_dialogs.h"
#include "settings_image.h"
#include "test_support.h"

#include <fenlo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace roadtest {

using Box = std::tuple<std::string, std::string, velko::BoxIcon>;
using Boxes = std::vector<Box>;

inline const Box ReadDone{"讀取設定完成!!", "讀取", velko::BoxIcon::Information};
inline const Box ReadFailed{"讀取設定錯誤,請再試一次!!", "讀取錯誤", velko::BoxIcon::Error};
inline const Box WriteDone{"寫入設定成功!!", "寫入", velko::BoxIcon::Information};
inline const Box WriteFailed{"寫入設定失敗!!", "寫入", velko::BoxIcon::Error};
inline const Box WrongModel{"機種錯誤,確認您的機型!!", "機種錯誤", velko::BoxIcon::Error};
inline const Box ConnectFailed{
    "連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;若通信埠錯誤,需於設定後重新啟動程式!", "連線失敗",
    velko::BoxIcon::Error};
inline const Box NotLoaded{"請先開啟或讀取設定!", "錯誤", velko::BoxIcon::Error};

class RoadWindowTest : public ::testing::Test {
protected:
    explicit RoadWindowTest(const std::string& stem) : dir{stem} {}

    void SetUp() override
    {
        testsupport::ResetProgramState(dir.path() / "config");
        testsupport::WriteFile(dir.path() / "ETM.vfa", "<td>Act01</td>");
        testsupport::WriteFile(dir.path() / "Vie32.vfd", "");
    }

    void TearDown() override
    {
        form.reset();
        MainForm = nullptr;
        ExitCom();
    }

    TMainForm& makeForm()
    {
        form = std::make_unique<TMainForm>();
        MainForm = form.get();
        return *form;
    }

    Boxes boxes() const
    {
        Boxes out;
        for (const auto& b : dialogs.boxes)
            out.emplace_back(b.text.toStdString(), b.caption.toStdString(), b.icon);
        return out;
    }

    testsupport::ScopedWorkDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

} // namespace roadtest
