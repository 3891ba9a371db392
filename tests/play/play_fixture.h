// A running stage for one test: an empty map of the given size installed as the play
// context, recording flows, and bodies of any size placed on it in stage dots.
//
// For tests of one piece of play (a collision, a drawing step) on the object states the
// play frame would bring about: the bodies are set active and placed by hand, and the
// flows are a recorder standing in for the flow runner, so that a test sees which
// triggers the piece raises without flows to run. Whole frames go through the stage
// harness instead.
#pragma once

#include <cstdint>

#include "data/global_data.h"
#include "objects/map_cell.h"
#include "objects/object_fakes.h"
#include "play/stage_run.h"

namespace wftest {

class PlayFixture {
  public:
    explicit PlayFixture(int32_t widthBlocks = 20, int32_t heightBlocks = 15) {
        cStage stage;
        stage.m_anSize[0] = widthBlocks;
        stage.m_anSize[3] = heightBlocks;
        run.StartStage(stage, 8);
        for (cMapCell& c : run.map.cells) c = cMapCell{};
        SetPlayContext(&run);
    }
    ~PlayFixture() { SetPlayContext(nullptr); }
    PlayFixture(const PlayFixture&) = delete;
    PlayFixture& operator=(const PlayFixture&) = delete;

    // The cell at map column and row (the stage starts at column and row 10).
    cMapCell& Cell(int32_t column, int32_t row, uint8_t contact) {
        cMapCell& c = run.map.CellAt(column, row);
        c.m_nContact = contact;
        c.m_nPassValue = 255;
        return c;
    }

    // A stage character (solid: a block character) or, with hero, the player.
    cChara& Body(uint32_t side, double x, double y, int32_t w, int32_t h, bool solid = false,
                 bool hero = false) {
        cCharaDef def;
        def.m_nSide = static_cast<uint8_t>(side);
        def.m_nCell = 1;
        def.m_nMaxHP = 10;
        def.m_bBlockChara = solid ? 1 : 0;
        cChara* c = nullptr;
        if (hero) {
            cPlayer& p = MakeHero(run);
            p.Spawn(nextId_++, def, 0, 0, 0, 0);
            c = &p;
        } else {
            cStageChara& s = run.objects.charas.emplace_back();
            s.Setup(nextId_++, def, nullptr, 0, 0, 0, 0, 0);
            run.stageCharas.push_back(&s);
            c = &s;
        }
        c->m_nBaseBodyWidth = c->m_nBodyWidth = w;
        c->m_nBaseBodyHeight = c->m_nBodyHeight = h;
        c->m_nGraphicOffsetX = c->m_nGraphicOffsetY = 0;
        c->m_bActive = 1;
        Move(*c, x, y);
        c->m_rcPrevStep = {c->m_dX, c->m_dY, c->m_dRight, c->m_dBottom};
        return *c;
    }

    // Put at (x, y) without any clamp.
    static void Move(cGameObj& obj, double x, double y) {
        obj.m_dX = x;
        obj.m_dY = y;
        obj.m_dRight = x + obj.m_nBodyWidth - 1;
        obj.m_dBottom = y + obj.m_nBodyHeight - 1;
        obj.m_rcCell = {static_cast<int32_t>(x) >> 5, static_cast<int32_t>(y) >> 5,
                        static_cast<int32_t>(obj.m_dRight) >> 5,
                        static_cast<int32_t>(obj.m_dBottom) >> 5};
    }

    StageRun run;
    RecordingFlows flows;
    StageSteps steps{1, 0.4};

  private:
    uint32_t nextId_ = 1;
};

}  // namespace wftest
