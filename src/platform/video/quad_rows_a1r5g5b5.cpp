// The textured quad's row loops for A1R5G5B5 textures.
#include "platform/video/quad_rows.h"

namespace platform::video::quad_rows {

template void DrawRows<PixelFormat::A1R5G5B5>(Image&, const Image&, const TexturedQuad&, int, int,
                                              int, int, const int*);

}  // namespace platform::video::quad_rows
