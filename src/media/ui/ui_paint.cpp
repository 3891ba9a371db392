// Painting the windows of the in-window UI.
#include "media/ui/ui_paint.h"

#include <algorithm>
#include <string>

#include "core/strings.h"

namespace ui {
using platform::Window;
using platform::video::Image;

namespace {

constexpr uint32_t kFace = 0xFFD4D0C8;
constexpr uint32_t kLight = 0xFFFFFFFF;
constexpr uint32_t kShadow = 0xFF808080;
constexpr uint32_t kDark = 0xFF404040;
constexpr uint32_t kCaption = 0xFF0A246A;
constexpr uint32_t kCaptionText = 0xFFFFFFFF;
constexpr uint32_t kText = 0xFF000000;
constexpr uint32_t kGreyText = 0xFF808080;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kSelect = 0xFF0A246A;
constexpr uint32_t kMark = 0xFF3A6EA5;
constexpr uint32_t kComposition = 0xFFFFF0C0;
constexpr int kDefaultLineHeight = 12;

int LineHeightOf(const TextPainter* text) {
    return text ? text->LineHeight() : kDefaultLineHeight;
}

void Frame(Image& img, const Rect& r, uint32_t topLeft, uint32_t bottomRight) {
    img.Fill(r.x, r.y, r.width, 1, topLeft);
    img.Fill(r.x, r.y, 1, r.height, topLeft);
    img.Fill(r.x, r.y + r.height - 1, r.width, 1, bottomRight);
    img.Fill(r.x + r.width - 1, r.y, 1, r.height, bottomRight);
}

Rect Inset(const Rect& r, int d) {
    return {r.x + d, r.y + d, r.width - 2 * d, r.height - 2 * d};
}

Rect Intersect(const Rect& a, const Rect& b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width),
              y1 = std::min(a.y + a.height, b.y + b.height);
    return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void Text(Image& img, const TextPainter* text, int x, int y, const std::string& sjis,
          uint32_t colour, const Rect& clip) {
    if (text && !sjis.empty()) text->Draw(img, x, y, sjis, colour, clip);
}

int TextWidth(const TextPainter* text, const std::string& sjis) {
    return text ? text->Width(sjis) : 0;
}

// Labels of buttons and statics may hold line breaks.
std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> out(1);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') continue;
        if (s[i] == '\n') {
            out.emplace_back();
            continue;
        }
        const bool pair = IsSjisPair(s.c_str() + i);
        out.back() += s[i];
        if (pair) out.back() += s[++i];
    }
    return out;
}

void PaintButton(Image& img, const Window& c, const Rect& r, const TextPainter* text,
                 bool focused) {
    img.Fill(r.x, r.y, r.width, r.height, kFace);
    Rect outer = r;
    if (c.kind == Kind::DefPushButton) {
        Frame(img, r, kText, kText);
        outer = Inset(r, 1);
    }
    Frame(img, outer, kLight, kDark);
    Frame(img, Inset(outer, 1), kFace, kShadow);
    const int lh = LineHeightOf(text);
    Text(img, text, r.x + (r.width - TextWidth(text, c.text)) / 2, r.y + (r.height - lh) / 2,
         c.text, c.enabled ? kText : kGreyText, Inset(r, 2));
    if (focused) Frame(img, Inset(r, 4), kShadow, kShadow);
}

void PaintMark(Image& img, const Window& c, const Rect& r, const TextPainter* text, bool focused) {
    const int lh = LineHeightOf(text);
    const int box = 12;
    const int by = r.y + (r.height - box) / 2;
    img.Fill(r.x, by, box, box, kWhite);
    Frame(img, {r.x, by, box, box}, kShadow, kLight);
    Frame(img, {r.x + 1, by + 1, box - 2, box - 2}, kDark, kFace);
    if (c.check) {
        if (c.kind == Kind::RadioButton)
            img.Fill(r.x + 4, by + 4, 4, 4, kText);
        else
            img.Fill(r.x + 3, by + 3, 6, 6, kText);
    }
    const Rect label{r.x + box + 4, r.y, r.width - box - 4, r.height};
    Text(img, text, label.x, r.y + (r.height - lh) / 2, c.text, c.enabled ? kText : kGreyText,
         label);
    if (focused) {
        const int w = std::min(label.width, TextWidth(text, c.text) + 2);
        Frame(img, {label.x - 1, r.y + (r.height - lh) / 2 - 1, w, lh + 2}, kShadow, kShadow);
    }
}

void PaintEdit(Image& img, const Window& c, const Rect& r, const TextPainter* text, bool focused) {
    img.Fill(r.x, r.y, r.width, r.height, kWhite);
    Frame(img, r, kShadow, kLight);
    Frame(img, Inset(r, 1), kDark, kFace);
    const Rect inner = Inset(r, 3);
    const int lh = LineHeightOf(text);
    const int n = static_cast<int>(c.text.size());
    const int caret = std::clamp(c.selEnd, 0, n);
    const int s = std::clamp(std::min(c.selStart, c.selEnd), 0, n);
    const int t = std::clamp(std::max(c.selStart, c.selEnd), 0, n);
    int y = c.multiLine ? inner.y : r.y + (r.height - lh) / 2;
    int start = 0;
    for (;;) {
        int stop = start;
        while (stop < n && c.text[stop] != '\r' && c.text[stop] != '\n') ++stop;
        const std::string line = c.text.substr(start, stop - start);
        auto widthTo = [&](int at) {
            return TextWidth(text, line.substr(0, std::clamp(at - start, 0, stop - start)));
        };
        // The selection band, then the text with the composition at the caret.
        if (t > s && t > start && s < stop) {
            const int x0 = inner.x + widthTo(s), x1 = inner.x + widthTo(t);
            const Rect band = Intersect({x0, y, std::max(1, x1 - x0), lh}, inner);
            img.Fill(band.x, band.y, band.width, band.height, kSelect);
        }
        if (focused && caret >= start && caret <= stop) {
            const std::string before = line.substr(0, caret - start),
                              after = line.substr(caret - start);
            int x = inner.x;
            Text(img, text, x, y, before, kText, inner);
            x += TextWidth(text, before);
            if (!c.composition.empty()) {
                const int cw = std::max(4, TextWidth(text, c.composition));
                const Rect band = Intersect({x, y, cw, lh}, inner);
                img.Fill(band.x, band.y, band.width, band.height, kComposition);
                Text(img, text, x, y, c.composition, kText, inner);
                img.Fill(band.x, y + lh - 1, band.width, 1, kText);
                x += cw;
            } else {
                const Rect bar = Intersect({x, y, 1, lh}, inner);
                img.Fill(bar.x, bar.y, bar.width, bar.height, kText);
            }
            Text(img, text, x, y, after, kText, inner);
        } else {
            Text(img, text, inner.x, y, line, kText, inner);
        }
        if (stop >= n) break;
        start = stop + (c.text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
        y += lh;
    }
}

void PaintList(Image& img, const Window& c, const Rect& r, const TextPainter* text, bool focused) {
    img.Fill(r.x, r.y, r.width, r.height, kWhite);
    Frame(img, r, kShadow, kLight);
    Frame(img, Inset(r, 1), kDark, kFace);
    const Rect inner = Inset(r, 2);
    const int rh = ListRowHeight();
    const int rows = ListRows(&c);
    for (int i = 0; i < rows; ++i) {
        const int index = c.topIndex + i;
        if (index < 0 || index >= static_cast<int>(c.items.size())) break;
        const int y = inner.y + i * rh;
        const bool marked = index < static_cast<int>(c.marked.size()) && c.marked[index];
        uint32_t fg = kText;
        if (index == c.curSel && (!c.multiSelect || marked || !focused)) {
            img.Fill(inner.x, y, inner.width, rh, kSelect);
            fg = kWhite;
        } else if (marked) {
            img.Fill(inner.x, y, inner.width, rh, kMark);
            fg = kWhite;
        }
        Text(img, text, inner.x + 2, y + 1, c.items[index], fg, inner);
        if (focused && index == c.curSel)
            Frame(img, {inner.x, y, inner.width, rh}, kShadow, kShadow);
    }
}

void PaintControl(Image& img, const Window& dialog, const Window& c, const TextPainter* text) {
    if (!c.visible) return;
    const Rect r{dialog.ClientX() + c.x, dialog.ClientY() + c.y, c.width, c.height};
    const bool focused = dialog.focus == &c;
    const int lh = LineHeightOf(text);
    switch (c.kind) {
        case Kind::PushButton:
        case Kind::DefPushButton:
            PaintButton(img, c, r, text, focused);
            break;
        case Kind::RadioButton:
        case Kind::CheckBox:
            PaintMark(img, c, r, text, focused);
            break;
        case Kind::Edit:
            PaintEdit(img, c, r, text, focused);
            break;
        case Kind::ListBox:
            PaintList(img, c, r, text, focused);
            break;
        case Kind::Static: {
            int y = r.y;
            for (const std::string& line : Lines(c.text)) {
                Text(img, text, r.x, y, line, c.enabled ? kText : kGreyText, r);
                y += lh;
            }
            break;
        }
        case Kind::GroupBox: {
            const Rect box{r.x, r.y + lh / 2, r.width, r.height - lh / 2};
            Frame(img, box, kShadow, kLight);
            Frame(img, Inset(box, 1), kLight, kShadow);
            if (!c.text.empty()) {
                const int w = TextWidth(text, c.text);
                img.Fill(r.x + 6, r.y, w + 4, lh, kFace);
                Text(img, text, r.x + 8, r.y, c.text, kText, r);
            }
            break;
        }
        case Kind::Icon: {
            // The program's emblem: a framed diamond.
            const int size = std::min(r.width, r.height);
            const int half = size / 2;
            for (int dy = 0; dy < size; ++dy) {
                const int d = dy < half ? dy : size - 1 - dy;
                img.Fill(r.x + half - d, r.y + dy, 2 * d + 1, 1, kCaption);
            }
            break;
        }
        case Kind::ScrollBar: {
            img.Fill(r.x, r.y, r.width, r.height, 0xFFE0E0E0);
            const int span = c.scrollMax - c.scrollMin + 1;
            if (span <= 0) break;
            const int length = c.vertical ? r.height : r.width;
            const int thumb = std::max(8, c.scrollPage > 0 ? length * c.scrollPage / span : 8);
            const int free = std::max(1, span - std::max(c.scrollPage, 1));
            const int at = (length - thumb) * std::clamp(c.scrollPos - c.scrollMin, 0, free) / free;
            const Rect t = c.vertical ? Rect{r.x, r.y + at, r.width, thumb}
                                      : Rect{r.x + at, r.y, thumb, r.height};
            img.Fill(t.x, t.y, t.width, t.height, kFace);
            Frame(img, t, kLight, kDark);
            break;
        }
        case Kind::StatusBar: {
            // A sunken panel over the strip, its text on one line.
            img.Fill(r.x, r.y, r.width, r.height, kFace);
            const Rect panel = Inset(r, 2);
            Frame(img, panel, kShadow, kLight);
            Text(img, text, panel.x + 3, panel.y + (panel.height - lh) / 2, c.text, kText,
                 Inset(panel, 1));
            break;
        }
        case Kind::Toolbar:
            // The band the tool rows stand in, raised, with a groove under each row.
            img.Fill(r.x, r.y, r.width, r.height, kFace);
            Frame(img, r, kLight, kShadow);
            for (int y = r.y + kToolbarRowHeight - 1; y < r.y + r.height - 1;
                 y += kToolbarRowHeight) {
                img.Fill(r.x + 1, y, r.width - 2, 1, kShadow);
                img.Fill(r.x + 1, y + 1, r.width - 2, 1, kLight);
            }
            break;
        case Kind::Main:
        case Kind::Dialog:
            break;
    }
}

}  // namespace

Rect CloseBoxRect(const Window* w) {
    return {w->x + w->width - kDialogFrame - 18, w->y + kDialogFrame + 2, 16, kCaptionHeight - 4};
}

int ListRowHeight() {
    const Host& host = CurrentHost();
    return LineHeightOf(host.text.get()) + 2;
}

int ListRows(const Window* list) {
    return std::max(1, (list->height - 4) / ListRowHeight());
}

int ListRowAt(const Window* list, int y) {
    if (y < 2) return -1;
    return list->topIndex + (y - 2) / ListRowHeight();
}

void KeepListSelectionShown(Window* list) {
    const int rows = ListRows(list);
    if (list->curSel < list->topIndex) list->topIndex = std::max(0, list->curSel);
    if (list->curSel >= list->topIndex + rows) list->topIndex = list->curSel - rows + 1;
}

void PaintWindows(Image& img, const std::vector<const Window*>& windows, const TextPainter* text) {
    for (const Window* w : windows) {
        const Rect r{w->x, w->y, w->width, w->height};
        img.Fill(r.x, r.y, r.width, r.height, kFace);
        Frame(img, r, kFace, kDark);
        Frame(img, Inset(r, 1), kLight, kShadow);
        if (w->caption) {
            const Rect bar{r.x + kDialogFrame, r.y + kDialogFrame, r.width - 2 * kDialogFrame,
                           kCaptionHeight - 1};
            img.Fill(bar.x, bar.y, bar.width, bar.height, kCaption);
            Text(img, text, bar.x + 4, bar.y + (bar.height - LineHeightOf(text)) / 2, w->text,
                 kCaptionText, {bar.x, bar.y, bar.width - 20, bar.height});
            const Rect close = CloseBoxRect(w);
            img.Fill(close.x, close.y, close.width, close.height, kFace);
            Frame(img, close, kLight, kDark);
            // The cross of the close box.
            for (int i = 3; i < close.width - 3; ++i) {
                const int y0 = close.y + 2 + (i - 3) * (close.height - 5) / (close.width - 7);
                img.Fill(close.x + i, y0, 1, 1, kText);
                img.Fill(close.x + close.width - 1 - i, y0, 1, 1, kText);
            }
        }
        for (const auto& c : w->children) PaintControl(img, *w, *c, text);
    }
}

}  // namespace ui
