#include <gtest/gtest.h>

#include <filesystem>

#include "host/RegistryBackend.h"
#include "meters/ImportDesc.h"
#include "meters/MeterTables.h"
#include "support/HostFixture.h"
#include "support/RecordingBackend.h"
#include "tools/HostSim.h"

namespace stripstock {
namespace {

using hostsim::WriteImportIni;

// A host whose registry counts the calls, with a folder of its own named by "path".
class ImportDescTest : public test::HostFixture {
  protected:
    void SetUp() override {
        m_backend =
            std::make_shared<test::RecordingBackend>(MakeFileRegistryBackend(Path("registry.reg")));
        registry = ctx.registry = std::make_shared<Registry>(m_backend);
        std::filesystem::create_directories(m_hostDir);
        registry->RegWriteString(kHkeyLocalMachine, ctx.HostRegKey, "path", m_hostDir);
    }

    void Module(const std::string& name, std::optional<std::string> desc) {
        AddModule(name, "0", "COM1|9600|0|25", std::move(desc));
    }
    void Ini(const std::string& section, const std::string& key, const std::string& value) {
        WriteImportIni(*registry, ctx.HostKeyName, section, key, value);
    }
    std::string Desc(std::int16_t family, std::int16_t id, bool flag = true) {
        return GetImportDesc(ctx, family, id, flag);
    }

    std::string m_hostDir = Path("host");
    std::shared_ptr<test::RecordingBackend> m_backend;
};

TEST_F(ImportDescTest, tableNameUnlessARegisteredModuleDescribesTheMeter) {
    EXPECT_EQ(Desc(0, 25), "OneTouch Ultra");
    EXPECT_EQ(Desc(1, 3), "boso medicus PC");
    // A module without description gives the table's name, not its own spelling.
    Module("ONETOUCH ULTRA", std::nullopt);
    Module("Accutrend Compact", "");
    Ini("BG", "25", "from the file");
    EXPECT_EQ(Desc(0, 25, false), "OneTouch Ultra");
    EXPECT_EQ(Desc(0, 24, false), "Accutrend Compact");
    // Written as "desc" below "\MODULES", read as "Desc" below "\modules\": names ignore case.
    Module("OneTouch Ultra", "Ultra am Küchentisch");
    EXPECT_EQ(Desc(0, 25), "Ultra am Küchentisch");
    EXPECT_EQ(Desc(0, 25, false), "Ultra am Küchentisch");
    EXPECT_EQ(GetModuleDesc(ctx, "Unknown", true), "Unknown");
    EXPECT_EQ(GetModuleDesc(ctx, "Unknown", false), "");
    Module("Known", "  Described  ");
    EXPECT_EQ(GetModuleDesc(ctx, "known", false), "Described");
    // Without a registry only the table's name is left.
    ctx.registry = nullptr;
    EXPECT_EQ(Desc(0, 25), "OneTouch Ultra");
    EXPECT_EQ(Desc(0, 25, false), "");
}

TEST_F(ImportDescTest, withoutTableNameTheFileThenTheNumberedModuleName) {
    // 25 has a table name, but without the flag it is not used.
    const std::pair<std::int16_t, bool> cases[] = {{25, false}, {0, true}, {115, true}, {-1, true}};
    for (const auto& [id, flag] : cases) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Desc(0, id, flag), "");
        Module(std::to_string(id), "numbered module");
        EXPECT_EQ(Desc(0, id, flag), "numbered module");
        Ini("BG", std::to_string(id), "file name");
        EXPECT_EQ(Desc(0, id, false), "file name");
    }
}

// Glucose families read "BG", pressure "BP"; other families look nowhere.
TEST_F(ImportDescTest, fileSectionFollowsTheFamilyInTheHostsFolder) {
    const std::int16_t glucose[] = {0, 2, 3, 4, 5, 6};
    for (const std::int16_t family : glucose)
        EXPECT_EQ(Desc(family, 24), "Accutrend Compact") << family;
    Module("Accutrend Compact", "Accu-Chek Compact");
    Ini("BG", "200", "two hundred");
    for (const std::int16_t family : glucose) {
        EXPECT_EQ(Desc(family, 24), "Accu-Chek Compact") << family;
        EXPECT_EQ(Desc(family, 200), "two hundred") << family;
    }
    Module("25", "numbered module");
    Module("OneTouch Ultra", "registered");
    Ini("BG", "25", "file name");
    Ini("BP", "25", "file name");
    m_backend->calls = 0;
    for (const std::int16_t family : {7, -1, 8, 32767}) {
        EXPECT_EQ(Desc(family, 25, true), "") << family;
        EXPECT_EQ(Desc(family, 25, false), "") << family;
    }
    EXPECT_EQ(m_backend->calls, 0);
    // A gap in the pressure table: the glucose section does not count.
    EXPECT_EQ(Desc(1, 9), "");
    Ini("BG", "9", "glucose meter nine");
    EXPECT_EQ(Desc(1, 9), "");
    Module("9", std::nullopt);
    EXPECT_EQ(Desc(1, 9), "9");
    Ini("BP", "9", "Tensio 9");
    EXPECT_EQ(Desc(1, 9), "Tensio 9");
    Ini("BG", "120", "glucose 120");
    Ini("BP", "120", "pressure 120");
    EXPECT_EQ(Desc(0, 120), "glucose 120");
    EXPECT_EQ(Desc(1, 120), "pressure 120");
    // The file is read as the host reads it (see PrivateProfileTest), into the host's buffer.
    Ini("BG", "124", std::string(300, 'x'));
    EXPECT_EQ(Desc(0, 124), std::string(254, 'x'));
    registry->RegWriteString(kHkeyLocalMachine, ctx.HostRegKey, "path", m_hostDir + "//");
    EXPECT_EQ(Desc(0, 120), "glucose 120");
    registry->RegWriteString(kHkeyLocalMachine, ctx.HostRegKey, "path", "");
    EXPECT_EQ(Desc(0, 120), "");
    Module("120", "module 120");
    EXPECT_EQ(Desc(0, 120), "module 120");
}

TEST_F(ImportDescTest, demoHostNamesItsMeters) {
    hostsim::CreateDemo(*registry, Path("demo"), 40000.0, ctx.HostKeyName);
    EXPECT_EQ(Desc(0, 24), "Accu-Chek Compact");
    EXPECT_EQ(Desc(0, 25), "OneTouch Ultra, UltraSmart");
    EXPECT_EQ(Desc(0, 28), "Accu-Chek Active");
    EXPECT_EQ(Desc(0, 117), "Zuckermesser Überall");
    EXPECT_EQ(Desc(1, 3), "boso medicus PC (Blutdruck)");
    EXPECT_EQ(Desc(1, 9), "Tensio Handgelenk 2");
}

int NamedIds(std::int16_t family) {
    int named = 0;
    for (int id = -5; id <= 200; ++id)
        named += BuiltInDeviceName(family, static_cast<std::int16_t>(id)).has_value() ? 1 : 0;
    return named;
}

// Positions map to codes, both lists agree on the first eleven only; glucose names cover 1 to
// 114, pressure names fourteen of 1 to 35.
TEST(MeterTables, positionsCodesAndBuiltInNames) {
    const std::pair<std::int16_t, std::int16_t> cases[] = {
        {0, 1}, {10, 23}, {13, 26}, {14, 24}, {22, 39}, {-1, 0}, {23, 0}, {-32768, 0}, {32767, 0}};
    for (const auto& [position, code] : cases) EXPECT_EQ(MeterCodeAt(position), code) << position;
    ASSERT_EQ(FaultyMeterNames().size(), 23u);
    ASSERT_EQ(MainMeterList().size(), 27u);
    for (std::int16_t pos = 0; pos <= 10; ++pos)
        EXPECT_EQ(MainMeterList()[static_cast<std::size_t>(pos)].itemData, MeterCodeAt(pos)) << pos;
    EXPECT_NE(MainMeterList()[11].itemData, MeterCodeAt(11));
    EXPECT_EQ(NamedIds(0), 114);
    EXPECT_TRUE(BuiltInDeviceName(0, 1) && BuiltInDeviceName(0, 114));
    EXPECT_EQ(BuiltInDeviceName(6, 24), BuiltInDeviceName(0, 24));
    EXPECT_EQ(NamedIds(1), 14);
    EXPECT_TRUE(BuiltInDeviceName(1, 35));
    EXPECT_FALSE(BuiltInDeviceName(1, 9));
    EXPECT_FALSE(BuiltInDeviceName(7, 1));
    EXPECT_FALSE(BuiltInDeviceName(-1, 1));
}

}  // namespace
}  // namespace stripstock
