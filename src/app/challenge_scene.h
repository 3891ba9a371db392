// The challenge screen (scene 3): the list of challenges, the ranking of the one under the
// cursor, and the start of the chosen challenge at its first stage.
#pragma once

#include <string>

#include "app/scene.h"
#include "app/screen_parts.h"
#include "media/draw/dd_surface.h"

// The first stage file of challenge n (1-based): the challenge folder's prefix, two
// digits and course 1 ("data\stg4\c03-1.stg4" for 3). It becomes the run's stage, with
// no course numbers.
std::string MakeFirstStageName(int n);

class cChallengeScene : public cSceneBase {
  public:
    enum State { kFadeIn = 0, kMenu = 1, kFadeOut = 2 };

    static constexpr int kListX = 32;
    static constexpr int kListY = 160;
    static constexpr int kRowHeight = 32;
    static constexpr int kListRows = 10;

    cChallengeScene();
    ~cChallengeScene() override;
    cChallengeScene(const cChallengeScene&) = delete;
    cChallengeScene& operator=(const cChallengeScene&) = delete;

    void Init() override;
    void OnMenu();

    int Listed() const { return m_nListed; }
    int Top() const { return m_nTop; }
    int Visible() const { return m_nVisible; }

  protected:
    void DrawScreen() override;

  private:
    void CountListed();
    void SelectRow();
    void PaintScreen();
    bool StartChallenge(int row);

    int m_nTop = 0;
    int m_nListed = 0;
    int m_nVisible = 0;
    bool m_bSurfaces = false;
    screen_parts::ButtonEdges m_Edges;
    DDSURFACEDATA m_Screen;
};

// Makes the challenge screen for the scene table; null when there is no memory.
cSceneBase* NewChallengeScene();
