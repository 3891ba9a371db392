// Control objects and the edit rules.
#include "media/ui/controls.h"

#include <vector>

#include "core/strings.h"
#include "media/ui/dialog.h"
#include "platform/input/virtual_keys.h"

void cControl::Enable(bool enable) {
    ui::EnableWindow(m_hWnd, enable);
}

bool cControl::Attach(cDialog* dialog, int id) {
    m_pDialog = dialog;
    m_hDlg = dialog ? dialog->m_hWnd : nullptr;
    m_wId = static_cast<uint16_t>(id);
    m_strTip.clear();
    m_hWnd = ui::GetDlgItem(m_hDlg, id);
    SaveRect();
    return m_hWnd != nullptr;
}

void cControl::SaveRect() {
    if (!m_hWnd || !m_hDlg) return;
    m_rcRel = {m_hWnd->x, m_hWnd->y, m_hWnd->width, m_hWnd->height};
    m_rcWindow = {m_hDlg->ClientX() + m_hWnd->x, m_hDlg->ClientY() + m_hWnd->y, m_hWnd->width,
                  m_hWnd->height};
}

void cControl::Reposition(int width, int height) {
    ui::MoveWindow(m_hWnd, m_rcRel.x, m_rcRel.y, width, height);
}

namespace {

// Lines end at "\r\n" or a lone "\r".
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
            continue;
        }
        const bool pair = IsSjisPair(text.c_str() + i) != 0;
        lines.back() += text[i];
        if (pair) lines.back() += text[++i];
    }
    return lines;
}

int Measure(const std::string& line, bool countChars) {
    return countChars ? SjisCharCount(line.c_str()) : static_cast<int>(line.size());
}

// The line cut to limit characters or bytes; a double-byte character is never split.
std::string CutLine(const std::string& line, int limit, bool countChars) {
    size_t i = 0;
    int count = 0;
    while (i < line.size()) {
        const size_t len = IsSjisPair(line.c_str() + i) ? 2 : 1;
        const int add = countChars ? (line[i] == '\n' ? 0 : 1) : static_cast<int>(len);
        if (count + add > limit) break;
        count += add;
        i += len;
    }
    return line.substr(0, i);
}

}  // namespace

std::string LimitEditText(const std::string& text, int maxLines, int lineLength, bool countChars) {
    std::vector<std::string> lines = SplitLines(text);
    if (maxLines > 0 && static_cast<int>(lines.size()) > maxLines) lines.resize(maxLines);
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "\r\n";
        out += lineLength > 0 && Measure(lines[i], countChars) > lineLength
                   ? CutLine(lines[i], lineLength, countChars)
                   : lines[i];
    }
    return out;
}

void cEditBox::Setup(cDialog* dialog, const EDITPARAM& param) {
    m_nType = kCtrlEdit;
    Attach(dialog, param.id);
    m_pStr = param.lpStr;
    m_nMaxLength = param.nMaxLength ? param.nMaxLength : 4096;
    m_nLineLength = param.nLineLength ? param.nLineLength : 1024;
    m_nMaxLines = param.nMaxLines ? param.nMaxLines : 32;
    m_bCountChars = (param.dwFlags & kEditCountChars) != 0;
    for (int i = 0; i < 4; ++i) m_anLayout[i] = param.anLayout[i];
    // The field takes no more than its limit from the first key on.
    ui::SetEditLimit(m_hWnd, m_bCountChars ? m_nMaxLength * 2 - 1 : m_nMaxLength);
    if (m_pStr) ui::SetWindowText(m_hWnd, *m_pStr);
    m_strLast = ui::GetWindowText(m_hWnd);
}

void cEditBox::Refresh() {
    if (m_pStr) ui::SetWindowText(m_hWnd, *m_pStr);
}

void cEditBox::Store() {
    if (m_pStr && m_hWnd) *m_pStr = ui::GetWindowText(m_hWnd);
}

void cEditBox::OnChange() {
    if (m_bInChange || !m_hWnd) return;
    m_bInChange = true;
    ui::SetEditLimit(m_hWnd, m_bCountChars ? m_nMaxLength * 2 - 1 : m_nMaxLength);
    ui::GetEditSel(m_hWnd, m_nSelStart, m_nSelEnd);
    const std::string text = ui::GetWindowText(m_hWnd);
    std::string result = text;
    if (m_nMaxLines > 0 || m_nLineLength > 0)
        result = LimitEditText(text, m_nMaxLines, m_nLineLength, m_bCountChars);
    // Backspace at the start of a line joins it to the line above; when the joined line
    // would pass the limit, the join is taken back instead of cutting the line's end off.
    if (ui::KeyHeld(platform::input::VK_BACK) && m_nSelStart == m_nSelEnd &&
        text.size() + 2 == m_strLast.size() &&
        SplitLines(text).size() < SplitLines(m_strLast).size()) {
        const std::vector<std::string> lines = SplitLines(text);
        // The joined line is the one the caret stands in.
        size_t at = 0, index = 0;
        for (; index + 1 < lines.size(); ++index) {
            if (static_cast<size_t>(m_nSelStart) <= at + lines[index].size()) break;
            at += lines[index].size() + 2;
        }
        if (Measure(lines[index], m_bCountChars) >= m_nLineLength) result = m_strLast;
    }
    if (result != text) {
        ui::SetWindowText(m_hWnd, result);
        ui::SetEditSel(m_hWnd, m_nSelStart, m_nSelEnd);
    }
    m_strLast = result;
    m_bInChange = false;
}

void cRadioButton::Refresh() {
    if (m_pValue) ui::SetCheck(m_hWnd, *m_pValue == m_nValue ? 1 : 0);
}

void cRadioButton::Store() {
    if (m_pValue && ui::GetCheck(m_hWnd)) *m_pValue = m_nValue;
}

void cCheckBox::Refresh() {
    if (m_pValue) ui::SetCheck(m_hWnd, static_cast<int>(*m_pValue));
}

void cCheckBox::Store() {
    if (m_pValue) *m_pValue = static_cast<uint32_t>(ui::GetCheck(m_hWnd));
}

void cGdiBitmap::Create(int width, int height) {
    m_Bitmap = platform::video::Image(platform::video::PixelFormat::A8R8G8B8, width, height);
}
void cGdiBitmap::CreateSecond(int width, int height) {
    m_Bitmap2 = platform::video::Image(platform::video::PixelFormat::A8R8G8B8, width, height);
}
void cGdiBitmap::Release() {
    m_Bitmap = platform::video::Image();
}
void cGdiBitmap::ReleaseSecond() {
    m_Bitmap2 = platform::video::Image();
}
