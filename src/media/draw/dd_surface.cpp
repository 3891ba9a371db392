// Creating, loading, restoring and releasing surfaces, and the transparent colour.
#include "media/draw/dd_surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/log.h"
#include "core/msgbox.h"
#include "media/draw/dd_device.h"
#include "media/draw/dd_fill.h"
#include "media/draw/dd_pixels.h"
#include "platform/diag.h"
#include "platform/fs/fs.h"
#include "platform/msg/msg.h"

namespace vid = platform::video;

namespace {

void CopyName(char (&dst)[260], const char* src) {
    std::snprintf(dst, sizeof(dst), "%s", src ? src : "");
}

bool IsEmptyName(const char* file) {
    return !file || file[0] == '\0';
}

// Textures that must be powers of two or square get the larger size they need.
void RoundTextureSize(int width, int height, int& allocWidth, int& allocHeight) {
    allocWidth = width;
    allocHeight = height;
    if (lpDTCon->bPow2Only) {
        auto up = [](int v) {
            int p = 1;
            while (p < v) p <<= 1;
            return p;
        };
        allocWidth = up(width);
        allocHeight = up(height);
    }
    if (lpDTCon->bSquareOnly) allocWidth = allocHeight = std::max(allocWidth, allocHeight);
}

void CheckTextureSize(int allocWidth, int allocHeight, const char* what) {
    const vid::Caps& caps = lpDTCon->Caps;
    bool over = false;
    if (allocWidth > caps.maxTextureWidth) {
        ReportTracePrintf("このビデオカードでは横幅%dを超える画像はサポートされていません！",
                          caps.maxTextureWidth);
        over = true;
    }
    if (allocHeight > caps.maxTextureHeight) {
        ReportTracePrintf("このビデオカードでは縦幅%dを超える画像はサポートされていません！",
                          caps.maxTextureHeight);
        over = true;
    }
    if (over)
        ReportTracePrintf("上記の理由でテクスチャの描画が失敗する可能性があります。(%s)", what);
}

// Nothing can be drawn without the texture: the game's own end in order.
void TextureCreationFatal() {
    if (lpDTCon->bFailText) ErrorBox(lpDTCon->strFailText.c_str());
    platform::msg::PostMainWindow(WM_CLOSE, 0, 0);
}

vid::Device* D3DDevice() {
    return DDDevice().lpDevice.get();
}

// Level 0 of a new texture, and the system-memory copy of a render target.
bool FinishTexture(DDSURFACEDATA* sd, bool makeSystemCopy, const char* file) {
    DTSURFACE& dt = *sd->lpDT;
    if (vid::Call(vid::FailPoint::GetSurfaceLevel) != vid::kOk) {
        ReportTracePrintf("GetSurfaceLevel Err hr = %x", vid::kFail);
        return false;
    }
    dt.lpSurface = dt.lpTexture.get();
    dt.Desc = {dt.lpTexture->image.Format(), dt.lpTexture->GetPool(), dt.lpTexture->image.Width(),
               dt.lpTexture->image.Height()};
    // The system-memory copy gets its pixels, zeroed as a new surface's are, at its first
    // lock (DDSurfaceLock), so render targets whose pixels are never worked on (most
    // pictures, most of the time) keep no second image.
    if (makeSystemCopy) {
        const vid::HResult hr =
            D3DDevice()->CreateSurface(dt.Desc.Format, 1, 1, vid::Pool::System, false,
                                       dt.lpSystemSurface, vid::FailPoint::CreateOffscreenPlain);
        dt.bSystemCopyPending = 1;
        if (hr != vid::kOk) {
            if (file)
                ReportTracePrintf("CreateOffscreenPlainSurface Err hr = %x %s", hr, file);
            else
                ReportTracePrintf("CreateOffscreenPlainSurface Err hr = %x", hr);
            TextureCreationFatal();
            return false;
        }
    }
    sd->nAllocWidth = dt.Desc.Width;
    sd->nAllocHeight = dt.Desc.Height;
    return true;
}

bool D3DListed(const DDSURFACEDATA* sd) {
    const auto& list = DDSurfaceList();
    return std::find(list.begin(), list.end(), sd) != list.end();
}

// The picture as a texture image: the colour key turned to transparent black, the rest
// converted to the texture format; the part beyond the picture stays transparent black.
vid::Image PictureToTexture(const vid::Picture& pic, int allocWidth, int allocHeight, bool keyed,
                            uint32_t keyArgb) {
    const vid::PixelFormat format = lpDTCon->TextureFormat;
    vid::Image image(format, allocWidth, allocHeight);
    for (int y = 0; y < pic.height && y < allocHeight; ++y) {
        for (int x = 0; x < pic.width && x < allocWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * pic.width + x;
            const uint32_t argb = static_cast<uint32_t>(pic.alpha[i]) << 24 | pic.rgb[i];
            image.Set(x, y, keyed && argb == keyArgb ? 0u : vid::FromArgb(argb, format));
        }
    }
    return image;
}

uint8_t NearestPaletteIndex(uint32_t rgb) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& e = g_DisplayPalette[i];
        const long dr = static_cast<long>((rgb >> 16) & 0xFF) - e.peRed;
        const long dg = static_cast<long>((rgb >> 8) & 0xFF) - e.peGreen;
        const long db = static_cast<long>(rgb & 0xFF) - e.peBlue;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

// A cell turned over in its own place: column (x div cell + 1) x cell - (x mod cell) - 1.
int MirrorInCell(int v, int cell) {
    return cell > 0 ? (v / cell + 1) * cell - (v % cell) - 1 : v;
}

// Visits every picture pixel with its place in the surface, each cell turned over in its own
// place. Where a place falls outside the surface, the 8-bit and 16-bit loops of the game
// stop the row (and the picture) while the others only skip the pixel: kept, since a cut
// last cell draws differently in each.
template <class Fn>
void ForEachMirroredPixel(const vid::Picture& pic, int width, int height, int cellWidth,
                          int cellHeight, bool stopAtEdge, Fn&& fn) {
    for (int y = 0; y < pic.height; ++y) {
        const int ty = MirrorInCell(y, cellHeight);
        if (ty >= height) {
            if (stopAtEdge) break;
            continue;
        }
        for (int x = 0; x < pic.width; ++x) {
            const int tx = MirrorInCell(x, cellWidth);
            if (tx >= width) {
                if (stopAtEdge) break;
                continue;
            }
            fn(x, y, tx, ty);
        }
    }
}

uint32_t ScaleToField(uint32_t c, int shift, int mask) {
    return (c * static_cast<uint32_t>(mask) / 255u) << shift;
}

// Draws a decoded picture into a DirectDraw surface (the work of CopyBitmap).
bool CopyPicture(DDSURFACEDATA* sd, const char* file, const vid::Picture& pic, int bitsPerPixel,
                 int indexMap, int mirrorCellWidth, int mirrorCellHeight) {
    vid::Surface* s = DDDeviceSurface(sd);
    if (!s) return false;
    vid::Image& img = s->image;
    const DDDEVICE& dd = DDDevice();
    const int width = img.Width(), height = img.Height();
    if (bitsPerPixel == 8) {
        if (width != pic.width || height != pic.height) {
            TracePrintf("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", file, width, height,
                        pic.width, pic.height);
            return false;
        }
        if (s->IsLost()) return false;
        ForEachMirroredPixel(
            pic, width, height, mirrorCellWidth, mirrorCellHeight, true,
            [&](int x, int y, int tx, int ty) {
                img.Set(tx, ty,
                        pic.bitCount <= 8 ? pic.Index(x, y) : NearestPaletteIndex(pic.Rgb(x, y)));
            });
    } else if (bitsPerPixel == 16 && pic.bitCount >= 24) {
        // The game's own pixel loop: the transparent colour becomes the colour key
        // exactly, and no other colour may turn into it.
        if (!s->IsLost()) {
            const DDPIXELFORMATDESC& f = dd.ScreenFormat;
            const uint32_t key = dd.dwColorKey;
            const RGBTRIPLE triple = dd.lpTransTriple ? *dd.lpTransTriple : RGBTRIPLE();
            ForEachMirroredPixel(
                pic, width, height, mirrorCellWidth, mirrorCellHeight, true,
                [&](int x, int y, int tx, int ty) {
                    const uint32_t rgb = pic.Rgb(x, y);
                    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
                    uint32_t v;
                    if (b == triple.rgbtBlue && g == triple.rgbtGreen && r == triple.rgbtRed) {
                        v = key;
                    } else {
                        v = ScaleToField(r, f.nShiftR, f.nMaskR) |
                            ScaleToField(g, f.nShiftG, f.nMaskG) |
                            ScaleToField(b, f.nShiftB, f.nMaskB);
                        if (v == key)
                            v = ((v >> f.nShiftB) & static_cast<uint32_t>(f.nMaskB)) ==
                                        static_cast<uint32_t>(f.nMaskB)
                                    ? v - 1
                                    : v + 1;
                    }
                    img.Set(tx, ty, v & 0xFFFF);
                });
        }
    } else {
        // The picture converted into the display's format, mirrored per cell.
        if (s->IsLost()) return false;
        ForEachMirroredPixel(pic, width, height, mirrorCellWidth, mirrorCellHeight, false,
                             [&](int x, int y, int tx, int ty) {
                                 img.Set(tx, ty,
                                         vid::FromArgb(0xFF000000u | pic.Rgb(x, y), img.Format()));
                             });
    }
    sd->nWidth = pic.width;
    sd->nHeight = pic.height;
    sd->nMirrorCellWidth = mirrorCellWidth;
    sd->nMirrorCellHeight = mirrorCellHeight;
    CopyName(sd->szFile, file);
    if (indexMap && bitsPerPixel != 8) return DDProcessSurfacePixels(1, sd);
    sd->lpDD->IndexMap.clear();
    return true;
}

}  // namespace

std::list<DDSURFACEDATA*>& DDSurfaceList() {
    static std::list<DDSURFACEDATA*> list;
    return list;
}

vid::Surface* DDDeviceSurface(const DDSURFACEDATA* sd) {
    if (!sd) return nullptr;
    if (lpDTCon) return sd->lpDT ? sd->lpDT->lpSurface : nullptr;
    return sd->lpDD ? sd->lpDD->lpSurface.get() : nullptr;
}

std::vector<uint8_t>* DDIndexMap(DDSURFACEDATA* sd) {
    if (!sd) return nullptr;
    std::vector<uint8_t>* map = nullptr;
    if (lpDTCon && sd->lpDT) map = &sd->lpDT->IndexMap;
    if (!lpDTCon && sd->lpDD) map = &sd->lpDD->IndexMap;
    return map && !map->empty() ? map : nullptr;
}

bool DDLoadPicture(const char* file, bool otherFormats, vid::Picture& out) {
    if (IsEmptyName(file)) return false;
    FILE* f = platform::fs::OpenGameFile(file, "rb");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) return false;
    std::string error;
    if (vid::LooksLikeBmp(bytes)) {
        if (vid::DecodeBmp(bytes, out, error)) return true;
    } else if (otherFormats) {
        if (vid::DecodeOtherPicture(bytes, out, error)) return true;
    } else {
        error = "not a bitmap file";
    }
    platform::DiagOnce(std::string("picture:") + file, platform::DiagLevel::Warn, "video",
                       "cannot read the picture %s: %s", file, error.c_str());
    return false;
}

void DDAllocDeviceRecord(DDSURFACEDATA* sd) {
    if (lpDTCon) {
        if (!sd->lpDT) sd->lpDT = std::make_unique<DTSURFACE>();
    } else if (!sd->lpDD) {
        sd->lpDD = std::make_unique<DDSURFACEPART>();
    }
}

bool DDCreateSurface(DDSURFACEDATA* sd, int width, int height, int transparent, int ddMemory,
                     int d3dMemoryType, int deferred, int restore) {
    if (!sd) return false;
    DDAllocDeviceRecord(sd);
    DDDEVICE& dd = DDDevice();
    if (!lpDTCon) {
        if (!dd.lpDD) return false;
        std::unique_ptr<vid::Surface> s;
        const vid::PixelFormat format = DDSurfaceFormat();
        int memory = ddMemory == 1 ? 1 : 0;
        if (memory == 0) {
            if (dd.lpDD->CreateSurface(format, width, height, vid::Pool::Video, false, s) !=
                vid::kOk) {
                memory = 1;
                if (dd.lpDD->CreateSurface(format, width, height, vid::Pool::System, false, s) !=
                    vid::kOk) {
                    ReportTracePrintf("CreateSurface Video -> System Err");
                    return false;
                }
            }
        } else if (dd.lpDD->CreateSurface(format, width, height, vid::Pool::System, false, s) !=
                   vid::kOk) {
            ReportTracePrintf("CreateSurface System Err");
            return false;
        }
        sd->lpDD->lpSurface = std::move(s);
        sd->lpDD->bColorKey = transparent == 1;
        sd->lpDD->dwColorKey = dd.dwColorKey;
        sd->lpDD->lpSurface->image.FillAll(PalNumToRGB(0));
        sd->nWidth = sd->nAllocWidth = width;
        sd->nHeight = sd->nAllocHeight = height;
        sd->nMemory = memory;
        return true;
    }

    DTSURFACE& dt = *sd->lpDT;
    if (!restore) {
        CopyName(sd->szName, "OffScreen");
        CopyName(sd->szFile, "E");
        dt.nMemoryType = d3dMemoryType;
        dt.bTransparent = transparent;
        dt.bDeferred = deferred;
        if (!deferred) {
            dt.dwTextureNo = lpDTCon->dwNextTextureNo++;
            if (vid::Call(vid::FailPoint::CreateVertexBuffer) != vid::kOk) {
                ReportTracePrintf("CreateVertexBuffer Err");
                return false;
            }
            dt.VertexBuffer.assign(4 * 28, 0);
        }
    }
    sd->nWidth = width;
    sd->nHeight = height;
    sd->nMemory = ddMemory;
    if (deferred) return true;
    if (!D3DDevice()) return false;

    int allocWidth, allocHeight;
    RoundTextureSize(width, height, allocWidth, allocHeight);
    CheckTextureSize(allocWidth, allocHeight, "空");
    int type = d3dMemoryType == DTMEMORYTYPE_VIDEO_NORT ? DTMEMORYTYPE_VIDEO_RT : d3dMemoryType;
    // A restore leaves system-memory textures alone: they survived the loss with their
    // pixels, which nobody draws again.
    if (!(restore && type == DTMEMORYTYPE_SYSTEM)) dt.lpTexture.reset();
    dt.lpSurface = nullptr;
    bool renderTarget = false;
    if (type == DTMEMORYTYPE_VIDEO_RT) {
        const vid::HResult hr = D3DDevice()->CreateSurface(
            lpDTCon->TextureFormat, allocWidth, allocHeight, vid::Pool::Video, true, dt.lpTexture,
            vid::FailPoint::CreateTexture);
        if (hr == vid::kOutOfVideoMemory) {
            ReportTracePrintf("VRAM不足のためシステムメモリにテクスチャを作成します。(空)");
            type = DTMEMORYTYPE_SYSTEM;
        } else if (hr != vid::kOk) {
            return false;
        } else {
            renderTarget = true;
        }
    }
    if (type == DTMEMORYTYPE_SYSTEM && (!restore || !dt.lpTexture)) {
        const vid::HResult hr = D3DDevice()->CreateSurface(
            lpDTCon->TextureFormat, allocWidth, allocHeight, vid::Pool::System, false, dt.lpTexture,
            vid::FailPoint::CreateTexture);
        if (hr != vid::kOk) {
            ReportTracePrintf("D3DXCreateTexture Err hr = %x", hr);
            TextureCreationFatal();
            return false;
        }
    }
    if (!dt.lpTexture) return false;
    dt.bRenderTarget = renderTarget ? 1 : 0;
    if (!FinishTexture(sd, renderTarget && !restore && !dt.lpSystemSurface, nullptr)) return false;
    if (renderTarget)
        dt.lpTexture->image.FillAll(vid::FromArgb(lpDTCon->dwTransmitARGB, lpDTCon->TextureFormat));
    if (!restore && !D3DListed(sd)) DDSurfaceList().push_back(sd);
    return true;
}

int DDCreateSurfaceFromFile(DDSURFACEDATA* sd, const char* file, int transparent, int bitsPerPixel,
                            int ddMemory, int d3dMemoryType, int deferred, int indexMap,
                            int mirrorCellWidth, int mirrorCellHeight, int restore) {
    if (!sd) return 4;
    if (!lpDTCon) {
        vid::Picture pic;
        if (!DDLoadPicture(file, false, pic)) {
            TracePrintf("%s", file ? file : "");
            return 8;
        }
        if (!DDCreateSurface(sd, pic.width, pic.height, transparent, ddMemory, d3dMemoryType,
                             deferred, restore))
            return 4;
        if (!CopyPicture(sd, file, pic, bitsPerPixel, indexMap, mirrorCellWidth, mirrorCellHeight))
            return 8;
        sd->nMirrorCellWidth = mirrorCellWidth;
        sd->nWidth = pic.width;
        sd->nHeight = pic.height;
        return 0;
    }

    DDAllocDeviceRecord(sd);
    DTSURFACE& dt = *sd->lpDT;
    if (!restore) {
        CopyName(sd->szName, "OffScreenFromFile");
        CopyName(sd->szFile, file);
        dt.nMemoryType = d3dMemoryType;
        dt.bTransparent = transparent;
        dt.bDeferred = deferred;
        if (!deferred) {
            dt.dwTextureNo = lpDTCon->dwNextTextureNo++;
            if (vid::Call(vid::FailPoint::CreateVertexBuffer) != vid::kOk) {
                ReportTracePrintf("CreateVertexBuffer Err %x", vid::kFail);
                return 4;
            }
            dt.VertexBuffer.assign(4 * 28, 0);
        }
    }
    vid::Picture pic;
    if (!DDLoadPicture(file, true, pic)) {
        if (!IsEmptyName(file)) ReportTracePrintf("LoadImage Err %s", file);
        return 8;
    }
    sd->nWidth = pic.width;
    sd->nHeight = pic.height;
    sd->nMemory = ddMemory;
    sd->nMirrorCellWidth = mirrorCellWidth;
    sd->nMirrorCellHeight = mirrorCellHeight;
    if (deferred) return 0;
    if (!D3DDevice()) return 4;

    int allocWidth, allocHeight;
    RoundTextureSize(pic.width, pic.height, allocWidth, allocHeight);
    CheckTextureSize(allocWidth, allocHeight, file);
    const RGBTRIPLE& t = lpDTCon->TextureFormat == vid::PixelFormat::A1R5G5B5
                             ? lpDTCon->rgbTransmit16
                             : lpDTCon->rgbTransmit;
    const uint32_t keyArgb =
        0xFF000000u | static_cast<uint32_t>(t.rgbtRed) << 16 | t.rgbtGreen << 8 | t.rgbtBlue;
    int type = d3dMemoryType;
    if (type == DTMEMORYTYPE_VIDEO_NORT) {
        TracePrintf(
            "DDCreateSurfaceFromFile Err "
            "DTMEMORYTYPE_VIDEO_NORTの指定は未対応です。DTMEMORYTYPE_VIDEO_"
            "RTでテクスチャを作成します。");
        type = DTMEMORYTYPE_VIDEO_RT;
    }
    dt.lpTexture.reset();
    dt.lpSurface = nullptr;
    if (type == DTMEMORYTYPE_VIDEO_RT) {
        const vid::HResult hr = D3DDevice()->CreateSurface(
            lpDTCon->TextureFormat, allocWidth, allocHeight, vid::Pool::Managed, false,
            dt.lpTexture, vid::FailPoint::CreateTexture);
        if (hr == vid::kOutOfVideoMemory) {
            ReportTracePrintf("VRAM不足のためシステムメモリにテクスチャを作成します。(%s)", file);
            type = DTMEMORYTYPE_SYSTEM;
        } else if (hr != vid::kOk) {
            ReportTracePrintf("D3DXCreateTextureFromFileEx Err %x %s", hr, file);
            return 4;
        }
    }
    if (type == DTMEMORYTYPE_SYSTEM) {
        const vid::HResult hr = D3DDevice()->CreateSurface(
            lpDTCon->TextureFormat, allocWidth, allocHeight, vid::Pool::System, false, dt.lpTexture,
            vid::FailPoint::CreateTexture);
        if (hr != vid::kOk) {
            ReportTracePrintf("D3DXCreateTextureFromFileEx Err %x %s", hr, file);
            TextureCreationFatal();
            return 4;
        }
    }
    dt.lpTexture->image = PictureToTexture(pic, allocWidth, allocHeight, transparent != 0, keyArgb);
    dt.bRenderTarget = 0;
    if (!FinishTexture(sd, false, file)) return 4;
    sd->nWidth = pic.width;
    sd->nHeight = pic.height;

    if (mirrorCellWidth || mirrorCellHeight) {
        DDSURFACEDATA temp;
        const int r = DDCreateSurfaceFromFile(&temp, file, transparent, bitsPerPixel, ddMemory,
                                              DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0);
        const bool mirrored = r == 0 && CreateMirror(sd, &temp, mirrorCellWidth, mirrorCellHeight);
        DDReleaseSurface(&temp);
        if (!mirrored) {
            ReportTracePrintf("CreateMirror Err");
            return 1;
        }
    }
    if (!restore && !D3DListed(sd)) DDSurfaceList().push_back(sd);
    if (indexMap && g_nBitsPerPixel != 8)
        DDProcessSurfacePixels(1, sd);
    else
        dt.IndexMap.clear();
    return 0;
}

bool DDSurfaceErrorText(int code) {
    switch (code) {
        case 4:
            TracePrintf("CREATESURFACE_ERR");
            return false;
        case 8:
            TracePrintf("LOADIMAGE_ERR");
            return false;
        case 9:
            TracePrintf("SETCOLORKEY_ERR");
            return false;
        default:
            return true;
    }
}

namespace {

// Direct3D keeps a deferred entry's size only: the entry of the same picture that holds a
// texture is drawn in its place, turned over per cell when the entry names mirror cells.
// Without it the mirrored sheets (the characters facing right, the shots' second sheet)
// and the alternate sheets would draw nothing.
void LinkDeferredToItsPicture(DDSURFACEDATA* table, const DDDEVICE& dd, int i) {
    const DDSURFACEFILE& e = dd.lpBitmapTable[i];
    DDSURFACEDATA& sd = table[i];
    sd.lpAlias = nullptr;
    if (e.p4 == 0 || std::strcmp(e.szFileName, "E") == 0 || e.szFileName[0] == '\0') return;
    for (int j = 0; j < dd.nTableSize; ++j) {
        const DDSURFACEFILE& f = dd.lpBitmapTable[j];
        if (j != i && f.p4 == 0 && std::strcmp(f.szFileName, e.szFileName) == 0 &&
            DDDeviceSurface(&table[j])) {
            sd.lpAlias = &table[j];
            return;
        }
    }
}

}  // namespace

bool DDLoadSurfaceTable(DDSURFACEDATA* table, const int* indices, int count) {
    const DDDEVICE& dd = DDDevice();
    if (!table || !dd.lpBitmapTable) return false;
    for (int n = 0; n < count; ++n) {
        const int i = indices[n];
        // An index outside the table names no entry: a fault of the caller's list.
        if (i < 0 || i >= dd.nTableSize) {
            platform::Diag(platform::DiagLevel::Error, "video",
                           "bitmap table index %d out of 0..%d", i, dd.nTableSize - 1);
            return false;
        }
        const DDSURFACEFILE& e = dd.lpBitmapTable[i];
        DDSURFACEDATA* sd = &table[i];
        DDReleaseSurface(sd);
        if (std::strcmp(e.szFileName, "E") != 0) {
            const int r = DDCreateSurfaceFromFile(sd, e.szFileName, e.p1, g_nBitsPerPixel, e.p2,
                                                  e.p3, e.p4, e.p5, e.p7, e.p8, 0);
            if (r != 0 && e.p6 == 0) {
                ErrorBoxF("%s の読み込みに失敗！", e.szFileName);
                return false;
            }
        } else if (!DDCreateSurface(sd, e.p9, e.p10, e.p1, e.p2, e.p3, e.p4, 0) && e.p6 == 0) {
            OutOfMemoryBox();
            return false;
        }
    }
    if (lpDTCon) {
        for (int n = 0; n < count; ++n) LinkDeferredToItsPicture(table, dd, indices[n]);
    }
    return true;
}

void DDSetTransmitRGB(uint8_t red, uint8_t green, uint8_t blue) {
    DDDEVICE& dd = DDDevice();
    if (lpDTCon) {
        lpDTCon->rgbTransmit = {blue, green, red};
        TracePrintf(
            "SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = "
            "%d,lpDTCon->rgbTransmit.rgbtBlue = %d",
            red, green, blue);
        lpDTCon->dwTransmitARGB =
            0xFF000000u | static_cast<uint32_t>(red) << 16 | green << 8 | blue;
        if (g_nBitsPerPixel == 16) {
            const DDPIXELFORMATDESC& f = dd.TextureFormat;
            uint32_t v = ScaleToField(red, f.nShiftR, f.nMaskR) |
                         ScaleToField(green, f.nShiftG, f.nMaskG) |
                         ScaleToField(blue, f.nShiftB, f.nMaskB);
            if (f.nMaskA) v |= (static_cast<uint32_t>(f.nMaskA) & 1u) << f.nShiftA;
            lpDTCon->wTransmit_16 = static_cast<uint16_t>(v);
        } else {
            lpDTCon->wTransmit_16 = 0;
            dd.dwColorKey = 0;
        }
        return;
    }
    if (g_nBitsPerPixel == 16) {
        TracePrintf("※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！");
        const DDPIXELFORMATDESC& f = dd.ScreenFormat;
        dd.dwColorKey = ScaleToField(red, f.nShiftR, f.nMaskR) |
                        ScaleToField(green, f.nShiftG, f.nMaskG) |
                        ScaleToField(blue, f.nShiftB, f.nMaskB);
        // The 16-bit picture loop recognises the transparent colour by this triple; left
        // unset, every black pixel would turn transparent.
        if (dd.lpTransTriple) *dd.lpTransTriple = {blue, green, red};
        auto back = [&](int shift, int mask) {
            return mask ? static_cast<int>(((dd.dwColorKey >> shift) & mask) * 255 / mask) : 0;
        };
        DebugErrorBoxF("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(dd.dwColorKey),
                       red, green, blue, back(f.nShiftR, f.nMaskR), back(f.nShiftG, f.nMaskG),
                       back(f.nShiftB, f.nMaskB));
    } else if (g_nBitsPerPixel >= 24) {
        dd.dwColorKey = static_cast<uint32_t>(red) << 16 | green << 8 | blue;
        if (dd.lpTransTriple) *dd.lpTransTriple = {blue, green, red};
    }
}

bool DDSetTransmit(const char* file) {
    DDDEVICE& dd = DDDevice();
    DDSURFACEDATA temp;
    if (DDCreateSurfaceFromFile(&temp, file, 0, g_nBitsPerPixel, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0,
                                0) != 0) {
        TracePrintf("%s 作成失敗！", file ? file : "");
        DDReleaseSurface(&temp);
        return false;
    }
    vid::Picture pic;
    const bool havePicture = DDLoadPicture(file, lpDTCon != nullptr, pic);
    DDSurfaceLock lock;
    if (!lock.Lock(&temp)) {
        TracePrintf("Lock 失敗！");
        lock.Release();
        DDReleaseSurface(&temp);
        return false;
    }
    const uint32_t pixel = lock.Image()->Get(0, 0);
    lock.Release();
    DDReleaseSurface(&temp);
    dd.dwColorKey = pixel;
    const uint32_t rgb = havePicture ? pic.rgb[0] : 0;
    const uint8_t r = static_cast<uint8_t>(rgb >> 16), g = static_cast<uint8_t>(rgb >> 8),
                  b = static_cast<uint8_t>(rgb);
    if (!lpDTCon) {
        // The 16-bit loop also needs the colour itself (see DDSetTransmitRGB).
        if (dd.lpTransTriple && g_nBitsPerPixel == 32)
            *dd.lpTransTriple = {static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8),
                                 static_cast<uint8_t>(pixel >> 16)};
        else if (dd.lpTransTriple && g_nBitsPerPixel == 16 && havePicture)
            *dd.lpTransTriple = {b, g, r};
        return true;
    }
    if (havePicture && pic.bitCount == 8 && !pic.colourTable.empty()) {
        const vid::ColourEntry& e = pic.colourTable[0];
        lpDTCon->rgbTransmit16 = {e.blue, e.green, e.red};
    }
    DDSetTransmitRGB(r, g, b);
    TracePrintf("SetTrans(filename) lpDTCon->wTransmit_16 = (%x)", lpDTCon->wTransmit_16);
    return true;
}

bool CopyBitmap(DDSURFACEDATA* sd, const char* file, int bitsPerPixel, int indexMap,
                int mirrorCellWidth, int mirrorCellHeight) {
    if (lpDTCon || IsEmptyName(file)) return true;
    vid::Picture pic;
    if (!sd || !DDLoadPicture(file, false, pic)) return false;
    return CopyPicture(sd, file, pic, bitsPerPixel, indexMap, mirrorCellWidth, mirrorCellHeight);
}

bool CreateMirror(DDSURFACEDATA* dst, DDSURFACEDATA* src, int cellWidth, int cellHeight) {
    if (!lpDTCon || cellWidth <= 0 || cellHeight) return true;
    vid::Surface* d = DDDeviceSurface(dst);
    vid::Surface* s = DDDeviceSurface(src);
    if (!d || !s) return false;
    d->image.FillAll(0);
    // Every whole cell turned over in its own place.
    const int cells = src->nWidth / cellWidth;
    for (int i = 0; i < cells; ++i)
        for (int y = 0; y < src->nHeight; ++y)
            for (int x = 0; x < cellWidth; ++x)
                d->image.Set(i * cellWidth + x, y, s->image.Get((i + 1) * cellWidth - 1 - x, y));
    return true;
}

void DDReleaseSurface(DDSURFACEDATA* sd) {
    if (!sd) return;
    if (sd->lpDT) {
        DTSURFACE* dt = sd->lpDT.get();
        // A removed record must never be walked by the restore; an alias is taken out
        // as well, though only its own part is freed.
        auto& list = DDSurfaceList();
        const uint32_t number = dt->dwTextureNo;
        list.remove_if([&](DDSURFACEDATA* e) {
            return e == sd || (number != 0 && e->lpDT && e->lpDT->dwTextureNo == number);
        });
        sd->lpDT.reset();
    }
    sd->lpDD.reset();
    sd->lpAlias = nullptr;
}

bool DDAddSurfaceEx(std::list<DDSURFACEDATA>& list, std::list<DDSURFACEFILE>& fileList, int width,
                    int height, int transparent, int ddMemory, int d3dMemoryType, int deferred) {
    DDSURFACEDATA& sd = list.emplace_back();
    DDSURFACEFILE entry{};
    entry.p1 = transparent;
    entry.p2 = ddMemory;
    entry.p3 = d3dMemoryType;
    entry.p4 = deferred;
    entry.p9 = width;
    entry.p10 = height;
    fileList.push_back(entry);
    return DDCreateSurface(&sd, width, height, transparent, ddMemory, d3dMemoryType, deferred, 0);
}

bool DDAddSurface(std::list<DDSURFACEDATA>& list, std::list<DDSURFACEFILE>& fileList, int width,
                  int height) {
    return DDAddSurfaceEx(list, fileList, width, height, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0);
}

int DDRemoveSurface(std::list<DDSURFACEDATA>& list, std::list<DDSURFACEFILE>& fileList,
                    DDSURFACEDATA* sd) {
    auto file = fileList.begin();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (&*it == sd) {
            DDReleaseSurface(sd);
            list.erase(it);
            if (file != fileList.end()) fileList.erase(file);
            return 1;
        }
        if (file != fileList.end()) ++file;
    }
    return 0;
}

const DDSURFACEDATA* DDDrawnSurface(const DDSURFACEDATA* sd) {
    return lpDTCon && sd && sd->lpAlias ? sd->lpAlias : sd;
}

void DDFollowSurfaceAlias(DDSURFACEDATA*& sd) {
    sd = const_cast<DDSURFACEDATA*>(DDDrawnSurface(sd));
}

int DDCheckBitmapSize(int& tooBig, const char* file, int maxWidth, int maxHeight) {
    if (lpDTCon) return 1;
    vid::Picture pic;
    if (!DDLoadPicture(file, false, pic)) return 0;
    if (pic.width > maxWidth || pic.height > maxHeight) tooBig = 1;
    return 1;
}

void DDGetVideoMemory(uint64_t& total, uint64_t& free) {
    const vid::VideoMemory m = vid::GetVideoMemory();
    total = m.total;
    free = m.free;
}
