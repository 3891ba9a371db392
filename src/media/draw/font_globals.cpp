// The game's fonts and digit strips (font.h).
#include "media/draw/font.h"

#include "platform/text/glyphs.h"

Font g_Fonts[kFontTableSize];
DDSURFACEDATA g_DigitSurfaces[kTextSurfaceTableSize];
