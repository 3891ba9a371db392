// The menu command record and the helpers over a list of them.
#include "data/menu_cmd.h"

#include <algorithm>

#include "core/msgbox.h"
#include "core/strings.h"

void cCmd::RegisterFields(uint32_t /*version*/) {
    Reg(valid);
    RegStr(label);
}

int CountValidCmd(const std::vector<cCmd>& list) {
    return static_cast<int>(
        std::count_if(list.begin(), list.end(), [](const cCmd& c) { return c.valid != 0; }));
}

int cCmd::GetCmdNum(int n, const std::vector<cCmd>& list) {
    int seen = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].valid == 0) continue;
        if (seen == n) return static_cast<int>(i);
        ++seen;
    }
    DebugErrorBoxF("cCmd::GetCmdNum 番号が不正です！");
    return 0;
}

int cCmd::GetCentreX(int centreX, const std::vector<cCmd>& list) {
    int widest = 0;
    for (const cCmd& c : list)
        if (c.valid != 0) widest = std::max(widest, SjisCharCount(c.label.c_str()));
    if (widest == 0) return centreX;
    return centreX - (widest + 1) * 16 / 2;
}
