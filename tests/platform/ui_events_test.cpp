// The UI's platform side: SDL events as UI events (dummy video driver), game folders as
// the file dialogs list them, and the overlay laid over a frame.
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/input/virtual_keys.h"
#include "platform/text/cp932.h"
#include "platform/ui/folder_list.h"
#include "platform/ui/sdl_events.h"
#include "platform/video/present.h"
#include "support/temp_dir.h"

namespace pui = platform::ui;
namespace vid = platform::video;
using platform::text::U8;
using UiType = pui::UiEvent::Type;

TEST(SdlUiEvents, TurnsWindowEventsIntoUiEvents) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    int idle = 0;
    pui::SdlEventSource source([&] { ++idle; });
    struct Case {
        const char* name;
        SDL_Event event;
        UiType type;
        int virtualKey;
        bool released;
        std::string text;
        int button, clicks;
        bool quit;
    };
    auto key = [](Uint32 type, SDL_Scancode code, SDL_Keycode sym) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.scancode = code;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = KMOD_NUM;
        return e;
    };
    SDL_Event text{}, edit{}, click{}, quit{};
    text.type = SDL_TEXTINPUT;
    std::snprintf(text.text.text, sizeof text.text.text, "%s", U8(u8"あ").c_str());
    edit.type = SDL_TEXTEDITING;
    std::snprintf(edit.edit.text, sizeof edit.edit.text, "%s", U8(u8"か").c_str());
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_RIGHT;
    click.button.clicks = 2;
    click.button.x = 10;
    click.button.y = 20;
    quit.type = SDL_QUIT;
    const Case cases[] = {
        {"a letter", key(SDL_KEYDOWN, SDL_SCANCODE_A, 'a'), UiType::KeyDown, 'A', false, "", 0, 1,
         false},
        {"left Ctrl as the generic key", key(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL),
         UiType::KeyUp, platform::input::VK_CONTROL, true, "", 0, 1, false},
        {"committed text", text, UiType::Text, 0, false, U8(u8"あ"), 0, 1, false},
        {"composition", edit, UiType::Composition, 0, false, U8(u8"か"), 0, 1, false},
        {"right double click", click, UiType::MouseDown, 0, false, "", 1, 2, false},
        {"the window's close", quit, UiType::Close, 0, false, "", 0, 1, true},
    };
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SDL_Event e = c.event;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        pui::UiEvent got;
        ASSERT_TRUE(source.Next(got, 100));
        EXPECT_EQ(got.type, c.type);
        EXPECT_EQ(got.virtualKey, c.virtualKey);
        EXPECT_EQ((got.keyData >> 31) != 0, c.released);
        EXPECT_EQ(got.textUtf8, c.text);
        EXPECT_EQ(std::pair(got.button, got.clicks), std::pair(c.button, c.clicks));
        EXPECT_EQ(got.quitProgram, c.quit);
    }
    EXPECT_EQ(idle, 6);
    pui::UiEvent none;
    EXPECT_FALSE(source.Next(none, 1));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(FolderList, FoldersFirstThenNamesWithoutCase) {
    wftest::TempDir dir;
    namespace sfs = std::filesystem;
    sfs::create_directories(dir.Path() / "Stages" / "zeta");
    sfs::create_directories(dir.Path() / "Stages" / "Alpha");
    for (const std::string& name :
         {std::string("b.stg4_1"), std::string("A.STG4_1"), U8(u8"表.stg4_1"),
          std::string(".hidden"), U8(u8"\U0001F600.txt")})
        wftest::WriteBytes(dir.Path() / "Stages" / name, {1});
    wftest::ScopedCurrentDir cwd(dir.Path());
    std::vector<pui::FolderEntry> entries;
    ASSERT_TRUE(pui::ListGameFolder("stages", entries));  // found in another case
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back((e.folder ? "/" : "") + e.nameSjis);
    // The name with no Shift-JIS form keeps its UTF-8 bytes (and still opens by them).
    EXPECT_EQ(names, (std::vector<std::string>{"/Alpha", "/zeta", "A.STG4_1", "b.stg4_1",
                                               "表.stg4_1", U8(u8"\U0001F600.txt")}));
    EXPECT_FALSE(pui::ListGameFolder("missing", entries));
    EXPECT_EQ(entries.size(), 6u);  // left as it was
}

TEST(Overlay, ComposesOverAFrameOfAnySize) {
    // A 3 x 1 frame under a 4 x 2 overlay: the frame lies in the top-left corner of
    // black, the overlay's opaque pixels cover both.
    std::vector<uint32_t> argb = {0xFF111111, 0xFF222222, 0xFF333333};
    int width = 3, height = 1;
    vid::Image overlay(vid::PixelFormat::A8R8G8B8, 4, 2);
    overlay.Set(1, 0, 0xFFABCDEF);
    overlay.Set(3, 1, 0x80123456);  // any alpha but 0 is the dialog's own pixel
    vid::ComposeOverlay(argb, width, height, overlay);
    EXPECT_EQ(std::pair(width, height), std::pair(4, 2));
    EXPECT_EQ(argb, (std::vector<uint32_t>{0xFF111111, 0xFFABCDEF, 0xFF333333, 0xFF000000,
                                           0xFF000000, 0xFF000000, 0xFF000000, 0xFF123456}));
}
