// GUI files: any bytes as a GUI file, loaded into controls, which then get
// the mouse and keys a user could give them, and are flushed.
#include "console/console.h"
#include "fuzz_data_directory.h"
#include "gui/guimanager.h"
#include "input/inputevent.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "vfs/vfs.h"

#include <SDL_keysym.h>

#include <cstdint>
#include <cstdlib>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("gui");
    static const int started = vfs_startup(data.path.c_str());
    (void)started;
    return data;
}

void Send(uint8_t type, uint32_t key, uint32_t character, uint32_t button)
{
    InputEvent event;
    event.type = type;
    event.key = key;
    event.character = character;
    event.mouseButton = button;
    gGUIManager->OnInputEvent(event);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("gui/input.gui", data, size);
    gConsole->Create(1024, 64, 8, 32, 4);
    // Shaders and textures that the file names go with each input.
    gShaderManager->Init();

    gGUIManager->acceptInput = true;
    gGUIManager->Load("gui/input.gui");
    // Every control is under the pointer somewhere on this path.
    for (int step = 0; step < 8; ++step) {
        gGUIManager->UpdateAt(step * 83 - 20, step * 61 - 20);
        Send(MouseDown, 0, 0, uint32_t(step % 3));
        Send(KeyDown, step % 2 ? uint32_t(SDLK_BACKSPACE) : uint32_t('a'), 'a', 0);
        gGUIManager->UpdateAt(step * 40, 480 - step * 60);
        Send(MouseUp, 0, 0, uint32_t(step % 3));
    }
    for (const auto& control : gGUIManager->controls()) {
        control->SetValue(float(size % 9) - 1.0f);
        control->AddItem("item");
        control->RemoveItem("item");
    }
    gGUIManager->Flush();
    gShaderManager->Release();
    gTextureManager->Release();
    return 0;
}
