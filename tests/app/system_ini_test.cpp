// The "System.ini" reader: defaults from the project's key list, then key=value lines up
// to "Exit", as the files users edit by hand hold them.
#include "app/system_ini.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/system_data.h"
#include "support/temp_dir.h"

namespace {

TEST(SystemIni, DefaultsComeFromTheKeyList) {
    cSystemData system;
    system.m_vIniKey[0].m_nDefault = 0;
    system.m_vIniKey[7].m_nDefault = 0;
    system.m_vIniKey[8].m_strDefault = "data\\stg4\\a.stg4";
    IniSetting settings;
    settings.English = 5;
    LoadIniDefaults(settings, system.m_vIniKey);
    EXPECT_EQ(settings.Direct3D, 0);
    EXPECT_EQ(settings.VSync, 2);
    EXPECT_EQ(settings.DD_FontCache, 1);
    EXPECT_EQ(settings.ShowFps, 0);
    EXPECT_STREQ(settings.FreeStage, "data\\stg4\\a.stg4");
    EXPECT_EQ(settings.English, 0);
    // An empty default clears a path read before.
    system.m_vIniKey[8].m_strDefault.clear();
    LoadIniDefaults(settings, system.m_vIniKey);
    EXPECT_STREQ(settings.FreeStage, "");
}

TEST(SystemIni, ReadsKeysUpToExit) {
    struct Case {
        const char* name;
        std::string text;
        int result;
        int32_t direct3D, windowMode, bpp, english;
        const char* freeStage;
    };
    const Case cases[] = {
        {"plain", "Direct3D=0\nWindowMode=1\nBpp=16\nEnglish=1\nExit\n", 1, 0, 1, 16, 1, ""},
        {"crlf and comments", "// settings\r\nDirect3D=1 // on\r\nWindowMode=2\r\nExit\r\n", 1, 1,
         2, 0, 0, ""},
        {"blanks in the key are dropped", " Window Mode\t=1\nExit\n", 1, 2, 1, 0, 0, ""},
        // The value ends at the first blank, so a blank after "=" leaves it empty.
        {"blank before the value", "Bpp= 16\nExit\n", 1, 2, 0, 0, 0, ""},
        {"unknown key and comment", "Colour=3\nnothing here\nExit\n", 1, 2, 0, 0, 0, ""},
        {"case matters", "direct3d=0\nExit\n", 1, 2, 0, 0, 0, ""},
        {"no Exit: unreadable, values so far kept", "Direct3D=0\nBpp=32\n", 0, 0, 0, 32, 0, ""},
        {"Exit without a line feed", "Direct3D=0\nExit", 0, 0, 0, 0, 0, ""},
        {"lines after Exit are not read", "Exit\nDirect3D=0\n", 1, 2, 0, 0, 0, ""},
        {"zero byte ends the file", std::string("Direct3D=1\0junk", 16), 1, 1, 0, 0, 0, ""},
        {"leading digits", "Bpp=16bit\nWindowMode=x\nExit\n", 1, 2, 0, 16, 0, ""},
        {"stage path", "FreeStage=data\\stg4\\x.stg4_000\nExit\n", 1, 2, 0, 0, 0,
         "data\\stg4\\x.stg4_000"},
        {"one-character stage path is ignored", "FreeStage=a\nExit\n", 1, 2, 0, 0, 0, ""},
    };
    cSystemData system;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::TempDir dir;
        wftest::ScopedCurrentDir cwd(dir.Path());
        wftest::WriteBytes(dir.Path() / "System.ini",
                           std::vector<uint8_t>(c.text.begin(), c.text.end()));
        IniSetting settings;
        LoadIniDefaults(settings, system.m_vIniKey);
        EXPECT_EQ(ReadIni("System.ini", settings, system.m_vIniKey), c.result);
        EXPECT_EQ(settings.Direct3D, c.direct3D);
        EXPECT_EQ(settings.WindowMode, c.windowMode);
        EXPECT_EQ(settings.Bpp, c.bpp);
        EXPECT_EQ(settings.English, c.english);
        EXPECT_STREQ(settings.FreeStage, c.freeStage);
    }
}

TEST(SystemIni, MissingFileIsUnreadable) {
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd(dir.Path());
    cSystemData system;
    IniSetting settings;
    EXPECT_EQ(ReadIni("System.ini", settings, system.m_vIniKey), 0);
}

TEST(SystemIni, OverlongValueIsCutNotOverrun) {
    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd(dir.Path());
    const std::string text = "FreeStage=" + std::string(5000, 'a') + "\nBpp=16\nExit\n";
    wftest::WriteBytes(dir.Path() / "System.ini", std::vector<uint8_t>(text.begin(), text.end()));
    cSystemData system;
    IniSetting settings;
    EXPECT_EQ(ReadIni("System.ini", settings, system.m_vIniKey), 1);
    EXPECT_EQ(settings.FreeStage[0], '\0');  // longer than a path can be
    EXPECT_EQ(settings.Bpp, 16);
}

}  // namespace
