// Flow validation against the database lists that start-up loaded.
#include "data/database_refs.h"

#include <gtest/gtest.h>

#include "data/cmd_types.h"
#include "data/database.h"
#include "data/flow_record.h"

namespace {

class DatabaseRefsTest : public testing::Test {
  protected:
    void SetUp() override {
        g_Database = cDatabase();
        g_Database.m_vSwordType.resize(2);
        g_Database.m_vSwordType[1].m_vItem.resize(3);
        for (int i = 0; i < 3; ++i) g_Database.m_vSwordType[1].m_vItem[i].m_nTime = 4000;
        g_Database.m_vBgm.resize(5);
        InstallDatabaseRefs();
    }
    void TearDown() override {
        SetFlowRefDatabase(nullptr);
        g_Database = cDatabase();
    }

    static cFlowCmd Sword(int16_t swordType) {
        cFlowCmd cmd;
        cmd.m_nCategory = kCmdCategoryFlow, cmd.m_nType = kCmdSword;
        cmd.MakeEdShot();
        cmd.m_pShot->m_nMoveKind = swordType;
        return cmd;
    }
};

}  // namespace

TEST_F(DatabaseRefsTest, CountsFollowTheLoadedLists) {
    const FlowRefDatabase* refs = GetFlowRefDatabase();
    ASSERT_NE(refs, nullptr);
    EXPECT_EQ(refs->Count(FlowRefDatabase::List::SwordType), 2);
    EXPECT_EQ(refs->Count(FlowRefDatabase::List::Bgm), 5);
    EXPECT_EQ(refs->Count(FlowRefDatabase::List::Picture),
              static_cast<int>(g_Database.m_vPicture.size()));
    EXPECT_EQ(refs->SwordDuration(1), 12000);
    EXPECT_EQ(refs->SwordDuration(2), 0);
    EXPECT_EQ(refs->SwordDuration(-1), 0);
}

TEST_F(DatabaseRefsTest, SwordTakesItsTypesDurationCappedAndUnknownTypesReset) {
    cFlowCmd inRange = Sword(1);
    inRange.Validate();
    EXPECT_EQ(inRange.m_pShot->m_nMoveKind, 1);
    EXPECT_EQ(inRange.m_nUseTime, 9999);

    cFlowCmd outOfRange = Sword(7);
    outOfRange.Validate();
    // Back to sword type 0, whose items give the use time.
    EXPECT_EQ(outOfRange.m_pShot->m_nMoveKind, 0);
    EXPECT_EQ(outOfRange.m_nUseTime, GetFlowRefDatabase()->SwordDuration(0));
}
