// The Windows port table read from what the registry answers, value by value.
#include "platform/serial/port_table.h"

#include <gtest/gtest.h>

using tarvex::platform::PortNamesFrom;
using tarvex::platform::PortTableValue;

namespace {

constexpr DWORD kRegDword = 4;

// A registry key that answers index i with values[i] and every later index with `end`,
// counting the calls.
struct ScriptedKey {
    std::vector<PortTableValue> values;
    DWORD end = ERROR_NO_MORE_ITEMS;
    DWORD calls = 0;

    std::vector<std::wstring> Read() {
        return PortNamesFrom([this](DWORD index) {
            ++calls;
            if (index < values.size()) return values[index];
            return PortTableValue{end, 0, {}};
        });
    }
};

TEST(PortTable, EntriesThatCannotBeANameHoldTheirPlaces) {
    ScriptedKey key;
    key.values = {
        {ERROR_SUCCESS, REG_SZ, std::wstring(L"COM3\0", 5)},
        {ERROR_MORE_DATA, REG_SZ, {}},                      // longer than the buffer
        {ERROR_SUCCESS, kRegDword, L"COM9"},                // not text
        {ERROR_SUCCESS, REG_SZ, std::wstring(L"\0\0", 2)},  // empty
        {ERROR_SUCCESS, REG_SZ, std::wstring(101, L'C')},   // longer than a name may be
        {ERROR_SUCCESS, REG_SZ, std::wstring(100, L'D')},   // just fits
        {ERROR_SUCCESS, REG_SZ, L"COM1"},
    };
    const std::vector<std::wstring> names = key.Read();
    const std::vector<std::wstring> expected = {
        L"COM3", L"", L"", L"", L"", std::wstring(100, L'D'), L"COM1"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(key.calls, 8u);
}

TEST(PortTable, AnyOtherAnswerEndsTheEnumeration) {
    // A key deleted while it is read answers every index alike: the reading must stop.
    for (DWORD end : {ERROR_NO_MORE_ITEMS, ERROR_KEY_DELETED, ERROR_INVALID_HANDLE}) {
        ScriptedKey key;
        key.values = {{ERROR_SUCCESS, REG_SZ, L"COM1"}};
        key.end = end;
        EXPECT_EQ(key.Read(), std::vector<std::wstring>{L"COM1"}) << end;
        EXPECT_EQ(key.calls, 2u) << end;
    }
    ScriptedKey empty;
    EXPECT_TRUE(empty.Read().empty());
}

}  // namespace
