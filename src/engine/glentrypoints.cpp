#include "engine/glentrypoints.h"

#include "platform/platform.h"

#define DEFINE_ENTRY_POINT(type, name) type p##name = nullptr;
GL_ENTRY_POINTS(DEFINE_ENTRY_POINT)
#undef DEFINE_ENTRY_POINT

void LoadGLEntryPoints()
{
#define LOAD_ENTRY_POINT(type, name) p##name = reinterpret_cast<type>(Platform_GetGLProcAddress(#name));
    GL_ENTRY_POINTS(LOAD_ENTRY_POINT)
#undef LOAD_ENTRY_POINT
}
