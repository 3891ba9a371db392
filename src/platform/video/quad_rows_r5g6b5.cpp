// The textured quad's row loops for R5G6B5 textures.
#include "platform/video/quad_rows.h"

namespace platform::video::quad_rows {

template void DrawRows<PixelFormat::R5G6B5>(Image&, const Image&, const TexturedQuad&, int, int,
                                            int, int, const int*);

}  // namespace platform::video::quad_rows
