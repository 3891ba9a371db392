// The save menu (scene 2), opened from the world map: save the run into a story slot,
// switch auto-save, go back to the map, or end the game at the title.
#pragma once

#include <vector>

#include "app/scene.h"

class cSaveMenuScene : public cSceneBase {
  public:
    // State handlers in order; the menu items enter states 2 to 5 by their id.
    enum State {
        kFadeIn = 0,
        kMenu = 1,
        kSave = 2,
        kAutoSave = 3,
        kBack = 4,
        kToTitle = 5,
        kFadeOut = 6
    };

    static constexpr int kMenuX = 264;
    static constexpr int kMenuY = 192;
    static constexpr int kRowHeight = 16;
    static constexpr int kListX = 152;
    static constexpr int kListY = 160;
    static constexpr int kListRows = 10;

    cSaveMenuScene();
    ~cSaveMenuScene() override;
    cSaveMenuScene(const cSaveMenuScene&) = delete;
    cSaveMenuScene& operator=(const cSaveMenuScene&) = delete;

    void Init() override;
    void OnMenu();
    void OnSave();
    void OnAutoSave();
    void OnBack();
    void OnToTitle();

    const std::vector<int>& ShownItems() const { return m_vItems; }
    int ListTop() const { return m_nTop; }
    int ListVisible() const { return m_nVisible; }

  protected:
    void DrawScreen() override;

  private:
    void DrawSlots();
    void LeaveDialog();

    std::vector<int> m_vItems;
    int m_nTop = 0;
    int m_nVisible = 0;
    bool m_bSurfaces = false;
};

// Saves the run into a story slot and makes it the slot saved to last. A failed save
// shows the failure; the slot file and the slot saved to last stay as they were.
bool SaveRunToSlot(int slot);

// Makes the save menu for the scene table; null when there is no memory.
cSceneBase* NewSaveMenuScene();
