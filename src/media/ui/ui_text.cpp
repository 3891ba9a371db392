// Text of the in-window UI.
#include "media/ui/ui_text.h"

#include "core/strings.h"
#include "platform/text/glyphs.h"

namespace {

// Walks the characters of a Shift-JIS text as code points.
template <class Fn>
void ForEachChar(std::string_view sjis, Fn&& fn) {
    for (size_t i = 0; i < sjis.size();) {
        const auto lead = static_cast<uint8_t>(sjis[i]);
        uint8_t trail = 0;
        size_t len = 1;
        if (IsSjisLead(lead) && i + 1 < sjis.size() &&
            IsSjisTrail(static_cast<uint8_t>(sjis[i + 1]))) {
            trail = static_cast<uint8_t>(sjis[i + 1]);
            len = 2;
        }
        fn(platform::text::SjisToCodePoint(lead, trail));
        i += len;
    }
}

}  // namespace

cGlyphTextPainter::cGlyphTextPainter(std::unique_ptr<platform::text::GlyphSource> source)
    : source_(std::move(source)) {}
cGlyphTextPainter::~cGlyphTextPainter() = default;

int cGlyphTextPainter::LineHeight() const {
    return source_->CellHeight();
}

int cGlyphTextPainter::Width(std::string_view sjis) const {
    int width = 0;
    ForEachChar(sjis, [&](char32_t code) {
        if (code) width += source_->Get(code).advance;
    });
    return width;
}

void cGlyphTextPainter::Draw(platform::video::Image& target, int x, int y, std::string_view sjis,
                             uint32_t argb, const ui::Rect& clip) const {
    int penX = x;
    ForEachChar(sjis, [&](char32_t code) {
        if (!code) return;
        const platform::text::Glyph& g = source_->Get(code);
        for (int gy = 0; gy < g.height; ++gy) {
            const int py = y + g.top + gy;
            for (int gx = 0; gx < g.width; ++gx) {
                const int px = penX + g.left + gx;
                // Whole pixels only: the dialogs' text is drawn as the system draws
                // dialog text, without blending into the face colour.
                if (g.coverage[static_cast<size_t>(gy) * g.width + gx] < 128 ||
                    !clip.Contains(px, py))
                    continue;
                target.Set(px, py, argb);
            }
        }
        penX += g.advance;
    });
}

std::shared_ptr<ui::TextPainter> OpenDialogTextPainter() {
    platform::text::FaceRequest request;
    request.faceSjis = "ＭＳ Ｐゴシック";
    request.height = 12;
    request.mode = platform::text::GlyphMode::Mono;
    std::unique_ptr<platform::text::GlyphSource> source = platform::text::OpenFace(request);
    if (!source) return nullptr;
    return std::make_shared<cGlyphTextPainter>(std::move(source));
}
