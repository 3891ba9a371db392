// Text images over the stage.
#include "play/text_images.h"

#include <cstdlib>
#include <string>

#include "core/bounds.h"
#include "core/strings.h"
#include "media/draw/dd_blit.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/font.h"
#include "media/draw/plain_parts.h"
#include "objects/chara.h"
#include "objects/chara_draw.h"
#include "objects/play_context.h"
#include "platform/msg/msg.h"
#include "platform/win_types.h"

TextImageWorld& TextImages() {
    static TextImageWorld world;
    return world;
}

namespace {

// The surfaces of kind-1 pictures and their file entries, kept at the same positions.
std::list<DDSURFACEDATA> g_textSurfaces;
std::list<DDSURFACEFILE> g_textSurfaceFiles;

// The number as a reference formats it: the magnitude in width digits, leading zeros
// turned into blanks unless zero fill is asked for (the last digit always stays), then
// the sign.
std::string FormatReference(int64_t value, int width, bool zeroFill, bool plus) {
    const int64_t magnitude = value < 0 ? -value : value;
    std::string digits = std::to_string(magnitude);
    if (width < static_cast<int>(digits.size())) width = static_cast<int>(digits.size());
    std::string out(static_cast<size_t>(width) - digits.size(), zeroFill ? '0' : ' ');
    out += digits;
    if (value < 0) return "-" + out;
    if (plus) return "+" + out;
    return out;
}

// Reads the reference at text[at] ('#'); its length and the replacement, or 0 when it
// stays as it is.
size_t ReadReference(const std::string& text, size_t at, const std::vector<uint32_t>* runVars,
                     const std::vector<int32_t>* stageVars, std::string& replacement) {
    bool run = false, stage = false, options = false, zeroFill = false, plus = false;
    int width = 0;
    int64_t index = 0;
    bool digits = false;
    size_t i = at + 1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (!options) {
            if (c == 'C' || c == 'c') {
                run = true;
            } else if (c == 'S' || c == 's') {
                stage = true;
            } else if (c >= '0' && c <= '9') {
                // Past any index a table holds: the reference is left alone anyway.
                if (index < 100000) index = index * 10 + (c - '0');
                digits = true;
            } else if (c == '_') {
                options = true;
            } else {
                break;
            }
        } else if (c == 'Z' || c == 'z') {
            zeroFill = true;
        } else if (c == 'P' || c == 'p') {
            plus = true;
        } else if (c >= '0' && c <= '9') {
            width = c - '0';
        } else {
            break;
        }
    }
    if (i < text.size() && text[i] == '.') ++i;
    if (!digits || (!run && !stage) || index < 1 || index > 1000) return 0;
    int64_t value = 0;
    if (run) {
        if (!runVars) return 0;
        value = static_cast<int32_t>(V(*runVars, static_cast<int>(index)));
    } else {
        if (!stageVars) return 0;
        value = V(*stageVars, static_cast<int>(index));
    }
    replacement = FormatReference(value, width, zeroFill, plus);
    return i - at;
}

}  // namespace

void LayoutTextImage(std::string& text, const std::vector<uint32_t>* runVars,
                     const std::vector<int32_t>* stageVars) {
    for (size_t i = 0; i < text.size();) {
        if (IsSjisPair(text.c_str() + i)) {
            i += 2;
            continue;
        }
        if (text[i] != '#') {
            ++i;
            continue;
        }
        std::string replacement;
        const size_t length = ReadReference(text, i, runVars, stageVars, replacement);
        if (length == 0) {
            ++i;
            continue;
        }
        text.replace(i, length, replacement);
        i += replacement.size();
    }
}

void MeasureTextImage(Font* font, const std::string& text, int32_t& width, int32_t& height) {
    int w = 0, h = 0;
    if (font) font->MeasureText(text.c_str(), w, h);
    width = w + 2;
    height = h + 2;
}

// ---- cTextImage -------------------------------------------------------------------------

void cTextImage::MakeTextImage(const TextImageArgs& a) {
    m_nKind = a.kind;
    m_strText = m_strSource = a.text ? a.text : "";
    m_nGraphicKind = a.graphicKind;
    m_nGraphicNumber = a.graphicNumber;
    m_nGraphicExtra = a.graphicExtra;
    m_nAnchor = a.anchor;
    m_nBlockX = a.blockX;
    m_nBlockY = a.blockY;
    m_nOffsetX = a.offsetX;
    m_nOffsetY = a.offsetY;
    m_bClamp = a.clamp;
    m_bFixed = a.fixed;
    m_nDurationMode = a.durationMode;
    m_nFramesLeft = a.frames;
    m_bCountWhilePaused = a.countWhilePaused;
    m_nTargetId = a.targetId;
    m_bSubstitute = a.substitute;
    m_bRefresh = a.refresh;
    m_nRefreshInterval = a.refreshInterval;
    m_bBox = a.box;
    m_bHasId = a.hasId;
    m_nMessageId = a.messageId;
    m_bLatched = 0;
    const TextImageWorld& world = TextImages();
    if (m_bSubstitute) LayoutTextImage(m_strText, world.runVars, world.stageVars);
    if (m_nKind == kTextImageText) {
        MeasureTextImage(world.font, m_strText, m_nWidth, m_nHeight);
    } else {
        m_nWidth = m_nHeight = 16;
    }
    m_bPopIn = m_nDurationMode == 0 && a.noPopIn == 0 ? 1 : 0;
    m_dPopIn = 0.0;
    if (m_nKind != kTextImageText) {
        ReleaseSurface();
        return;
    }
    if (!a.reuseSurface || !m_lpSurface) {
        ReleaseSurface();
        CreateTextSurface();
    }
    RenderTextImage(m_lpSurface);
}

void cTextImage::CreateTextSurface() {
    // Headless play has no display: the image lives and counts without a picture.
    if (!DDDevice().bInit) return;
    int ddMemory = 0;
    if (!lpDTCon) {
        uint64_t total = 0, free = 0;
        DDGetVideoMemory(total, free);
        if (total != 0 && free * 100 / total < 20) ddMemory = 1;
    }
    if (!DDAddSurfaceEx(g_textSurfaces, g_textSurfaceFiles, m_nWidth, m_nHeight, 1, ddMemory,
                        DTMEMORYTYPE_VIDEO_RT, 0)) {
        DDRemoveSurface(g_textSurfaces, g_textSurfaceFiles, &g_textSurfaces.back());
        platform::msg::PostMainWindow(WM_CLOSE);
        return;
    }
    m_lpSurface = &g_textSurfaces.back();
}

void cTextImage::ReleaseSurface() {
    if (!m_lpSurface) return;
    DDRemoveSurface(g_textSurfaces, g_textSurfaceFiles, m_lpSurface);
    m_lpSurface = nullptr;
}

void cTextImage::RenderTextImage(DDSURFACEDATA* surface) {
    Font* font = TextImages().font;
    if (!surface || !font) return;
    if (m_bBox) {
        font->DrawTextBoxDefault(surface, 1, 1, 0, 0, m_strText.c_str(), 0);
    } else {
        DDFillSurface(surface, 0);
        font->DrawText(surface, 1, 1, m_strText.c_str());
    }
}

bool cTextImage::Place(int32_t& x, int32_t& y) {
    const TextImageWorld& w = TextImages();
    const int32_t scrollX = Play().State().scrollX.ViewStart();
    const int32_t scrollY = Play().State().scrollY.ViewStart();
    switch (m_nAnchor) {
        case 0:
            x = 320 - (m_nWidth >> 1);
            y = 240 - (m_nHeight >> 1);
            return true;
        case 7:
            x = m_nBlockX * 32;
            y = m_nBlockY * 32;
            return true;
        case 8:
            x = (w.originX + m_nBlockX) * 32 - scrollX;
            y = (w.originY + m_nBlockY) * 32 - scrollY;
            return true;
        default:
            break;
    }
    const uint32_t id = m_nTargetId;
    cChara* c = Play().FindChara([id](cChara& ch) { return ch.m_nId == id; });
    if (!c || m_nAnchor < 1 || m_nAnchor > 6) return false;
    const int32_t cx = static_cast<int32_t>(c->m_dX) - scrollX;
    const int32_t cy = static_cast<int32_t>(c->m_dY) - scrollY;
    const int32_t rw = c->m_nGraphicWidth, rh = c->m_nGraphicHeight;
    x = cx - (m_nWidth >> 1) + (rw >> 1) - c->m_nGraphicOffsetX;
    switch ((m_nAnchor - 1) % 3) {
        case 0:  // above
            y = cy - c->m_nGraphicOffsetY - m_nHeight;
            break;
        case 1:  // below
            y = cy - c->m_nGraphicOffsetY + rh + 1;
            break;
        default:  // centred
            y = cy - (m_nHeight >> 1) + (rh >> 1) - c->m_nGraphicOffsetY;
            break;
    }
    return true;
}

int cTextImage::DrawTextImage(DDSURFACEDATA* dest, int paused) {
    const TextImageWorld& world = TextImages();
    if (m_nDurationMode == 2 && (!paused || m_bCountWhilePaused) && --m_nFramesLeft < 0) {
        ReleaseSurface();
        return 1;
    }
    if (m_bRefresh && m_nRefreshInterval > 0 &&
        world.frameCounter % static_cast<uint32_t>(m_nRefreshInterval) == 0 &&
        m_nKind == kTextImageText && m_bSubstitute) {
        std::string text = m_strSource;
        LayoutTextImage(text, world.runVars, world.stageVars);
        if (text != m_strText) {
            m_strText = text;
            int32_t w = 0, h = 0;
            MeasureTextImage(world.font, m_strText, w, h);
            if (w != m_nWidth || h != m_nHeight || !m_lpSurface) {
                m_nWidth = w;
                m_nHeight = h;
                ReleaseSurface();
                CreateTextSurface();
            }
            RenderTextImage(m_lpSurface);
        }
    }
    int32_t x = 0, y = 0;
    if (!Place(x, y)) {
        // Without its character an image has no place: it ends, whatever its kind.
        ReleaseSurface();
        return 1;
    }
    x += m_nOffsetX;
    y += m_nOffsetY;
    const int32_t scrollX = Play().State().scrollX.ViewStart();
    const int32_t scrollY = Play().State().scrollY.ViewStart();
    if (m_nAnchor == 0 || m_nAnchor == 7) {
        if (!m_bFixed) {
            if (!m_bLatched) {
                m_bLatched = 1;
                m_nLatchedX = x + scrollX;
                m_nLatchedY = y + scrollY;
            }
            x = m_nLatchedX - scrollX;
            y = m_nLatchedY - scrollY;
        }
    } else if (m_bFixed) {
        if (!m_bLatched) {
            m_bLatched = 1;
            m_nLatchedX = x;
            m_nLatchedY = y;
        }
        x = m_nLatchedX;
        y = m_nLatchedY;
    }
    if (m_bClamp) {
        // The top 20 dots belong to the status bar.
        if (x < 0)
            x = 0;
        else if (x + m_nWidth >= 639)
            x = 640 - m_nWidth;
        if (y < 20)
            y = 20;
        else if (y + m_nHeight >= 479)
            y = 480 - m_nHeight;
    }
    x_ = x;
    y_ = y;
    const int32_t rise = (30 - m_nFramesLeft) >> 2;
    switch (m_nKind) {
        case kTextImageText: {
            if (m_lpSurface && m_lpSurface->bRecreated) {
                RenderTextImage(m_lpSurface);
                m_lpSurface->bRecreated = 0;
            }
            if (m_strText.empty()) break;
            if (m_bPopIn) {
                m_dPopIn += 1.0;
                if (m_dPopIn < 10.0) {
                    const double scale = m_dPopIn * 0.1;
                    if (m_bBox && dest && world.font) {
                        const int32_t hw = m_nWidth >> 1, hh = m_nHeight >> 1;
                        world.font->DrawFrameBox(dest, static_cast<int>(x + hw - hw * scale),
                                                 static_cast<int>(y + hh - hh * scale),
                                                 static_cast<int>(m_nWidth * scale),
                                                 static_cast<int>(m_nHeight * scale));
                    }
                    break;
                }
            }
            if (dest && m_lpSurface)
                DDBltFast(dest, x, y, m_nWidth, m_nHeight, m_lpSurface, 0, 0, 1);
            break;
        }
        case kTextImageMini:
            DrawMiniGraphic(dest, x, y - rise, static_cast<uint32_t>(m_nGraphicKind),
                            m_nGraphicNumber, m_nGraphicExtra);
            break;
        case kTextImageLife:
            DrawCellOrPlain(dest, x, y - rise, 16, 16, world.lifeIcon, 0, 48,
                            PlainShape::FilledSquare, PlainColoursOf(world.font));
            break;
        default:
            break;
    }
    return 0;
}

void DrawTextImages(std::list<cTextImage>& images, DDSURFACEDATA* dest, int paused) {
    for (auto it = images.begin(); it != images.end();) {
        if (it->DrawTextImage(dest, paused))
            it = images.erase(it);
        else
            ++it;
    }
}

namespace {

// A small picture over the character for 30 frames: the item-get and extra-life notices.
TextImageArgs RisingNotice(int32_t kind, uint32_t characterId) {
    TextImageArgs a;
    a.kind = kind;
    a.anchor = 4;  // above the character
    a.durationMode = kShowForTime;
    a.frames = 30;
    a.targetId = characterId;
    return a;
}

}  // namespace

void AddItemGetImage(std::list<cTextImage>& images, uint32_t graphicKind, uint32_t number,
                     uint32_t extra, uint32_t characterId) {
    TextImageArgs a = RisingNotice(kTextImageMini, characterId);
    a.graphicKind = static_cast<int32_t>(graphicKind);
    a.graphicNumber = static_cast<int32_t>(number);
    a.graphicExtra = static_cast<int32_t>(extra);
    images.emplace_back(a);
}

void AddExtraLifeImage(std::list<cTextImage>& images, uint32_t characterId) {
    TextImageArgs a = RisingNotice(kTextImageLife, characterId);
    // The notice's wait draws the stage paused: counted only while play runs, the icon
    // would stand still through it and stay over the result screen to the next stage.
    a.countWhilePaused = 1;
    images.emplace_back(a);
}
