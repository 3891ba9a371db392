// The sample game project: written into a fresh folder, then loaded in the order of
// start-up's data half (data check, databases, System.dat, "System.ini", common palette),
// its pictures, sounds and music read back by the player's own readers, and every data
// file saved again byte for byte.
#include "sample_project.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "app/hbt_palette.h"
#include "app/system_ini.h"
#include "core/log.h"
#include "core/record.h"
#include "data/builtin_tables.h"
#include "data/cmd_types.h"
#include "data/menu_cmd.h"
#include "objects/shot_obj.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/stage_file.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "data/world_map.h"
#include "app/startup.h"
#include "media/draw/dd_surface.h"
#include "media/input/input.h"
#include "media/input/key_config.h"
#include "media/sound/midi_file.h"
#include "media/sound/sound_wave.h"
#include "platform/fs/fs.h"
#include "platform/video/bmp.h"
#include "platform/win_types.h"
#include "play/ranking.h"
#include "play/replay.h"
#include "support/hex.h"
#include "support/scripted_boxes.h"
#include "player_harness.h"
#include "support/temp_dir.h"

namespace {

std::vector<uint8_t> Hex(std::initializer_list<int> bytes) {
    std::vector<uint8_t> out;
    for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
    return out;
}
std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

class SampleProjectTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(wftest::WriteSampleGameAndResetGlobals(error)) << error;
    }
    void TearDown() override {
        g_bStripCR = false;
        wftest::ResetPlayerGlobals();
        ResetLogsForTest();
    }

    wftest::TempDir dir;
    wftest::ScopedCurrentDir cwd{dir.Path()};
    wftest::ScriptedBoxes boxes;
    wftest::PostedMessages posted;
};

TEST_F(SampleProjectTest, StartUpLoadsTheWholeProject) {
    // The data check finds "data\" and asks nothing.
    ASSERT_NE(CheckDataFolder(nullptr), 0);
    ASSERT_TRUE(CreateStartFolders());

    ASSERT_TRUE(InitDatabases());
    const cDatabase& db = g_Database;
    EXPECT_EQ(db.m_vAnimeSet.size(), 3u);
    EXPECT_EQ(Bytes(db.m_vAnimeSet[1].m_strName), Hex({0x8e, 0xe5, 0x90, 0x6c, 0x8c, 0xf6}));
    EXPECT_EQ(Bytes(db.m_vAnimeSet[2].m_strName),
              Hex({0x82, 0xc4, 0x82, 0xad, 0x82, 0xc4, 0x82, 0xad}));
    ASSERT_EQ(db.m_vAnimeSet[1].m_vSlot.size(), 4u);
    EXPECT_EQ(db.m_vAnimeSet[1].m_vSlot[1].m_vFrame.size(), 2u);
    EXPECT_EQ(db.m_vAnimeSet[1].m_vSlot[1].m_vFrame[1].m_nCell, 3u);
    EXPECT_EQ(db.m_vAnime.size(), 3u);
    EXPECT_EQ(g_AnimeSeqTable.size(), 3u);
    EXPECT_EQ(db.m_vBmpCharaExc.size(), 2u);
    ASSERT_EQ(db.m_vSwordType.size(), 2u);
    EXPECT_EQ(db.m_vSwordType[1].m_vItem.size(), 3u);
    ASSERT_EQ(db.m_vEffect.size(), 2u);
    EXPECT_EQ(db.m_vEffect[1].m_vItem.size(), 4u);
    EXPECT_EQ(g_EffectSeqTable.size(), 2u);
    ASSERT_EQ(db.m_vCharaEffect.size(), 3u);
    EXPECT_EQ(db.m_vCharaEffect[0].m_nKind, 0u);
    EXPECT_EQ(db.m_vCharaEffect[1].m_nKind, 6u);
    EXPECT_EQ(db.m_vCharaEffectRev.size(), 3u);
    EXPECT_EQ(g_CharaEffectInst.size(), 3u);
    ASSERT_EQ(db.m_vScrEffect.size(), 3u);
    EXPECT_EQ(db.m_vScrEffect[1].m_nKind, 2u);
    EXPECT_EQ(db.m_vScrEffect[2].m_nKind, 11u);
    EXPECT_EQ(g_ScrEffectInst.size(), 3u);
    EXPECT_EQ(db.m_vPicture.size(), 2u);
    EXPECT_EQ(db.m_vSound.size(), 3u);
    ASSERT_EQ(db.m_vBgm.size(), 4u);
    EXPECT_EQ(db.m_vBgm[1].m_strFile, "bgm\\Title.mid");
    EXPECT_EQ(db.m_vBgm[2].m_strFile, sample::kMapMusic);
    EXPECT_EQ(db.m_vBgm[3].m_strFile, sample::kStageMusic);

    ASSERT_TRUE(LoadSystemData(db.m_vBgm.size()));
    EXPECT_EQ(Bytes(g_SystemData.m_strTitle),
              Hex({0x83, 0x8c, 0x83, 0x93, 0x83, 0x74, 0x83, 0x48, 0x81, 0x5b, 0x83, 0x8b, 0x83,
                   0x68, 0x82, 0xcc, 0x8f, 0xac, 0x82, 0xb3, 0x82, 0xc8, 0x96, 0x60, 0x8c, 0xaf}));
    ASSERT_EQ(g_SystemData.m_vScreenBgm.size(), 4u);
    EXPECT_EQ(g_SystemData.m_vScreenBgm[0], 1u);

    // The sound-file list: the seventeen system sounds and the two of the project, each
    // a PCM WAVE of the format the sound layer opens (22050 Hz, 8 bits, mono).
    const std::vector<SOUNDFILE> sounds =
        BuildSoundFileList(g_SystemData.m_vSystemSound, db.m_vSound);
    ASSERT_EQ(sounds.size(), 19u);
    for (const SOUNDFILE& sound : sounds) {
        SCOPED_TRACE(sound.szFile);
        WaveData wave;
        ASSERT_TRUE(ReadWaveFile(sound.szFile, wave));
        EXPECT_EQ(wave.formatTag, 1);
        EXPECT_EQ(wave.channels, 1);
        EXPECT_EQ(wave.samplesPerSec, 22050u);
        EXPECT_EQ(wave.bitsPerSample, 8);
        EXPECT_GT(wave.data.size(), 1000u);
    }

    LoadIniDefaults(g_IniSetting, g_SystemData.m_vIniKey);
    ASSERT_EQ(ReadIni("System.ini", g_IniSetting, g_SystemData.m_vIniKey), 1);
    EXPECT_EQ(g_IniSetting.Direct3D, 1);  // no drawing-mode question
    EXPECT_EQ(g_IniSetting.WindowMode, 1);
    EXPECT_EQ(g_IniSetting.Bpp, 0);
    EXPECT_EQ(g_IniSetting.FreeStage[0], '\0');

    ASSERT_EQ(g_WorldMapData.LoadFile(DataPath[13]), 1);
    ASSERT_EQ(g_WorldMapData.m_vPoints.size(), static_cast<size_t>(sample::kStageCount));
    for (int i = 0; i < sample::kStageCount; ++i) {
        const cWorldMapPoint& point = g_WorldMapData.m_vPoints[static_cast<size_t>(i)];
        ASSERT_EQ(point.m_vRecs.size(), 1u);
        EXPECT_EQ(point.m_vRecs[0].m_sStageFile, sample::kStageNames[i]);
        // The road between the points is walkable.
        const uint32_t cellType =
            g_WorldMapData
                .m_vGrid[static_cast<size_t>(point.m_nY * g_WorldMapData.m_nPitch + point.m_nX)];
        EXPECT_EQ(g_WorldMapData.m_vCellTypes[cellType].m_bBlocked, 0);
    }
    EXPECT_EQ(g_WorldMapData.FindPoint(g_WorldMapData.m_nStartX, g_WorldMapData.m_nStartY),
              &g_WorldMapData.m_vPoints[0]);

    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    const cPalette& pal = g_CommonPalette;
    ASSERT_EQ(pal.m_vBlocks.size(), std::size(sample::kBlockNames));
    for (size_t i = 1; i < pal.m_vBlocks.size(); ++i)
        EXPECT_EQ(pal.m_vBlocks[i].m_strText, sample::kBlockNames[i]) << i;
    EXPECT_EQ(pal.m_vBlocks[3].m_nFootEffect, 1);  // the spring
    EXPECT_EQ(pal.m_vBlocks[4].m_nContact, 2);     // the spikes
    ASSERT_EQ(pal.m_vCharas.size(), std::size(sample::kCharaNames));
    const cCharaDef& hero = pal.m_vCharas[1];
    EXPECT_EQ(Bytes(hero.m_strText), Hex({0x8e, 0xe5, 0x90, 0x6c, 0x8c, 0xf6}));
    EXPECT_EQ(hero.m_nSide, 0);
    EXPECT_EQ(hero.m_nAnimeSet, 1);  // kept: the set exists in the loaded database
    EXPECT_EQ(hero.m_vFlows.size(), 4u);
    const cCharaDef& walker = pal.m_vCharas[2];
    EXPECT_EQ(walker.m_nSide, 1);
    EXPECT_EQ(walker.m_nAnimeSet, 2);
    EXPECT_EQ(walker.m_nVanishEffect, 2);
    ASSERT_EQ(walker.m_vFlows.size(), 1u);
    ASSERT_EQ(walker.m_vFlows[0].m_vCmds.size(), 1u);
    EXPECT_EQ(walker.m_vFlows[0].m_vCmds[0].m_nType, 3);  // ground turn-back move
    ASSERT_EQ(pal.m_vItems.size(), std::size(sample::kItemNames));
    EXPECT_EQ(pal.m_vItems[1].m_nSound, 1);
    ASSERT_EQ(pal.m_vItems[2].m_vCmds.size(), 1u);

    // Each stage as the world map starts it: the newest generation of the named file,
    // loaded on the loader thread, its hero placed, its settings in the play stage.
    const size_t blocks[] = {91, 127, 72, 175, 85};
    const size_t charas[] = {4, 6, 2, 1, 2};
    const int32_t heights[] = {15, 15, 15, 30, 15};
    for (int i = 0; i < sample::kStageCount; ++i) {
        SCOPED_TRACE(sample::kStageNames[i]);
        ASSERT_EQ(LoadStageFile(sample::kStageNames[i], 1, &g_PlayStage), 1u);
        EXPECT_EQ(g_Stage.m_sPath, sample::kStageFiles[i]);
        const int32_t hero = g_Stage.FindHero();
        ASSERT_NE(hero, -1);
        const cCharaDef& placed = g_Stage.m_vCharas[static_cast<size_t>(hero)];
        EXPECT_EQ(placed.m_strText,
                  i == sample::kSkyStage ? sample::kWingedHeroName : sample::kHeroName);
        EXPECT_EQ(placed.m_nX, 1);
        EXPECT_EQ(placed.m_nY, 12);
        EXPECT_EQ(placed.m_nPalBank, kPaletteCommon);
        EXPECT_EQ(g_Stage.m_vCharas.size(), charas[i]);
        EXPECT_EQ(g_Stage.m_vBlocks.size(), blocks[i]);
        EXPECT_EQ(g_Stage.m_anSize[3], heights[i]);
        EXPECT_EQ(g_PlayStage.m_sText, g_Stage.m_sText);
        EXPECT_TRUE(g_PlayStage.m_vCharas.empty());
        size_t goals = 0;
        for (const cItemDef& item : g_Stage.m_vItems)
            goals += item.m_strText == sample::kItemNames[2];
        EXPECT_EQ(goals, 1u);
    }

    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(posted.Count(WM_CLOSE), 0);
}

// The sample is a whole game: every capability a player meets is in its files at least
// once. Each row names a capability and says whether the loaded project has it.
TEST_F(SampleProjectTest, EveryCapabilityIsInTheFiles) {
    ASSERT_TRUE(InitDatabases());
    ASSERT_TRUE(LoadSystemData(g_Database.m_vBgm.size()));
    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    ASSERT_EQ(g_WorldMapData.LoadFile(DataPath[13]), 1);
    const cPalette& pal = g_CommonPalette;
    std::vector<cStage> stages;
    for (const char* name : sample::kStageNames) {
        ASSERT_EQ(LoadStageFile(name, 1, &g_PlayStage), 1u) << name;
        stages.push_back(g_Stage);
    }
    for (const char* name : sample::kChallengeNames) {
        ASSERT_EQ(LoadStageFile(name, 1, &g_PlayStage), 1u) << name;
        stages.push_back(g_Stage);
    }

    // Every command of every flow of the palette's characters, and of its items.
    std::vector<const cFlowCmd*> flowCmds, itemCmds;
    for (const cCharaDef& chara : pal.m_vCharas)
        for (const cFlow& flow : chara.m_vFlows)
            for (const cFlowCmd& cmd : flow.m_vCmds) flowCmds.push_back(&cmd);
    for (const cItemDef& item : pal.m_vItems)
        for (const cFlowCmd& cmd : item.m_vCmds) itemCmds.push_back(&cmd);
    auto flowHas = [&](int type, auto&& test) {
        return std::any_of(flowCmds.begin(), flowCmds.end(), [&](const cFlowCmd* c) {
            return c->m_nCategory == kCmdCategoryFlow && c->m_nType == type && test(*c);
        });
    };
    auto any = [](const cFlowCmd&) { return true; };
    auto itemHas = [&](int flowType) {
        return std::any_of(itemCmds.begin(), itemCmds.end(), [&](const cFlowCmd* c) {
            return c->m_nCategory == kCmdCategoryItem && c->m_nType == flowType - 15;
        });
    };
    auto blockUsed = [&](size_t index) {
        return std::any_of(stages.begin(), stages.end(), [&](const cStage& st) {
            return std::any_of(st.m_vBlocks.begin(), st.m_vBlocks.end(),
                               [&](const cBlockDef& b) { return b.m_nPalIndex == index; });
        });
    };
    auto charaUsed = [&](size_t index) {
        return std::any_of(stages.begin(), stages.end(), [&](const cStage& st) {
            return std::any_of(st.m_vCharas.begin(), st.m_vCharas.end(),
                               [&](const cCharaDef& c) { return c.m_nPalIndex == index; });
        });
    };
    auto stageMusic = [&](int32_t bgm) {
        return std::any_of(stages.begin(), stages.end(),
                           [&](const cStage& st) { return st.m_nBgm == bgm; });
    };
    const std::vector<uint8_t> ogg =
        wftest::ReadBytes(platform::fs::ResolveGamePath(sample::kStageMusic));
    const std::vector<uint8_t> mapMidi =
        wftest::ReadBytes(platform::fs::ResolveGamePath(sample::kMapMusic));

    const struct {
        const char* capability;
        bool present;
    } rows[] = {
        {"seven title items", CountValidCmd(g_SystemData.m_vTitleMenu) == 7},
        {"five stage points", g_WorldMapData.m_vPoints.size() == 5},
        {"a branch off the road",
         g_WorldMapData.m_vPoints[2].m_nY != g_WorldMapData.m_vPoints[0].m_nY},
        {"story saves (save menu)", CountValidCmd(g_SystemData.m_vSaveMenu) >= 1},
        {"challenge rankings on", g_SystemData.m_vModeRanking[1].m_bEnabled != 0},
        {"solid block", blockUsed(1) && pal.m_vBlocks[1].m_nContact == 1},
        {"hazard block", blockUsed(4) && pal.m_vBlocks[4].m_nContact == 2},
        {"spring block", blockUsed(3) && pal.m_vBlocks[3].m_nFootEffect == 1},
        {"item block", blockUsed(5) && pal.m_vBlocks[5].m_nItemIndex == 1},
        {"item block on the first stage",
         std::any_of(stages[0].m_vBlocks.begin(), stages[0].m_vBlocks.end(),
                     [](const cBlockDef& b) { return b.m_nPalIndex == 5; })},
        {"breakable block", blockUsed(6)},
        {"toggled block", blockUsed(7) && flowHas(kCmdSummonBlock,
                                                  [](const cFlowCmd& c) {
                                                      return c.m_pShot &&
                                                             c.m_pShot->m_nBlockMode == 2 &&
                                                             c.m_pShot->m_nDefIndex == 7;
                                                  })},
        {"walking enemy", charaUsed(2) && flowHas(kCmdGroundTurnMove, any)},
        {"jumping enemy", charaUsed(3) && flowHas(kCmdJump, any)},
        {"shooting enemy", charaUsed(4) && flowHas(kCmdShot, any)},
        {"shots of the hero's group and of the enemies'",
         flowHas(kCmdShot,
                 [](const cFlowCmd& c) { return c.m_pShot && c.m_pShot->m_nSide == 0; }) &&
             flowHas(kCmdShot,
                     [](const cFlowCmd& c) { return c.m_pShot && c.m_pShot->m_nSide == 1; }) &&
             pal.m_vCharas[1].m_nMapValue == 0 && pal.m_vCharas[2].m_nMapValue == 1},
        {"an ally on the hero's side", charaUsed(6) && pal.m_vCharas[6].m_nSide == 0},
        {"a flow before the stage starts",
         charaUsed(7) &&
             std::any_of(pal.m_vCharas[7].m_vFlows.begin(), pal.m_vCharas[7].m_vFlows.end(),
                         [](const cFlow& f) { return f.m_nTrigger == 21; })},
        {"aimed shots",
         flowHas(kCmdShot,
                 [](const cFlowCmd& c) { return c.m_pShot && shot_part::Aim(*c.m_pShot); })},
        {"homing shots", flowHas(kCmdShot,
                                 [](const cFlowCmd& c) {
                                     return c.m_pShot && c.m_pShot->m_nMoveKind >= 4 &&
                                            c.m_pShot->m_nMoveKind <= 7;
                                 })},
        {"a stage that scrolls by itself",
         std::any_of(stages.begin(), stages.end(),
                     [](const cStage& st) { return st.m_bScrollAutoX && st.m_nScrollSpeedX; })},
        {"a walker on a ledge",
         std::any_of(stages[0].m_vCharas.begin(), stages[0].m_vCharas.end(),
                     [](const cCharaDef& c) { return c.m_nPalIndex == 2 && c.m_nY < 12; })},
        {"coins counted in a variable the story restores after a miss",
         std::any_of(pal.m_vItems[1].m_vCmds.begin(), pal.m_vItems[1].m_vCmds.end(),
                     [](const cFlowCmd& c) { return c.m_nType == kCmdExecCode - 15; }) &&
             g_SystemData.m_nUserDataOptionA == 1},
        {"breaking shots", flowHas(kCmdShot,
                                   [](const cFlowCmd& c) {
                                       return c.m_pShot && shot_part::Breakable(*c.m_pShot) != 0;
                                   })},
        {"boss volley", charaUsed(5) && flowHas(kCmdShot,
                                                [](const cFlowCmd& c) {
                                                    return c.m_pShot && c.m_pShot->m_nCount == 5;
                                                })},
        {"boss summons", flowHas(kCmdSummonChara, any)},
        {"five item kinds", pal.m_vItems.size() == 6},
        {"a stage of several screens both ways for a hero that flies",
         stages[sample::kSkyStage].m_anSize[0] >= 60 &&
             stages[sample::kSkyStage].m_anSize[3] >= 30 && pal.m_vCharas[8].m_nMoveType == 1},
        {"an item that shows a picture on the hero",
         std::any_of(pal.m_vItems[5].m_vCmds.begin(), pal.m_vItems[5].m_vCmds.end(),
                     [](const cFlowCmd& c) {
                         return c.m_nType == kCmdShowPicture - 15 && c.m_vParams[1] == 2;
                     })},
        {"message command", itemHas(kCmdMessage)},
        {"picture command", itemHas(kCmdShowPicture)},
        {"effect command", itemHas(kCmdRunEffect)},
        {"screen effect", itemHas(kCmdRunScreenEffect)},
        {"a screen effect run reversed",
         flowHas(kCmdRunScreenEffect,
                 [](const cFlowCmd& c) { return c.m_vParams.size() > 1 && c.m_vParams[1] == 1; })},
        {"sound command", itemHas(kCmdPlaySE)},
        {"stage music (MIDI)", stageMusic(2) && mapMidi.size() > 14 && mapMidi[0] == 'M'},
        {"stage music (second file)", stageMusic(3) && ogg.size() > 4},
#if WF_SAMPLE_OGG
        {"Ogg Vorbis music", ogg[0] == 'O' && ogg[1] == 'g' && ogg[2] == 'g' && ogg[3] == 'S'},
#endif
        {"map and challenge music",
         g_SystemData.m_vScreenBgm[1] == 2 && g_SystemData.m_vScreenBgm[2] == 2},
    };
    for (const auto& row : rows) EXPECT_TRUE(row.present) << row.capability;

    // Placed characters hold no item: -1, never placement 0.
    for (const cStage& st : stages)
        for (const cCharaDef& c : st.m_vCharas)
            EXPECT_EQ(c.m_nPlacementValue, 0xFFFFFFFFu) << st.m_sText << " " << c.m_strText;
}

// Every non-optional entry of the built-in bitmap table, and every picture the databases
// name, is an 8-bit picture with the sample's colour table that our decoder reads.
TEST_F(SampleProjectTest, EveryPictureTheGameOpensDecodes) {
    std::vector<std::string> names;
    for (const DDSURFACEFILE& entry : g_BitmapTable) {
        const std::string name = entry.szFileName;
        if (name == "E" || (entry.p6 != 0 && !platform::fs::GameFileExists(name))) continue;
        names.push_back(name);
    }
    ASSERT_TRUE(InitDatabases());
    for (const cSwordType& sword : g_Database.m_vSwordType)
        for (const std::string* file : {&sword.m_strFileLeft, &sword.m_strFileRight})
            if (!file->empty()) names.push_back(*file);
    for (const cEffect& effect : g_Database.m_vEffect)
        if (!effect.m_strFile.empty()) names.push_back(effect.m_strFile);
    for (const cPicture& picture : g_Database.m_vPicture)
        if (!picture.m_strFile.empty()) names.push_back(picture.m_strFile);
    names.push_back(sample::kTitlePicture);

    const auto& palette = sample::SamplePalette();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        FILE* fp = platform::fs::OpenGameFile(name, "rb");
        ASSERT_NE(fp, nullptr);
        std::vector<uint8_t> bytes;
        for (int c; (c = std::fgetc(fp)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(fp);
        platform::video::Picture picture;
        std::string error;
        ASSERT_TRUE(platform::video::DecodeBmp(bytes, picture, error)) << error;
        EXPECT_EQ(picture.bitCount, 8);
        ASSERT_EQ(picture.colourTable.size(), 256u);
        for (size_t i = 0; i < 256; ++i) {
            EXPECT_EQ(picture.colourTable[i].red, palette[i].r);
            EXPECT_EQ(picture.colourTable[i].blue, palette[i].b);
        }
        // Sheets are cut in 32-dot cells.
        if (name != "bmp\\plt\\Palette.bmp") {
            EXPECT_EQ(picture.width % 32, 0);
            EXPECT_EQ(picture.height % 32, 0);
        }
    }
    // The first character sheet is required and holds the hero and the walker.
    platform::video::Picture sheet;
    std::string error;
    ASSERT_TRUE(platform::video::DecodeBmp(wftest::ReadBytes(dir.Path() / "bmp/Character1.bmp"),
                                           sheet, error));
    EXPECT_EQ(sheet.width, 640);
    EXPECT_EQ(sheet.height, 480);
    auto opaque = [&sheet](int cellX, int cellY) {
        int count = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) count += sheet.Index(cellX * 32 + x, cellY * 32 + y) != 0;
        return count;
    };
    for (int frame = 0; frame < 12; ++frame) {
        EXPECT_GT(opaque(frame, sample::kHeroGraphic), 100) << "hero frame " << frame;
        EXPECT_GT(opaque(frame, sample::kWalkerGraphic), 100) << "walker frame " << frame;
    }
    EXPECT_EQ(opaque(0, 0), 0);  // graphic 0 is none
}

// Every palette the options offer has its half-blend table, read by the player's reader:
// entry a x 256 + b is the index nearest the colour halfway between a and b, of equally
// near ones the lowest. Palette 1 turns the changing rows by one; palette 12 gives each
// of them the colours of entries 16..31.
TEST_F(SampleProjectTest, EveryPaletteHasItsHalfBlendTable) {
    std::vector<HalfBlendTable> tables(kHbtPaletteCount);
    for (int n = 0; n < kHbtPaletteCount; ++n)
        ASSERT_TRUE(LoadTable64K(tables[static_cast<size_t>(n)], HbtTablePath(n).c_str())) << n;
    const struct {
        int palette, a, b, index;
    } cases[] = {
        {0, 1, 0, 28},      // white and black: grey 128, as near as the ramp's 127 (207)
        {0, 0, 1, 28},      //
        {0, 171, 171, 24},  // the ramp's grey 32 is entry 24's colour too
        {0, 4, 6, 141},     // red and blue: a purple of the evening colours
        {0, 10, 160, 12},   // yellow and the darkest grey: brown
        {0, 40, 40, 40},    //
        {1, 0, 1, 191},     // the rows turned: grey 127 now 191, grey 128 now 204
        {12, 40, 40, 24},   // entry 40 has entry 24's colour here
        {12, 4, 6, 28},     // no evening colours: grey 128
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.palette << ": " << c.a << ", " << c.b);
        EXPECT_EQ(tables[static_cast<size_t>(c.palette)][static_cast<size_t>(c.a * 256 + c.b)],
                  c.index);
    }
}

TEST_F(SampleProjectTest, TitleMusicIsAShortMidiTune) {
    cMidiFile midi(sample::kTitleMusic);
    ASSERT_TRUE(midi.Loaded());
    // Four bars of four beats at 132 beats a minute.
    EXPECT_NEAR(midi.LengthSeconds(), 16 * 60.0 / 132.0, 0.01);
}

TEST_F(SampleProjectTest, BootDataSkipsTheDrawingModeQuestion) {
    // Version 770, two fields: Direct3D chosen, do not ask again; no strings.
    EXPECT_EQ(wftest::ReadBytes(dir.Path() / "user_data/Boot.dat"),
              Hex({0x02, 0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00,
                   0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(SampleProjectTest, FactoryCopyMatchesTheProject) {
    for (const char* name : {"System.dat", "CommonPalette.cplt4", "database/Anime.dat"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(wftest::ReadBytes(dir.Path() / "default" / name),
                  wftest::ReadBytes(dir.Path() / "data" / name));
    }
}

// Loading each data file and saving what was loaded gives the file back unchanged: the
// sample holds nothing our readers would migrate, clamp or drop.
TEST_F(SampleProjectTest, EveryDataFileSavesBackUnchanged) {
    ASSERT_TRUE(InitDatabases());
    auto resave = [](const char* path, auto&& save) {
        SCOPED_TRACE(path);
        const std::string copy = "resaved.dat";
        save(copy.c_str());
        EXPECT_EQ(wftest::ReadBytes(platform::fs::ResolveGamePath(copy)),
                  wftest::ReadBytes(platform::fs::ResolveGamePath(path)));
    };
    auto list = [&resave](int index, auto& records) {
        resave(DatabaseFilePath(index), [&records](const char* out) {
            FILE* fp = OpenRecordWrite(out);
            ASSERT_NE(fp, nullptr);
            ByteWriter writer(fp);
            ASSERT_TRUE(writer.WriteCount(records.size()));
            for (auto& record : records) ASSERT_TRUE(record.Save(fp));
            ASSERT_TRUE(CloseRecordFile(fp));
        });
    };
    cDatabase& db = g_Database;
    list(0, db.m_vAnimeSet);
    list(1, db.m_vAnime);
    list(2, db.m_vBmpCharaExc);
    list(3, db.m_vSwordType);
    list(4, db.m_vEffect);
    list(5, db.m_vCharaEffect);
    list(6, db.m_vScrEffect);
    list(7, db.m_vPicture);
    list(8, db.m_vSound);
    list(9, db.m_vBgm);

    cSystemData system;
    ASSERT_TRUE(LoadSystemDataFile(system, DataPath[35], db.m_vBgm.size()));
    resave(DataPath[35], [&system](const char* out) { ASSERT_EQ(system.SaveFile(out), 1); });

    ASSERT_EQ(g_CommonPalette.LoadFile(DataPath[7]), 1);
    resave(DataPath[7], [](const char* out) { ASSERT_EQ(g_CommonPalette.SaveFile(out), 1); });

    cWorldMapData map;
    ASSERT_EQ(map.LoadFile(DataPath[13]), 1);
    resave(DataPath[13], [&map](const char* out) { ASSERT_EQ(map.SaveFile(out), 1); });

    std::vector<const char*> stages(std::begin(sample::kStageFiles), std::end(sample::kStageFiles));
    stages.insert(stages.end(), std::begin(sample::kChallengeFiles),
                  std::end(sample::kChallengeFiles));
    for (const char* file : stages) {
        cStage stage;
        ASSERT_EQ(stage.LoadFile(file), 1);
        resave(file, [&stage](const char* out) { ASSERT_EQ(stage.SaveFile(out), 1); });
    }
}

// The user files of a short session, each read back by the reader the player uses for it.
TEST_F(SampleProjectTest, UserFilesReadBackThroughThePlayersReaders) {
    std::string error;
    ASSERT_TRUE(sample::WriteUserFiles(error)) << error;
    ASSERT_TRUE(InitDatabases());
    ASSERT_TRUE(LoadSystemData(g_Database.m_vBgm.size()));
    ASSERT_EQ(g_WorldMapData.LoadFile(DataPath[13]), 1);

    for (int slot : {0, 1}) {
        cSaveData run;
        if (slot == 0)
            ASSERT_EQ(run.LoadSlot(0), 1);
        else
            ASSERT_EQ(run.LoadChallenge(), 1);
        EXPECT_EQ(std::make_tuple(run.m_nMapX, run.m_nMapY, run.m_nScore, run.m_vVariables[3]),
                  std::make_tuple(5u, 7u, 1250, 42u));
        EXPECT_EQ(run.m_strStageFile, sample::kStageNames[0]);
    }
    ASSERT_EQ(LoadOptionData(), 1);
    EXPECT_EQ(std::make_tuple(g_OptionData.m_nSeVolume, g_OptionData.m_sRankName),
              std::make_tuple(7, std::string("WRN")));

    KEYCONFIG keys{};
    ASSERT_EQ(LoadKeyConfig(kKeyConfigPath, keys), 1);
    EXPECT_EQ(keys.dwAllPads, 1u);
    EXPECT_EQ(std::make_tuple(keys.aKey[6].dwDevice, keys.aKey[6].wCode), std::make_tuple(0u, 1));
    // Each of the first pad's buttons 0 to 5, pressed alone, presses the one game button it
    // was set for (2 to 7), through the configurable reader.
    struct OnePadButton : InputSource {
        uint32_t buttons = 0;
        bool KeyDown(int) override { return false; }
        bool ReadJoystick(unsigned id, platform::input::JoyPos& pos) override {
            pos = platform::input::JoyPos{};
            pos.buttons = id == 0 ? buttons : 0;
            return true;
        }
    } pad;
    std::vector<cKeyState> states(1);
    for (int button = 0; button < 6; ++button) {
        pad.buttons = 1u << button;
        ASSERT_EQ(PollControllerAllPads(states, keys, pad, 1, 60), 1);
        EXPECT_EQ(states[0].m_wButton, 1u << (button + 2)) << "pad button " << button;
    }

    cWindowRec window;
    ASSERT_TRUE(window.LoadFile(DataPath[47]));
    window.ClampToScreen(1920, 1080, 640, 480);
    EXPECT_EQ(std::make_tuple(window.m_nX, window.m_nY), std::make_tuple(120, 80));

    cRankFile ranking;
    ASSERT_EQ(LoadRanking(ranking, 2, sample::kStageNames[0], 0, 0, 0), 1);
    EXPECT_EQ(std::make_tuple(ranking.m_vTables[0].m_vRows[0].m_sName,
                              ranking.m_vTables[0].m_vRows[0].m_nScore),
              std::make_tuple(std::string("WRN"), 3200));

    cReplayInput input;
    cStage stage, playStage;
    cSaveData runStart;
    std::string whyNot;
    ASSERT_EQ(LoadReplayFile(input, sample::kReplayFile, stage, playStage, runStart, &whyNot), 1)
        << whyNot;
    EXPECT_EQ(input.m_nSeed, 12345u);
    uint64_t frames = 0;
    for (uint32_t run : input.m_vDirRuns) frames += run;
    EXPECT_EQ(frames, 300u);

    // The other formats hold the very pixels of the bitmap beside them.
    platform::video::Picture bmp;
    ASSERT_TRUE(DDLoadPicture("bmp\\sword\\Sword_L.bmp", false, bmp));
    for (const char* file : sample::kOtherPictures) {
        SCOPED_TRACE(file);
        platform::video::Picture other;
        ASSERT_TRUE(DDLoadPicture(file, true, other));
        EXPECT_EQ(std::make_tuple(other.width, other.height),
                  std::make_tuple(bmp.width, bmp.height));
        EXPECT_EQ(other.rgb, bmp.rgb);
    }
}

// The writers of the generator against bytes spelled out by hand.
TEST(SampleFiles, BitmapIsBottomUpWithPaddedRows) {
    sample::Canvas canvas(3, 2);
    canvas.Set(0, 0, 1);
    canvas.Set(2, 1, 0xFE);
    std::array<sample::Rgb, 256> palette{};
    palette[1] = {0x10, 0x20, 0x30};
    const std::vector<uint8_t> bmp = sample::EncodeBmp8(canvas, palette);
    ASSERT_EQ(bmp.size(), 14u + 40 + 1024 + 8);
    const std::vector<uint8_t> head(bmp.begin(), bmp.begin() + 54);
    EXPECT_EQ(head, Hex({'B',  'M',  0x3e, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36,
                         0x04, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                         0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0x08, 0x00, 0x00, 0x00, 0x13, 0x0b, 0x00, 0x00, 0x13, 0x0b,
                         0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    // Colour entry 1 as blue, green, red, 0.
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 58, bmp.begin() + 62),
              Hex({0x30, 0x20, 0x10, 0x00}));
    // The bottom row first, each padded to four bytes.
    EXPECT_EQ(std::vector<uint8_t>(bmp.end() - 8, bmp.end()),
              Hex({0x00, 0x00, 0xfe, 0x00, 0x01, 0x00, 0x00, 0x00}));
}

TEST(SampleFiles, WaveIsPcmMonoEightBitPaddedToAWord) {
    EXPECT_EQ(sample::EncodeWave8({0x80, 0xff, 0x00}, 22050),
              Hex({'R',  'I',  'F',  'F',  0x28, 0x00, 0x00, 0x00, 'W',  'A',  'V',  'E',
                   'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                   0x22, 0x56, 0x00, 0x00, 0x22, 0x56, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00,
                   'd',  'a',  't',  'a',  0x03, 0x00, 0x00, 0x00, 0x80, 0xff, 0x00, 0x80}));
}

// Stored (uncompressed) image data needs no compressor; the CRCs and the Adler sum were
// worked out apart from the writer.
TEST(SampleFiles, PngIsAPaletteImageInStoredBlocks) {
    sample::Canvas canvas(3, 2);
    canvas.Set(0, 0, 1);
    canvas.Set(2, 1, 0xFE);
    const std::vector<uint8_t> png = sample::EncodePng8(canvas, sample::SamplePalette());
    ASSERT_EQ(png.size(), 8u + 25 + 12 + 768 + 12 + 19 + 12);
    // The signature, then "IHDR": 3 x 2, 8 bits of palette index.
    EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 33),
              wftest::Hex("89504e47 0d0a1a0a | 0000000d 49484452 00000003 00000002"
                          "08 03 00 00 00 | aaaa9628"));
    // "IDAT": one final stored block of the two rows, each with filter byte 0; "IEND".
    EXPECT_EQ(std::vector<uint8_t>(png.end() - 43, png.end()),
              wftest::Hex("00000013 49444154 7801 | 01 0800 f7ff | 00 010000 00 0000fe"
                          "| 010d0100 | 4ee5da50 | 00000000 49454e44 ae426082"));
}

TEST(SampleFiles, TitleMusicStartsAsFormatZero) {
    const std::vector<uint8_t> midi = sample::MakeTitleMusic();
    ASSERT_GT(midi.size(), 22u);
    EXPECT_EQ(std::vector<uint8_t>(midi.begin(), midi.begin() + 18),
              Hex({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60, 'M', 'T', 'r', 'k'}));
    EXPECT_EQ(std::vector<uint8_t>(midi.end() - 3, midi.end()), Hex({0xff, 0x2f, 0x00}));
}

}  // namespace
