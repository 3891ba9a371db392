// Dialogs in the in-window UI run with scripted events: placement, modal runs, bound
// controls, edit rules and the key routing of the keyboard hook.
#include "media/ui/dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "core/strings.h"
#include "platform/input/virtual_keys.h"
#include "platform/text/cp932.h"
#include "support/hex.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"

namespace in = platform::input;
using platform::text::U8;
using wftest::Hex;

namespace {

constexpr uint16_t kTestDialog = 0xE000;
enum : int { kEdit = 10, kRadioA = 11, kRadioB = 12, kCheck = 13 };

// 300 x 100 dots with its frame: an edit, a radio pair, a check box and OK.
void RegisterTestTemplate(bool multiLineEdit = false) {
    ui::DialogTemplate t;
    t.caption = false;
    t.clientWidth = 294;
    t.clientHeight = 94;
    t.items = {
        {kEdit, ui::Kind::Edit, 4, 4, 200, 20, "", multiLineEdit},
        {kRadioA, ui::Kind::RadioButton, 4, 30, 100, 16, "A"},
        {kRadioB, ui::Kind::RadioButton, 4, 48, 100, 16, "B"},
        {kCheck, ui::Kind::CheckBox, 120, 30, 100, 16, "C"},
        {IDOK, ui::Kind::DefPushButton, 200, 66, 80, 22, "OK"},
    };
    ui::RegisterDialogTemplate(kTestDialog, std::move(t));
}

struct Values {
    std::string text = "ab";
    uint32_t choice = 1;
    uint32_t flag = 0;
};

// A dialog bound to Values that records the messages it receives.
class TestDialog : public cDialog {
  public:
    explicit TestDialog(Values& v, EDITPARAM edit = {}) : values(v) {
        SetCreateParams(kTestDialog, nullptr, 0);
        edit.id = kEdit;
        edit.lpStr = &values.text;
        editParam = edit;
    }
    LRESULT WndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) override {
        if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_HOOKKEY)
            log.push_back({m, static_cast<int>(wp)});
        if (m == WM_COMMAND && LoWord(wp) == IDOK) log.push_back({m, IDOK});
        return cDialog::WndProc(w, m, wp, lp);
    }
    void OnInit(WPARAM wp, LPARAM lp) override {
        cDialog::OnInit(wp, lp);
        edit.Setup(this, editParam);
        radioA.Attach(this, kRadioA);
        radioA.Bind(&values.choice, 1);
        radioB.Attach(this, kRadioB);
        radioB.Bind(&values.choice, 0);
        check.Attach(this, kCheck);
        check.Bind(&values.flag);
        for (cControl* c : {static_cast<cControl*>(&edit), static_cast<cControl*>(&radioA),
                            static_cast<cControl*>(&radioB), static_cast<cControl*>(&check)})
            AddControl(c);
        ForEachControl();
    }
    void OnCommand(WPARAM wp, LPARAM lp) override {
        cDialog::OnCommand(wp, lp);
        if (LoWord(wp) == IDOK && endOnOk) {
            StoreControls();
            End(1);
        }
    }

    Values& values;
    EDITPARAM editParam;
    cEditBox edit;
    cRadioButton radioA, radioB;
    cCheckBox check;
    std::vector<std::pair<UINT, int>> log;
    bool endOnOk = true;
};

class DialogTest : public testing::Test {
  protected:
    void SetUp() override { RegisterTestTemplate(); }
    wftest::UiHarness ui;
    Values values;
};

}  // namespace

TEST_F(DialogTest, PlacesAtTheStoredPositionClampedToTheWorkArea) {
    struct Case {
        int storedX, storedY, x, y;
    } cases[] = {
        {400, 220, 340, 220},                        // 400 + 300 passes 640
        {240, 220, 240, 220},                        // fits
        {-1000, 220, 170, 190},                      // no stored position: centred on the desktop
        {220, -1000, 170, 190}, {-20, 400, 0, 380},  // left edge, bottom edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.storedX << "," << c.storedY);
        TestDialog dialog(values);
        dialog.m_nPosX = c.storedX;
        dialog.m_nPosY = c.storedY;
        int x = -1, y = -1;
        ui.events->Call([&] { dialog.GetWindowPos(x, y); });
        EXPECT_EQ(dialog.DoModal(0), 0);  // the script's end closes it
        EXPECT_EQ(std::pair(x, y), std::pair(c.x, c.y));
    }
}

TEST_F(DialogTest, RunsOnceAtATimeAndNeedsAWindowSystem) {
    TestDialog dialog(values);
    int nested = -2;
    HWND window = nullptr;
    ui.events->Call([&] {
        window = dialog.m_hWnd;
        nested = dialog.DoModal(0);
    });
    ui.events->Key(in::VK_RETURN);
    EXPECT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(nested, 0);
    EXPECT_FALSE(ui::IsWindow(window));
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    ui::RemoveHost();
    EXPECT_EQ(dialog.DoModal(0), -1);
}

TEST_F(DialogTest, BoundValuesAreStoredOnlyByOk) {
    struct Case {
        const char* name;
        int endKey;
        int result;
        Values expected;
    } cases[] = {
        {"Enter presses OK", in::VK_RETURN, 1, {"xy", 0, 1}},  // typing replaced the selected text
        {"Esc cancels", in::VK_ESCAPE, 0, {"ab", 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        values = Values();
        TestDialog dialog(values);
        ui.events->Type("xy");         // into the edit, which has the focus
        ui.events->Key(in::VK_TAB);    // to the radio group (its checked button)
        ui.events->Key(in::VK_DOWN);   // B: the other value
        ui.events->Key(in::VK_TAB);    // the check box
        ui.events->Key(in::VK_SPACE);  // ticked
        ui.events->Call([&] { EXPECT_EQ(values.text, "ab"); });  // nothing stored yet
        ui.events->Key(c.endKey);
        EXPECT_EQ(dialog.DoModal(0), c.result);
        EXPECT_EQ(std::tie(values.text, values.choice, values.flag),
                  std::tie(c.expected.text, c.expected.choice, c.expected.flag));
    }
}

TEST_F(DialogTest, RadioPairShowsTheBoundValue) {
    struct Case {
        uint32_t value;
        int a, b;
    } cases[] = {{1, 1, 0}, {0, 0, 1}, {7, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        values.choice = c.value;
        TestDialog dialog(values);
        int a = -1, b = -1;
        ui.events->Call([&] {
            a = ui::GetCheck(ui::GetDlgItem(dialog.m_hWnd, kRadioA));
            b = ui::GetCheck(ui::GetDlgItem(dialog.m_hWnd, kRadioB));
        });
        dialog.DoModal(0);
        EXPECT_EQ(std::pair(a, b), std::pair(c.a, c.b));
    }
}

TEST(EditRules, LinesAndLengthsAreCutToTheirLimits) {
    struct Case {
        const char* name;
        std::string text;
        int maxLines, lineLength;
        bool countChars;
        std::string expected;
    } cases[] = {
        {"fourth character", "ABCD", 1, 3, true, "ABC"},
        {"Shift-JIS counted once", "あいうえ", 1, 3, true, "あいう"},
        {"bytes: a pair is never split", "aあい", 1, 4, false, "aあ"},
        {"lines beyond the count", "a\r\nb\r\nc", 2, 10, false, "a\r\nb"},
        {"a lone CR ends a line", "abc\rdefg", 3, 3, false, "abc\r\ndef"},
        {"within limits", "ab\r\ncd", 2, 2, false, "ab\r\ncd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LimitEditText(c.text, c.maxLines, c.lineLength, c.countChars), c.expected);
    }
}

TEST_F(DialogTest, EditKeepsItsLimitsAsTheUserTypes) {
    struct Case {
        const char* name;
        EDITPARAM param;
        std::vector<std::string> typed;
        std::vector<int> keys;
        std::string expected;
    } cases[] = {
        {"the fourth character is cut back",
         {0, nullptr, 4, 3, 1, kEditCountChars, {}},
         {"xyz", "w"},
         {},
         "xyz"},
        {"three double-byte characters fit",
         {0, nullptr, 4, 3, 1, kEditCountChars, {}},
         {U8(u8"あいうえ")},
         {},
         "あいう"},
        {"byte limit of the field", {0, nullptr, 5, 0, 0, 0, {}}, {"12345678"}, {}, "12345"},
        {"no code page 932 form: refused", {}, {U8(u8"a\U0001F600b")}, {}, "ab"},
        {"backspace and delete by character",
         {},
         {U8(u8"aあい")},
         {in::VK_BACK, in::VK_HOME, in::VK_DELETE},
         "あ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        values.text.clear();
        TestDialog dialog(values, c.param);
        for (const std::string& t : c.typed) ui.events->Type(t);
        for (int k : c.keys) ui.events->Key(k);
        ui.events->Key(in::VK_RETURN);
        ASSERT_EQ(dialog.DoModal(0), 1);
        EXPECT_EQ(values.text, c.expected);
    }
}

TEST_F(DialogTest, BackspaceDoesNotJoinLinesPastTheLimit) {
    RegisterTestTemplate(true);
    values.text = "abc\r\nde";
    EDITPARAM param{0, nullptr, 0, 4, 4, 0, {}};
    TestDialog dialog(values, param);
    ui.events->Call([&] {
        HWND edit = ui::GetDlgItem(dialog.m_hWnd, kEdit);
        ui::SetEditSel(edit, 5, 5);  // start of "de"
    });
    ui.events->Key(in::VK_BACK);  // "abcde" would pass 4: taken back
    ui.events->Key(in::VK_TAB);
    ui.events->Key(in::VK_RETURN);
    ASSERT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(values.text, "abc\r\nde");
}

TEST_F(DialogTest, HookRoutesKeysAroundTheInputMethod) {
    struct Case {
        const char* name;
        bool context;
        std::string composing;
        int key;
        std::vector<std::pair<UINT, int>> expected;
    } cases[] = {
        {"hooked key",
         true,
         "",
         in::VK_LEFT,
         {{WM_HOOKKEY, in::VK_LEFT}, {WM_KEYDOWN, in::VK_LEFT}}},
        {"other key", true, "", 'A', {{WM_KEYDOWN, 'A'}}},
        {"function key",
         true,
         "",
         in::VK_F1 + 7,
         {{WM_HOOKKEY, in::VK_F1 + 7}, {WM_KEYDOWN, in::VK_F1 + 7}}},
        {"hooked key while composing", true, U8(u8"か"), in::VK_LEFT, {{WM_KEYDOWN, in::VK_LEFT}}},
        {"Enter while composing goes to the input method", true, U8(u8"か"), in::VK_RETURN, {}},
        // The dialog manager presses the default button at once; the copy comes after.
        {"Enter presses the default button",
         true,
         "",
         in::VK_RETURN,
         {{WM_COMMAND, IDOK}, {WM_KEYDOWN, in::VK_RETURN}}},
        {"Tab is passed on only", true, "", in::VK_TAB, {}},
        {"no input context", false, "", in::VK_LEFT, {{WM_KEYDOWN, in::VK_LEFT}}},
        {"no input context, Enter",
         false,
         "",
         in::VK_RETURN,
         {{WM_COMMAND, IDOK}, {WM_KEYDOWN, in::VK_RETURN}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wftest::UiHarness local(c.context);
        RegisterTestTemplate();
        TestDialog dialog(values);
        dialog.endOnOk = false;
        if (!c.composing.empty()) local.events->Compose(c.composing);
        local.events->KeyDown(c.key);
        local.events->Call([&] { EXPECT_EQ(dialog.log, c.expected); });
        EXPECT_EQ(dialog.DoModal(0), 0);
    }
}

TEST_F(DialogTest, KeyUpIsCopiedAndCompositionCommitsAsShiftJis) {
    TestDialog dialog(values);
    ui.events->Compose(U8(u8"かん"));
    ui.events->Call([&] { EXPECT_EQ(ui::CompositionOf(dialog.m_hWnd), "かん"); });
    ui.events->Type(U8(u8"漢"));
    ui.events->KeyUp('A');
    ui.events->Key(in::VK_RETURN);
    ASSERT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(wftest::BytesOf(values.text), Hex("8A BF"));  // "漢" in place of the selected "ab"
    EXPECT_EQ(dialog.log.front(), (std::pair<UINT, int>{WM_KEYUP, 'A'}));
}

TEST_F(DialogTest, MouseClicksPressButtonsAndTheCloseBoxCancels) {
    // Client origin (frame 3) at the dialog's place; OK at client (200, 66).
    TestDialog dialog(values);
    dialog.m_nPosX = 100;
    dialog.m_nPosY = 100;
    ui.events->Click(103 + 4 + 5, 103 + 48 + 5);  // radio B
    ui.events->Click(103 + 210, 103 + 70);        // OK
    EXPECT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(values.choice, 0u);

    platform::ui::UiEvent close;
    close.type = platform::ui::UiEvent::Type::Close;
    ui.events->Push(close);
    values.choice = 1;
    TestDialog second(values);
    EXPECT_EQ(second.DoModal(0), 0);
}

TEST_F(DialogTest, HookFailureIsReportedAndTheDialogGoesOn) {
    wftest::ScriptedBoxes boxes;
    FailNextHookInstallForTest();
    TestDialog dialog(values);
    ui.events->Key(in::VK_RETURN);
    EXPECT_EQ(dialog.DoModal(0), 1);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].textSjis, "KeyboardHookに失敗!");
}

TEST(MouseButtons, PollReportsHeldPressAndRelease) {
    wftest::UiHarness ui;
    using T = platform::ui::UiEvent::Type;
    struct Step {
        T event;  // None: no change before the poll
        bool held, pressed, released;
    } steps[] = {
        {T::MouseDown, true, true, false},
        {T::None, true, false, false},  // one press, one report
        {T::MouseUp, false, false, true},
        {T::None, false, false, false},
    };
    for (const Step& s : steps) {
        if (s.event != T::None) {
            platform::ui::UiEvent e;
            e.type = s.event;
            ui::HandleEvent(e);
        }
        const MouseButtons b = PollMouseButtons(0x13);
        EXPECT_EQ(std::tie(b.held[0], b.pressed[0], b.released[0]),
                  std::tie(s.held, s.pressed, s.released));
        EXPECT_FALSE(b.held[1]);
    }
}

TEST_F(DialogTest, OwnScrollBarFollowsKeysWithinItsRange) {
    struct Scrolled : TestDialog {
        using TestDialog::TestDialog;
        void OnPaint() override { ++paints; }
        int paints = 0;
    };
    Scrolled dialog(values);
    dialog.m_dwScrollMask = 2;  // vertical only
    dialog.SetScrollRange(1, 0, 10, 3);
    std::vector<int> positions;
    auto note = [&] { positions.push_back(dialog.m_Scroll[1].nPos); };
    // Page Down twice, Up, Home (the horizontal bar, which is not there), then past the end:
    // the page may not run over it (10 - 3 + 1).
    for (int k : {in::VK_NEXT, in::VK_NEXT, in::VK_UP, in::VK_HOME, in::VK_NEXT, in::VK_NEXT}) {
        ui.events->Key(k);
        ui.events->Call(note);
    }
    ui.events->Call([&] {
        HWND bar = dialog.m_hScroll[1];
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(ui::GetProp(bar, "CTRL_SCROLL_CLASS"), &dialog);
        EXPECT_EQ(ui::GetProp(dialog.m_hWnd, "DLG_CLASS"), &dialog);
        EXPECT_EQ(bar->x + bar->width, dialog.m_hWnd->ClientWidth());
    });
    dialog.DoModal(0);
    EXPECT_EQ(positions, (std::vector<int>{3, 6, 5, 5, 8, 8}));
    EXPECT_EQ(dialog.paints, 4);
}

TEST_F(DialogTest, NestedDialogTakesTheHookAndGivesItBack) {
    TestDialog outer(values);
    Values innerValues;
    TestDialog inner(innerValues);
    ui.events->Call([&] {
        inner.DoModal(0);
        EXPECT_EQ(inner.m_hWnd, nullptr);
    });
    ui.events->Key(in::VK_LEFT);  // to the inner dialog
    platform::ui::UiEvent close;
    close.type = platform::ui::UiEvent::Type::Close;
    ui.events->Push(close);        // which ends
    ui.events->Key(in::VK_RIGHT);  // to the outer one again
    outer.DoModal(0);
    using Log = std::vector<std::pair<UINT, int>>;
    EXPECT_EQ(inner.log,
              (Log{{WM_HOOKKEY, in::VK_LEFT}, {WM_KEYDOWN, in::VK_LEFT}, {WM_KEYUP, in::VK_LEFT}}));
    // One hook serves both: the outer dialog's keys arrive again once the inner one ends.
    EXPECT_EQ(
        outer.log,
        (Log{{WM_HOOKKEY, in::VK_RIGHT}, {WM_KEYDOWN, in::VK_RIGHT}, {WM_KEYUP, in::VK_RIGHT}}));
}

TEST_F(DialogTest, TraceNamesTheMessagesItKnows) {
    wftest::TempDir logs;
    ResetLogsForTest();
    TraceSetup(1, logs.File("trace.txt").c_str());
    TestDialog dialog(values);
    dialog.m_bTrace = true;
    dialog.m_strTraceName = "dlg";
    ui.events->KeyDown('A');
    ui.events->KeyDown(in::VK_LEFT);
    dialog.DoModal(0);
    const std::string trace = wftest::ReadText(logs.Path() / "trace.txt");
    ResetLogsForTest();
    // Named messages, with the key data of a first press (repeat count 1), and the
    // hook's own message, which has no name, by its number.
    EXPECT_NE(trace.find("dlg | msg:WM_KEYDOWN | wp:65(0,65) | lp:1(0,1)"), std::string::npos)
        << trace;
    EXPECT_NE(trace.find("dlg | msg:WM_CLOSE | wp:0(0,0) | lp:0(0,0)"), std::string::npos) << trace;
    EXPECT_NE(trace.find("dlg | msg:WM_INITDIALOG"), std::string::npos) << trace;
    EXPECT_NE(trace.find("dlg | msg:0x 7e8 | wp:37(0,37) | lp:1(0,1)"), std::string::npos) << trace;
}
