#include "console/console.h"
#include "render/image.h"
#include "render/texture.h"
#include "vfs/vfs.h"

#include <GL/gl.h>
#include <cstdio>

static bool gScreenshotRequested = false;

void RequestScreenshot()
{
    gScreenshotRequested = true;
}

void SaveRequestedScreenshot(int width, int height)
{
    if (gScreenshotRequested) {
        gScreenshotRequested = false;
        TakeScreenshot(width, height);
    }
}

void TakeScreenshot(int width, int height)
{
    vfs_mkdir("screenshots");
    char name[64];
    int index = 0;
    for (; index < 10000; ++index) {
        snprintf(name, sizeof(name), "screenshots/ss%05i.tga", index);
        if (!vfs_file_exists(name))
            break;
    }
    if (index == 10000)
        return;

    // The finished frame before it is swapped, rows packed tightly whatever
    // the width.
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());

    const std::vector<uint8_t> file = EncodeTGA(width, height, rgb.data());
    const int handle = vfs_fopen(name, "wb");
    const bool written = handle && vfs_fwrite(handle, file.data(), file.size()) == int(file.size());
    if (handle)
        vfs_fclose(handle);
    if (!written) {
        gConsole->Print("^1Error: Could not write screenshot ^13%s\n", name);
        return;
    }
    gConsole->Print("Saved screenshot %s\n", name);
}
