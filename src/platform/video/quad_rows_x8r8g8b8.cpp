// The textured quad's row loops for X8R8G8B8 textures.
#include "platform/video/quad_rows.h"

namespace platform::video::quad_rows {

template void DrawRows<PixelFormat::X8R8G8B8>(Image&, const Image&, const TexturedQuad&, int, int,
                                              int, int, const int*);

}  // namespace platform::video::quad_rows
