// A stage that records what the modal, message, effect and picture commands ask of it,
// and runs one command body for a character inside a started flow.
#pragma once

#include <optional>
#include <tuple>
#include <vector>

#include "flow/show_commands.h"
#include "flow_test_support.h"

namespace wftest {

class ShowScene : public FakeScene {
  public:
    bool CloseRequested() override { return closing; }
    void RunModalWait(const cModalWait& wait) override { waits.push_back(wait); }
    ShownHandle ShowMessage(const MessageRequest& req) override {
        messages.push_back(req);
        return req.erase ? 0 : ++handles;
    }
    void RemoveMessage(ShownHandle h) override { removed.push_back(h); }
    void AddCommandEffect(int16_t n, double x, double y, int32_t w, int32_t h,
                          int32_t hold) override {
        effects.emplace_back(n, x, y, w, h, hold);
    }
    void ClearCommandEffects() override { ++effectClears; }
    ShownHandle ShowPicture(const PictureRequest& req, const cChara&) override {
        pictures.push_back(req);
        return req.picture == 0 || failLoad ? 0 : ++handles;
    }
    void RemovePicture(ShownHandle h) override { removed.push_back(h); }

    bool closing = false;
    bool failLoad = false;
    ShownHandle handles = 0;
    std::vector<cModalWait> waits;
    std::vector<MessageRequest> messages;
    std::vector<PictureRequest> pictures;
    std::vector<ShownHandle> removed;
    std::vector<std::tuple<int16_t, double, double, int32_t, int32_t, int32_t>> effects;
    int effectClears = 0;
};

// The flow layer with a recording stage and one character at (100, 80), 32 x 32, whose
// graphic stands at the camera (0, 0).
struct ShowStage {
    ShowStage() {
        chara.Init(7, 1, 0, 0, 0, nullptr, 0, 0, 0, 32, 32, 32, 32, 0, 1, 0);
        chara.m_dX = 100;
        chara.m_dY = 80;
        chara.ClampX(2);
        chara.ClampY(2);
        chara.CalcScreenRect();
    }
    // One frame of the command's body in a flow run whose message-shown flag is given.
    int Run(const cFlowCmd& cmd, bool messageShown = false) {
        cFlowRun flow;
        flow.m_bMessageShown = messageShown ? 1 : 0;
        CmdContext ctx{chara, &flow, nullptr, cmd, Play()};
        return DispatchCmd(ctx);
    }

    FlowHarness h;
    ShowScene scene;
    cChara chara;
};

}  // namespace wftest
