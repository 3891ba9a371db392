// Palettes: the common palette file, inheritance of every character group from both banks,
// cut links, the order in which entries of one file see each other, damaged files.
#include "data/palette.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "core/log.h"
#include "support/defs_test_support.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

using wftest::Bytes;

class PaletteTest : public wftest::DefsTest {
  protected:
    bool LoadPaletteFile(const Bytes& body, cPalette& palette) {
        const std::string path = dir.File("palette.cplt4");
        wftest::WriteBytes(path, wftest::FileOf(770, body));
        return palette.LoadFile(path.c_str()) == 1;
    }
};

// ---- The file --------------------------------------------------------------------------

Bytes ZeroFlags(int count) {
    Bytes b;
    b.U32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) b.U8(0);
    return b;
}

// Default entries as a palette writes them: every field 0 but the defaults of each kind.
Bytes DefaultBlockBytes() {
    Bytes b;
    b.Hex("12000000 00 0000 00 00 0000 00 0000 00 00 00 0000")
        .Hex("00 FF 00 00000000 00 0000 00")  // empty cell: contact 0; pass value 255
        .Hex("01000000 01000000")             // the empty text
        .Hex("0000 0000")
        .Append(ZeroFlags(11))
        .Hex("00000000");
    return b;
}

Bytes DefaultCharaBytes() {
    Bytes b;
    b.Hex("35000000 00 0000 00 00 00 00 0000 0000 0000 0000 00 00")
        .Hex("0000 01 0000 0000 03 00")                   // character sheet; priority 3
        .Hex("0000 00 01 0000 00 00 0000")                // initial effect second byte 1
        .Hex("01 00 01 00 00 01 00 00 00 01 00 00 00")    // side 1, map 1, facing fixed, size 1
        .Hex("0A000000 00000000 0A00 00")                 // HP 10, deceleration 10
        .Hex("00000000 00 0000 00000000 00 00000000 01")  // value 1
        .Hex("00 0000 00 00")
        .Hex("01000000 01000000")
        .Hex("0000 0000 00000000")
        .Append(ZeroFlags(37))
        .Hex("00000000 00000000");  // no conditions, no flows
    return b;
}

Bytes DefaultItemBytes() {
    Bytes b;
    b.Hex("11000000 00 0000 00 00 0000 0000")
        .Hex("0000 02 0000 06 00 00 0000")  // item sheet; priority 6
        .Hex("01 00 01 0000")               // get effect, size 1
        .Hex("01000000 01000000")
        .Hex("0000 0000")
        .Append(ZeroFlags(13))
        .Hex("00000000 00000000");  // no conditions, no commands
    return b;
}

Bytes EmptyPaletteFile() {
    Bytes b;
    b.Hex("00000000 00000000")               // the palette's own record part: nothing
        .Hex("00000000 00000000 00000000");  // no blocks, characters or items
    return b;
}

TEST_F(PaletteTest, EmptyListsBecomeTwoDefaultEntriesEach) {
    cPalette palette;
    ASSERT_TRUE(LoadPaletteFile(EmptyPaletteFile(), palette));
    EXPECT_EQ(std::make_tuple(palette.m_vBlocks.size(), palette.m_vCharas.size(),
                              palette.m_vItems.size()),
              std::make_tuple(2u, 2u, 2u));

    Bytes expected;
    expected.Hex("00000000 00000000 02000000");
    expected.Append(DefaultBlockBytes()).Append(DefaultBlockBytes());
    expected.U32(2).Append(DefaultCharaBytes()).Append(DefaultCharaBytes());
    expected.U32(2).Append(DefaultItemBytes()).Append(DefaultItemBytes());
    EXPECT_EQ(Saved(palette), expected.bytes);
}

// A character entry that stores only its palette link and its text (the other fields keep
// their defaults, as in a file of an older version); every inherit flag it has is set.
Bytes LinkedChara(int bank, int index, const std::string& text) {
    Bytes b;
    b.U32(2).U8(bank).I16(index).U32(1).Str(text);
    b.I16(0).I16(0).U32(0).U32(37);
    for (int i = 0; i < 37; ++i) b.U8(1);
    b.U32(0).U32(0);
    return b;
}

TEST_F(PaletteTest, ShortListsArePaddedAndEntryZeroIsTheResetEntry) {
    Bytes file;
    file.Hex("00000000 00000000 00000000");  // no blocks
    file.U32(1).Append(LinkedChara(0, 0, "zero"));
    file.U32(0);
    cPalette palette;
    ASSERT_TRUE(LoadPaletteFile(file, palette));
    ASSERT_EQ(palette.m_vCharas.size(), 2u);
    EXPECT_EQ(palette.m_vCharas[0].m_strText, "");
    EXPECT_EQ(palette.m_vCharas[0].m_vInherit, std::vector<uint8_t>(37, 0));
    EXPECT_EQ(palette.m_vBlocks.size(), 2u);
    EXPECT_EQ(palette.m_vItems.size(), 2u);
}

TEST_F(PaletteTest, EntriesSeeTheEntriesBeforeThemAsReadAndTheLaterOnesAsDefaults) {
    // 1 links to 2, which is not read yet: an empty text, so 1 keeps its own. 2 links to 1
    // and takes its text. 3 links to 2 and takes the text 2 had resolved, not its file text.
    Bytes file;
    file.Hex("00000000 00000000 00000000");
    file.U32(4)
        .Append(LinkedChara(0, 0, "zero"))
        .Append(LinkedChara(kPaletteCommon, 2, "one"))
        .Append(LinkedChara(kPaletteCommon, 1, "two"))
        .Append(LinkedChara(kPaletteCommon, 2, ""));
    file.U32(0);

    // What the palette held before must not show through while the file is read.
    g_CommonPalette.m_vCharas.resize(4);
    for (cCharaDef& old : g_CommonPalette.m_vCharas) old.m_strText = "old";

    const std::string path = dir.File("CommonPalette.cplt4");
    wftest::WriteBytes(path, wftest::FileOf(770, file));
    ASSERT_EQ(g_CommonPalette.LoadFile(path.c_str()), 1);

    const std::vector<std::string> expected = {"", "one", "one", "one"};
    ASSERT_EQ(g_CommonPalette.m_vCharas.size(), 4u);
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const cCharaDef& entry = g_CommonPalette.m_vCharas[i];
        EXPECT_EQ(entry.m_strText, expected[i]);
        // Palette entries never inherit afterwards; their links stay.
        EXPECT_EQ(entry.m_vInherit, std::vector<uint8_t>(37, 0));
        // The empty flow list of each source became one blank flow, which the entry's
        // own validation then dropped.
        EXPECT_TRUE(entry.m_vFlows.empty());
    }
    EXPECT_EQ(g_CommonPalette.m_vCharas[3].m_nPalIndex, 2);

    // The stage's palette lists are read the same way: bank 2 names the lists being read.
    cPalette stagePalette;
    BindStagePalette(stagePalette.Lists());
    Bytes stageBody;
    stageBody.Hex("00000000 00000000 00000000");
    stageBody.U32(3)
        .Append(LinkedChara(0, 0, ""))
        .Append(LinkedChara(kPaletteStage, 2, "one"))
        .Append(LinkedChara(kPaletteStage, 1, ""));
    stageBody.U32(0);
    ASSERT_TRUE(LoadPaletteFile(stageBody, stagePalette));
    EXPECT_EQ(stagePalette.m_vCharas[1].m_strText, "one");
    EXPECT_EQ(stagePalette.m_vCharas[2].m_strText, "one");
}

TEST_F(PaletteTest, DamagedFilesLeaveThePaletteAsItWas) {
    Bytes hugeCount;
    hugeCount.Hex("00000000 00000000 FFFFFF7F");
    Bytes cutEntry;
    cutEntry.Hex("00000000 00000000 00000000 02000000");
    cutEntry.Append(LinkedChara(0, 0, "a"));
    cutEntry.Hex("02000000 00");
    Bytes hugeFlags;
    hugeFlags.Hex("00000000 00000000 00000000 01000000");
    hugeFlags.U32(0).U32(0).I16(0).I16(0).U32(0).U32(1000);
    Bytes tornHeader;
    tornHeader.Hex("0000");
    const std::pair<const char*, Bytes> cases[] = {
        {"a count past the end", hugeCount},
        {"an entry cut short", cutEntry},
        {"an entry's flag count past the end", hugeFlags},
        {"a torn record part", tornHeader},
    };
    for (const auto& [what, body] : cases) {
        SCOPED_TRACE(what);
        cPalette palette;
        palette.m_vItems.resize(3);
        palette.m_vItems[2].m_nSound = 4;
        EXPECT_FALSE(LoadPaletteFile(body, palette));
        EXPECT_TRUE(palette.m_vBlocks.empty());
        ASSERT_EQ(palette.m_vItems.size(), 3u);
        EXPECT_EQ(palette.m_vItems[2].m_nSound, 4);
    }
}

TEST_F(PaletteTest, StartUpLoadsTheProjectsCommonPalette) {
    ResetLogsForTest();
    ASSERT_EQ(ReportOpen(dir.File("Report_Game.txt").c_str()), 1);
    wftest::ScopedCurrentDir cwd(dir.Path());
    {
        wftest::ScriptedBoxes boxes;
        EXPECT_FALSE(LoadCommonPalette());
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), 1u);
        // "data\CommonPalette.cplt4 のロードに失敗！"
        EXPECT_EQ(
            wftest::BytesOf(asked[0].textSjis),
            wftest::BytesOf(std::string("data\\CommonPalette.cplt4 ") +
                            "\x82\xCC\x83\x8D\x81\x5B\x83\x68\x82\xC9\x8E\xB8\x94\x73\x81\x49"));
        EXPECT_TRUE(g_CommonPalette.m_vCharas.empty());
        // The same line goes to the report file.
        EXPECT_NE(wftest::ReadText(dir.Path() / "Report_Game.txt").find("CommonPalette.cplt4 "),
                  std::string::npos);
    }
    std::filesystem::create_directory(dir.Path() / "data");
    wftest::WriteBytes(dir.Path() / "data" / "CommonPalette.cplt4",
                       wftest::FileOf(770, EmptyPaletteFile()));
    wftest::ScriptedBoxes boxes;
    EXPECT_TRUE(LoadCommonPalette());
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(g_CommonPalette.m_vCharas.size(), 2u);
    ResetLogsForTest();
}

// ---- Inheritance -------------------------------------------------------------------

// The fields of each character group, as the property groups are laid out.
using GroupSame = bool (*)(const cCharaDef&, const cCharaDef&);
std::vector<int> FlowTriggers(const cCharaDef& c) {
    std::vector<int> t;
    for (const cFlow& f : c.m_vFlows) t.push_back(f.m_nTrigger);
    return t;
}
// A group is the same in a and b when every field it lists is.
#define G1(x) [](const cCharaDef& a, const cCharaDef& b) { return a.x == b.x; }
#define G2(x, y) [](const cCharaDef& a, const cCharaDef& b) { return a.x == b.x && a.y == b.y; }
#define G3(x, y, z) \
    [](const cCharaDef& a, const cCharaDef& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
// clang-format off
const GroupSame kCharaGroups[37] = {
    G1(m_strText), G2(m_nSide, m_nPlayerNo), G1(m_nMapValue), G1(m_nCharaId),
    G3(m_vConds.size(), m_nCondMode, m_bCondLatch), G1(m_nFacing), G1(m_nCopies),
    G3(m_nRowXBase, m_nRowXStep, m_bRowXMirror), G3(m_nRowYBase, m_nRowYStep, m_bRowYMirror),
    G3(m_nCell, m_nBmpSet, m_nCellExtra), G1(m_nAnimeSet), G1(m_nPriority), G1(m_bHidden),
    G3(m_nInitEffect, m_nInitEffectA, m_nInitEffectB), G2(m_nVanishEffect, m_nVanishEffectA),
    G2(m_bIcon, m_nIcon), G1(m_bFacingFixed), G1(m_nMoveType), G2(m_nImmunity, m_nFlashColor),
    G1(m_bBlockChara), G1(m_nSize), G1(m_bSyncScroll), G2(m_nSightShape, m_nSightRange),
    G1(m_nMaxHP), G1(m_nMaxSP), G1(m_nBoxMode), G1(m_nPower), G1(m_nImpact), G1(m_nHitEffect),
    G1(m_nDefence), G1(m_nImpactResist), G1(m_nDecel), G2(m_nAppearMode, m_nAppearCond),
    G2(m_nGroup, m_bGroupMember), G1(m_nScore), G1(m_nPlaced),
    [](const cCharaDef& a, const cCharaDef& b) { return FlowTriggers(a) == FlowTriggers(b); },
};
// clang-format on
#undef G1
#undef G2
#undef G3

// Every field set to a value of its own, starting from base so that two such characters
// differ in every field.
cCharaDef Distinct(int base, const std::string& text, std::vector<int> triggers) {
    cCharaDef c;
    int v = base;
    const auto next = [&v] { return v++; };
    c.m_strText = text;
    c.m_vConds.resize(static_cast<size_t>(base / 10));
    for (int t : triggers) {
        cFlow flow;
        flow.m_nTrigger = static_cast<int8_t>(t);
        c.m_vFlows.push_back(flow);
    }
    c.m_nCondMode = next(), c.m_bCondLatch = next(), c.m_nFacing = next(), c.m_nCopies = next();
    c.m_nRowXBase = next(), c.m_nRowXStep = next(), c.m_nRowYBase = next();
    c.m_nRowYStep = next(), c.m_bRowXMirror = next(), c.m_bRowYMirror = next();
    c.m_nCell = next(), c.m_nBmpSet = next(), c.m_nCellExtra = next(), c.m_nAnimeSet = next();
    c.m_nPriority = next(), c.m_bHidden = next(), c.m_nInitEffect = next();
    c.m_nInitEffectA = next(), c.m_nInitEffectB = next(), c.m_nVanishEffect = next();
    c.m_nVanishEffectA = next(), c.m_bIcon = next(), c.m_nIcon = next(), c.m_nSide = next();
    c.m_nPlayerNo = next(), c.m_nMapValue = next(), c.m_nCharaId = next();
    c.m_nMoveType = next(), c.m_bFacingFixed = next(), c.m_nImmunity = next();
    c.m_nFlashColor = next(), c.m_bBlockChara = next(), c.m_nSize = next();
    c.m_bSyncScroll = next(), c.m_nSightShape = next(), c.m_nSightRange = next();
    c.m_nMaxHP = next(), c.m_nMaxSP = next(), c.m_nDecel = next(), c.m_nBoxMode = next();
    c.m_nPower = next(), c.m_nImpact = next(), c.m_nHitEffect = next(), c.m_nDefence = next();
    c.m_nImpactResist = next(), c.m_nScore = next(), c.m_nPlaced = next();
    c.m_bGroupMember = next(), c.m_nGroup = next(), c.m_nAppearMode = next();
    c.m_nAppearCond = next();
    return c;
}

TEST_F(PaletteTest, EveryCharacterGroupIsTakenFromEitherBank) {
    const cCharaDef source = Distinct(10, "palette", {5, 6});
    const cCharaDef placed = Distinct(70, "placed", {9});
    for (int g = 0; g < 37; ++g)
        ASSERT_FALSE(kCharaGroups[g](source, placed)) << "group " << g << " must differ";

    for (uint8_t bank : {kPaletteCommon, kPaletteStage}) {
        std::vector<cCharaDef>& list =
            bank == kPaletteCommon ? g_CommonPalette.m_vCharas : stageCharas;
        list = {cCharaDef(), source};
        for (int g = 0; g < 37; ++g) {
            SCOPED_TRACE(testing::Message() << "bank " << int(bank) << " group " << g);
            cCharaDef chara = placed;
            chara.m_nPalBank = bank, chara.m_nPalIndex = 1;
            chara.m_vInherit.assign(37, 0);
            chara.m_vInherit[static_cast<size_t>(g)] = 1;
            chara.ApplyPalette();
            for (int h = 0; h < 37; ++h)
                EXPECT_TRUE(kCharaGroups[h](chara, h == g ? source : placed)) << "group " << h;
            EXPECT_EQ(chara.m_nPalBank, bank);
            EXPECT_EQ(chara.m_nX, placed.m_nX);
        }
        list.clear();
    }
}

TEST_F(PaletteTest, FlowsAndTextOfAnEmptyEntry) {
    g_CommonPalette.m_vCharas.resize(2);  // entry 1: no flows, no text
    cCharaDef chara = Distinct(70, "placed", {9, 9});
    chara.m_nPalBank = kPaletteCommon, chara.m_nPalIndex = 1;
    chara.m_vInherit.assign(37, 1);
    chara.ApplyPalette();
    EXPECT_EQ(chara.m_strText, "placed");
    ASSERT_EQ(chara.m_vFlows.size(), 1u);  // exactly one new flow
    EXPECT_EQ(std::make_tuple(chara.m_vFlows[0].m_nTrigger, chara.m_vFlows[0].m_nKeyLeniency,
                              chara.m_nMaxHP),
              std::make_tuple(0, 3, 10u));
}

TEST_F(PaletteTest, ALinkPastItsListIsCut) {
    g_CommonPalette.m_vCharas.resize(3);
    stageCharas.resize(3);
    stageItems.resize(3);
    struct Case {
        uint8_t bank;
        uint16_t index;
        uint8_t bankAfter;
        uint16_t indexAfter;
    };
    const Case cases[] = {
        {kPaletteCommon, 3, 0, 0},
        {kPaletteStage, 5, 0, 0},
        {kPaletteStage, 2, 2, 2},
        {kPaletteCommon, 0, 1, 0},
        {7, 9, 7, 9},  // a bank of no palette names nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.bank) << " " << c.index);
        cCharaDef chara;
        chara.m_nMaxHP = 77, chara.m_nPalBank = c.bank, chara.m_nPalIndex = c.index;
        chara.m_vInherit.assign(37, 1);
        chara.ApplyPalette();
        EXPECT_EQ(std::make_tuple(chara.m_nPalBank, chara.m_nPalIndex, chara.m_nMaxHP),
                  std::make_tuple(c.bankAfter, c.indexAfter, c.bankAfter == 2 ? 10u : 77u));
    }
    EXPECT_EQ(GetPaletteItemDef(kPaletteStage, 3), nullptr);
    EXPECT_EQ(GetPaletteItemDef(kPaletteStage, 2), &stageItems[2]);
    EXPECT_EQ(GetPaletteItemDef(kPaletteCommon, 0), nullptr);  // the common list is empty
    EXPECT_EQ(GetPaletteItemDef(0, 0), nullptr);
    EXPECT_EQ(GetPaletteItemDef(kPaletteStage, -1), nullptr);
}

}  // namespace
