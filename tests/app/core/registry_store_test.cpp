#include "registry_store.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ScopedWorkDir;

TEST(RegistryStore, KeepsTypesAcrossReopening)
{
    ScopedWorkDir dir;
    const auto file = dir.path() / "VELKO-Q37" / "registry";
    {
        velko::RegistryStore store(file);
        ASSERT_TRUE(store.OpenKey(true));
        store.WriteInteger("Left", -12);
        store.WriteString("COM", "CO\"M\\1");
    }
    velko::RegistryStore store(file);
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_EQ(store.ReadInteger("Left"), -12);
    EXPECT_EQ(store.ReadString("COM"), "CO\"M\\1");
}

TEST(RegistryStore, WrongTypeAndMissingIntegerThrowMissingTextIsEmpty)
{
    ScopedWorkDir dir;
    velko::RegistryStore store(dir.path() / "registry");
    ASSERT_TRUE(store.OpenKey(true));
    store.WriteString("Left", "319");
    store.WriteInteger("COM", 1);
    EXPECT_THROW(store.ReadInteger("Left"), velko::RegistryError);
    EXPECT_THROW(store.ReadInteger("Top"), velko::RegistryError);
    EXPECT_THROW(store.ReadString("COM"), velko::RegistryError);
    EXPECT_EQ(store.ReadString("Other"), "");
}

TEST(RegistryStore, DamagedLinesReadAsMissingValues)
{
    ScopedWorkDir dir;
    testsupport::WriteFile("registry", "\"Left\"=dword:12x\n\"Top\"=dword:5\ngarbage\n\"COM\"=\"COM2\n");
    velko::RegistryStore store(dir.path() / "registry");
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_FALSE(store.ValueExists("Left"));
    EXPECT_EQ(store.ReadInteger("Top"), 5);
    EXPECT_FALSE(store.ValueExists("COM"));
}

TEST(RegistryStore, UnwritableKeyIsReported)
{
    ScopedWorkDir dir;
    testsupport::WriteFile("blocker", "");
    velko::RegistryStore store(dir.path() / "blocker" / "registry");
    EXPECT_FALSE(store.OpenKey(true));
    EXPECT_THROW(store.WriteInteger("Left", 1), velko::RegistryError);
}

} // namespace
