#include "render/rendersettings.h"

// Here rather than with the engine's variables that bind it, so that the
// renderer does not reach up for its own settings.
RenderSettings gRenderSettings;
