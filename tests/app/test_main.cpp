// One QApplication for every test, on the offscreen platform, with the per-user folders
// (settings store, lock file, port links) in a fresh directory of this process.
#include "test_support.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path home = testsupport::MakeTempDir("velko-home");
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);

    int result = 0;
    {
        testsupport::TestApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return result;
}
