// The title screen (scene 0): the title picture (or the game's title on a plain screen)
// with a menu of up to seven items, as text labels in a window or as rows of the menu
// picture, and the list of story save slots that "continue" opens.
#pragma once

#include <vector>

#include "app/scene.h"
#include "media/draw/dd_surface.h"

class cTitleScene : public cSceneBase {
  public:
    // State handlers in order.
    enum State { kFadeIn = 0, kMenu = 1, kContinue = 2, kFadeOut = 3 };

    // Where the menu and the continue list stand.
    static constexpr int kMenuX = 192;
    static constexpr int kMenuY = 240;
    static constexpr int kRowHeight = 32;
    static constexpr int kListX = 160;
    static constexpr int kListY = 160;
    static constexpr int kListRow = 16;
    static constexpr int kListRows = 10;

    cTitleScene();
    ~cTitleScene() override;
    cTitleScene(const cTitleScene&) = delete;
    cTitleScene& operator=(const cTitleScene&) = delete;

    void Init() override;
    void OnMenu();
    void OnContinue();

    // The ids of the shown items in list order (one, id 0, when none is valid).
    const std::vector<int>& ShownItems() const { return m_vItems; }
    int MenuX() const { return m_nMenuX; }
    int ListTop() const { return m_nTop; }
    int ListVisible() const { return m_nVisible; }
    const DDSURFACEDATA& MenuSurface() const { return m_Menu; }

  protected:
    void DrawScreen() override;

  private:
    bool BuildMenuSurface();
    void PaintMenuSurface();
    void DrawContinueList();
    // The title picture, or the game's title over a plain screen.
    void DrawBackground();

    std::vector<int> m_vItems;
    int m_nMenuX = kMenuX;
    int m_nTop = 0;
    int m_nVisible = 0;
    bool m_bSurfaces = false;     // the built-in pictures were created
    bool m_bPictureMenu = false;  // the menu is drawn from the menu picture
    DDSURFACEDATA m_Menu;
};

// Makes the title screen for the scene table; null when there is no memory.
cSceneBase* NewTitleScene();
