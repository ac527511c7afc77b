// RegistryKey under HKEY_CURRENT_USER of the test's Wine prefix.
#include "RegistryKey.h"

#include <gtest/gtest.h>

namespace {

using corvina::RegistryKey;
const std::string kBase = "Software\\CorvinaTest";

class RegistryKeyTest : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase.c_str()); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase.c_str()); }
};

std::vector<uint8_t> bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST_F(RegistryKeyTest, CreateWriteReadAndCache) {
    RegistryKey key;
    EXPECT_EQ(key.closeKey(), -1); // nothing open yet
    HKEY created = key.createKey(RegistryKey::kCurrentUser, kBase + "\\a");
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(key.keyExists(RegistryKey::kCurrentUser, kBase + "\\a"));
    // The same root and path reuse the open handle.
    EXPECT_EQ(key.openKey(RegistryKey::kCurrentUser, kBase + "\\a"), created);
    EXPECT_EQ(key.setText(RegistryKey::kCurrentUser, kBase + "\\a", "v", bytes("abc"), REG_SZ), 0);
    EXPECT_EQ(key.handle(), created);
    // With create, the key is created (opened) again.
    EXPECT_EQ(key.setText(RegistryKey::kCurrentUser, kBase + "\\a", "", bytes("default"), REG_SZ, true), 0);
    EXPECT_TRUE(key.isOpen());

    // Exactly one terminating zero byte after the caller's bytes.
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (kBase + "\\a").c_str(), "v", RRF_RT_ANY | RRF_NOEXPAND, &type,
                           nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 4u);
    corvina::RegistryValue value;
    EXPECT_EQ(key.queryValue(RegistryKey::kCurrentUser, kBase + "\\a", "", value), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(value.data.data())), "default");
    EXPECT_EQ(value.data.size(), 256u);
}

TEST_F(RegistryKeyTest, TypesNumbersAndRejections) {
    RegistryKey key;
    EXPECT_EQ(key.setText(RegistryKey::kCurrentUser, kBase, "bad", bytes("x"), REG_DWORD, true), -1);
    ASSERT_NE(key.createKey(RegistryKey::kCurrentUser, kBase), nullptr);
    EXPECT_EQ(key.setNumber(RegistryKey::kCurrentUser, kBase, "d", 0x12345678, REG_DWORD), 0);
    EXPECT_EQ(key.setNumber(RegistryKey::kCurrentUser, kBase, "q", 0x0102030405060708LL, REG_QWORD), 0);
    EXPECT_EQ(key.setNumber(RegistryKey::kCurrentUser, kBase, "s", 1, REG_SZ), -1);
    EXPECT_EQ(key.setQwordFromHex(RegistryKey::kCurrentUser, kBase, "h", "abcde"), 0);
    std::vector<corvina::RegistryValue> values;
    EXPECT_EQ(key.enumValues(RegistryKey::kCurrentUser, kBase, values), 3);
    for (const auto& v : values) {
        if (v.name == "d") {
            EXPECT_EQ(v.data, (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
        }
        if (v.name == "h") {
            EXPECT_EQ(v.data, (std::vector<uint8_t>{0xDE, 0xBC, 0x0A, 0, 0, 0, 0, 0}));
            EXPECT_EQ(v.type, static_cast<unsigned long>(REG_QWORD));
        }
    }
    EXPECT_EQ(key.deleteValue(RegistryKey::kCurrentUser, kBase, "d"), 0);
    EXPECT_EQ(key.enumValues(RegistryKey::kCurrentUser, kBase, values), 2);
}

TEST_F(RegistryKeyTest, EnumerateAndDeleteKeys) {
    RegistryKey key;
    for (const char* name : {"one", "two", "three"})
        ASSERT_NE(key.createKey(RegistryKey::kCurrentUser, kBase + "\\" + name), nullptr);
    std::vector<std::string> names;
    EXPECT_EQ(key.enumSubKeys(RegistryKey::kCurrentUser, kBase, names), 3);
    EXPECT_EQ(key.deleteKey(RegistryKey::kCurrentUser, kBase + "\\two"), 0);
    EXPECT_EQ(key.enumSubKeys(RegistryKey::kCurrentUser, kBase, names), 2);
    EXPECT_FALSE(key.keyExists(RegistryKey::kCurrentUser, kBase + "\\two"));
    EXPECT_NE(key.enumSubKeys(RegistryKey::kCurrentUser, kBase + "\\missing", names), 0); // the error code
    EXPECT_EQ(key.openKey(RegistryKey::kCurrentUser, kBase + "\\missing"), nullptr);
    EXPECT_EQ(key.lastError(), ERROR_FILE_NOT_FOUND);
    // The thread's own user hive reaches the same keys.
    EXPECT_EQ(key.enumSubKeys(RegistryKey::kThreadUser, kBase, names), 2);
}

TEST(RegistryKeyTypeName, Table) {
    struct Case {
        int type;
        const char* name;
    } cases[] = {{0, "键值非法"},   {1, "REG_SZ"},       {2, "REG_EXPAND_SZ"},
                 {3, "REG_BINARY"}, {4, "REG_DWORD"},    {5, "REG_DWORD_BIG_ENDIAN"},
                 {6, "REG_LINK"},   {7, "REG_MULTI_SZ"}, {8, "REG_RESOURCE_LIST"},
                 {9, "NULL"},       {10, "NULL"},        {11, "REG_QWORD"},
                 {12, "键值非法"},  {-1, "键值非法"}};
    for (const Case& c : cases)
        EXPECT_EQ(RegistryKey::typeName(c.type), c.name) << c.type;
}

} // namespace
