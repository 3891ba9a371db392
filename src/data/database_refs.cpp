#include "data/database_refs.h"

#include <cstdint>

#include "data/database.h"
#include "data/flow_record.h"

namespace {

class LoadedDatabaseRefs : public FlowRefDatabase {
  public:
    int Count(List list) const override {
        const cDatabase& db = g_Database;
        switch (list) {
            case List::AnimeSet:
                return Size(db.m_vAnimeSet);
            case List::Anime:
                return Size(db.m_vAnime);
            case List::SwordType:
                return Size(db.m_vSwordType);
            case List::Effect:
                return Size(db.m_vEffect);
            case List::CharaEffect:
                return Size(db.m_vCharaEffect);
            case List::ScrEffect:
                return Size(db.m_vScrEffect);
            case List::Picture:
                return Size(db.m_vPicture);
            case List::Sound:
                return Size(db.m_vSound);
            case List::Bgm:
                return Size(db.m_vBgm);
        }
        return 0;
    }

    int64_t SwordDuration(int swordType) const override {
        const auto& types = g_Database.m_vSwordType;
        if (swordType < 0 || static_cast<size_t>(swordType) >= types.size()) return 0;
        int64_t total = 0;
        for (const cSwordTypeItem& item : types[static_cast<size_t>(swordType)].m_vItem)
            total += item.m_nTime;
        return total;
    }

  private:
    template <typename T>
    static int Size(const std::vector<T>& v) {
        return static_cast<int>(v.size());
    }
};

LoadedDatabaseRefs g_loadedRefs;

}  // namespace

void InstallDatabaseRefs() {
    SetFlowRefDatabase(&g_loadedRefs);
}
