// A library on a simulated line, with its message boxes recorded.
#pragma once

#include "fenlo.h"
#include "fenlo_host.h"
#include "sim_line.h"
#include "state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    std::string caption;
    unsigned style;
    bool operator==(const RecordedBox&) const = default;
};

inline std::vector<RecordedBox>& recordedBoxes()
{
    static std::vector<RecordedBox> boxes;
    return boxes;
}

inline void recordBox(const char* text, const char* caption, unsigned style)
{
    recordedBoxes().push_back({text, caption, style});
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        recordedBoxes().clear();
        FenloSetMessageBox(recordBox);
        fenlo::PatchRequired = 0;
    }

    void TearDown() override
    {
        ExitCom();
        FenloSetMessageBox(nullptr);
        FenloSetMessagePump(nullptr);
    }

    void openPort(unitsim::Unit& unit)
    {
        world.line.attach(&unit);
        ASSERT_STREQ(OpenCom("COM1"), "COM1");
    }

    double nowMs() const { return unitsim::toMs(world.clock.now()); }

    unitsim::World world;
};
