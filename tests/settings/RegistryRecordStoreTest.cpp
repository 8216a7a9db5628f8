// The registry store writes and reads raw REG_BINARY values, and ignores with a warning what
// is not a record of the expected size, without touching it or anything beside it.
#include "RegistryRecordStore.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

// Every test works below a key of its own, removed afterwards.
class RegistryRecordStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }

    static void plant(const wchar_t* group, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        const std::wstring path = std::wstring(kBase) + L"\\" + group;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // The raw value as the registry holds it: its type and bytes.
    static std::pair<DWORD, std::vector<std::uint8_t>> raw(const wchar_t* group, const wchar_t* name) {
        const std::wstring path = std::wstring(kBase) + L"\\" + group;
        DWORD type = 0;
        std::vector<std::uint8_t> bytes(256);
        DWORD size = static_cast<DWORD>(bytes.size());
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, &type, bytes.data(), &size) !=
            ERROR_SUCCESS)
            return {REG_NONE, {}};
        bytes.resize(size);
        return {type, bytes};
    }

    static constexpr const wchar_t* kBase = L"Software\\qel\\VantriscoRecordTest";
    RegistryRecordStore store{"Software\\qel\\VantriscoRecordTest"};
};

std::vector<std::uint8_t> counting(std::size_t size, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

} // namespace

TEST_F(RegistryRecordStoreTest, RecordsAreRawBinaryValuesOfTheirSize) {
    const auto zyl24 = counting(20, 1);
    const auto zyl36 = counting(40, 100);
    EXPECT_EQ(store.write("zyl24", "Einstellungen", zyl24), "");
    EXPECT_EQ(store.write("zyl36", "Einstellungen", zyl36), "");

    EXPECT_EQ(raw(L"zyl24", L"Einstellungen"), std::make_pair(DWORD{REG_BINARY}, zyl24));
    EXPECT_EQ(raw(L"zyl36", L"Einstellungen"), std::make_pair(DWORD{REG_BINARY}, zyl36));
    const auto back24 = store.read("zyl24", "Einstellungen", 20);
    EXPECT_EQ(back24.bytes, zyl24);
    EXPECT_EQ(back24.warning, "");
    EXPECT_EQ(store.read("zyl36", "Einstellungen", 40).bytes, zyl36);

    // Nothing stored: no record and nothing to warn about.
    const auto none = store.read("zyl99", "Einstellungen", 20);
    EXPECT_FALSE(none.bytes);
    EXPECT_EQ(none.warning, "");
}

TEST_F(RegistryRecordStoreTest, ValueOfWrongSizeOrTypeIsIgnoredWithAWarningAndKept) {
    const DWORD address = 77;
    plant(L"zyl24", L"Adresse", REG_DWORD, &address, sizeof address);
    struct Case {
        DWORD type;
        std::vector<std::uint8_t> bytes;
        std::string warning;
    };
    const std::string path = "HKEY_CURRENT_USER\\Software\\qel\\VantriscoRecordTest\\zyl24\\Einstellungen";
    const Case cases[] = {
        {REG_BINARY, counting(19, 0), path + " has 19 bytes instead of 20 and is ignored."},
        {REG_BINARY, counting(40, 0), path + " has 40 bytes instead of 20 and is ignored."},
        // What QSettings writes for a byte array: a text.
        {REG_SZ,
         {'@', 0, 'B', 0, 'y', 0, 't', 0, 'e', 0, 0, 0},
         path + " is not a binary value and is ignored."},
    };
    for (const Case& c : cases) {
        plant(L"zyl24", L"Einstellungen", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
        const auto result = store.read("zyl24", "Einstellungen", 20);
        EXPECT_FALSE(result.bytes);
        EXPECT_EQ(result.warning, c.warning);
        EXPECT_EQ(raw(L"zyl24", L"Einstellungen"), std::make_pair(c.type, c.bytes));
    }
    // Writing the record replaces the bad value and leaves the rest of the group alone.
    EXPECT_EQ(store.write("zyl24", "Einstellungen", counting(20, 5)), "");
    EXPECT_EQ(store.read("zyl24", "Einstellungen", 20).bytes, counting(20, 5));
    EXPECT_EQ(raw(L"zyl24", L"Adresse"),
              std::make_pair(DWORD{REG_DWORD}, std::vector<std::uint8_t>{77, 0, 0, 0}));
}
