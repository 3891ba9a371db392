// The options screen (scene 5): the user's options of "user_data\Option.dat" as a menu of
// up to six items, each value changed with up and down and in force at once; the ranking
// name is typed in the ranking-name dialog. Leaving applies the music switch and saves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/scene.h"
#include "media/draw/dd_surface.h"

class cOptionScene : public cSceneBase {
  public:
    // State handlers in order.
    enum State { kFadeIn = 0, kMenu = 1, kFadeOut = 2 };
    // Sub-states of the menu (m_nCounter).
    enum Step { kEnter = 0, kChoose = 1, kEdit = 2 };
    // Item ids: the places of the options menu list of the system settings.
    enum Item {
        kItemMusic = 0,
        kItemSeVolume = 1,
        kItemRankMode = 2,
        kItemRankName = 3,
        kItemBack = 4,
        kItemPalette = 5,
        kItemCount = 6,
    };

    // Where the menu stands: the cursor column, the first row, the row height, and the
    // columns of the labels and the values.
    static constexpr int kCursorX = 48;
    static constexpr int kFirstRowY = 96;
    static constexpr int kRowHeight = 16;
    static constexpr int kLabelX = 64;
    static constexpr int kValueX = 208;
    static constexpr int kHeadingY = 32;
    // The value indicator right of the values' column while a value is edited.
    static constexpr int kIndicatorX = 192;

    cOptionScene();
    ~cOptionScene() override;
    cOptionScene(const cOptionScene&) = delete;
    cOptionScene& operator=(const cOptionScene&) = delete;

    void Init() override;
    void OnMenu();
    // The common fade to black; when it has ended the music switch takes effect, the
    // options are saved and the next screen takes over.
    void FadeOut() override;

    // The ids of the shown items in menu order (item 0 alone when none is shown).
    const std::vector<int>& ShownItems() const { return m_vItems; }
    // The item whose value is being changed, -1 when none.
    int EditedItem() const { return m_nEditItem; }
    const DDSURFACEDATA& MenuSurface() const { return m_Menu; }

    // The value of an item as the menu shows it ("" for the back item).
    static std::string ValueText(int item);

  protected:
    void DrawScreen() override;

  private:
    bool BuildMenuSurface();
    void PaintMenuSurface();
    void Choose();
    void Edit();
    void BeginEdit(int item);
    void Leave();

    std::vector<int> m_vItems;
    int m_nEditItem = -1;
    int32_t m_nBefore = 0;        // the edited value when the edit began
    int32_t* m_pValue = nullptr;  // the option being edited
    int m_nMin = 0, m_nMax = 0;   // and its range
    bool m_bSurfaces = false;     // the built-in pictures were created
    DDSURFACEDATA m_Menu;
};

// The music switch of the options in force: a manager that is off starts (with the title
// music's names, as at start-up) when the switch is on, one that runs is released when it
// is off. Either way the next screen asks for its music again.
void ApplyMusicOption();

// An option's effect in force at once: the palette variation and the sound-effect volume
// of every sound; the other items take effect elsewhere.
void ApplyOptionValue(int item);

// Makes the options screen for the scene table; null when there is no memory.
cSceneBase* NewOptionScene();
