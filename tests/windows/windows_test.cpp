// The Windows platform implementations under Wine: the port table from the
// registry, safe replacement with ReplaceFileW, the per-user folder and the
// code page 932 conversion.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/platform/file_system.h"
#include "core/platform/text_codec.h"
#include "tests/support/scratch_dir.h"
#include "windows/port_table.h"
#include "windows/wide.h"

namespace {

using qvt::test::ScratchDir;

TEST(WindowsPortTable, ListsTheSerialCommKeyByComNumber) {
    const std::wstring key = L"Software\\qvtw2k-test\\SERIALCOMM";
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &h, nullptr),
              ERROR_SUCCESS);
    const auto set = [&](const wchar_t* name, const std::wstring& port) {
        ::RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                         static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
    };
    set(L"\\Device\\VCP0", L"COM12");
    set(L"\\Device\\Serial0", L"COM1");
    set(L"\\Device\\Odd", L"LPT1");
    ::RegCloseKey(h);

    const qvt::windows::RegistryPortTable table(HKEY_CURRENT_USER, key);
    const auto ports = table.ports();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].com, 1);
    EXPECT_EQ(ports[1].device, "\\\\.\\COM12");
    EXPECT_EQ(table.device_of(12), "\\\\.\\COM12");
    EXPECT_FALSE(table.device_of(5).has_value());
    EXPECT_EQ(table.serial_comm_table().size(), 3u);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\qvtw2k-test");
}

TEST(WindowsFileSystem, ReplacesWholeOrNotAtAll) {
    ScratchDir dir;
    const std::string target = dir.write("prog.Q2K", "old\r\n").string();
    {
        qvt::platform::AtomicFileWriter out;
        ASSERT_TRUE(out.open(target));
        out.write("half");
    }  // dropped without commit
    EXPECT_EQ(ScratchDir::read(target), "old\r\n");
    EXPECT_EQ(dir.entries().size(), 1u);

    EXPECT_FALSE(qvt::platform::write_file_safely(target, "new\r\n").has_value());
    EXPECT_EQ(ScratchDir::read(target), "new\r\n");
    EXPECT_FALSE(qvt::platform::write_file_safely(dir.file("fresh.INI"), "x").has_value());
    EXPECT_EQ(ScratchDir::read(dir.file("fresh.INI")), "x");

    ::SetFileAttributesW(qvt::windows::widen(target).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(qvt::platform::write_file_safely(target, "lost").has_value());
    EXPECT_EQ(ScratchDir::read(target), "new\r\n");
    ::SetFileAttributesW(qvt::windows::widen(target).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(qvt::platform::is_writable_folder(dir.path()));
    EXPECT_FALSE(qvt::platform::is_regular_file(dir.path()));
}

TEST(WindowsUserFolder, HomeVariableWinsOverTheRoamingFolder) {
    ::_wputenv(L"QVTW2K_HOME=");
    EXPECT_FALSE(qvt::platform::user_folder().chosen);
    EXPECT_EQ(qvt::platform::user_folder().path.filename(), "qvtw2k");
    ::_wputenv(L"QVTW2K_HOME=C:\\qvt-home");
    EXPECT_TRUE(qvt::platform::user_folder().chosen);
    EXPECT_EQ(qvt::platform::user_folder().path, std::filesystem::path(L"C:\\qvt-home"));
    ::_wputenv(L"QVTW2K_HOME=");
}

TEST(WindowsTextCodec, ShiftJisToUtf8KeepsWhatIsNone) {
    EXPECT_EQ(qvt::platform::utf8_from_sjis("a\x82\xa0.Q2K"), "a\xe3\x81\x82.Q2K");
    EXPECT_EQ(qvt::platform::utf8_from_sjis("\xb1"), "\xef\xbd\xb1");  // half-width katakana
    EXPECT_EQ(qvt::platform::utf8_from_sjis("x\x82"), "x\x82");        // half a character
}

}  // namespace
