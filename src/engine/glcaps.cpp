#include "engine/glcaps.h"

#include "console/console.h"

GLCaps gGLCaps;

ExtensionSet ParseExtensionString(const char* extensions)
{
    ExtensionSet set;
    if (!extensions)
        return set;
    std::string name;
    for (const char* p = extensions;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!name.empty())
                set.insert(name);
            name.clear();
            if (*p == '\0')
                break;
        } else {
            name += *p;
        }
    }
    return set;
}

static void PrintFound(const char* name)
{
    gConsole->Print(" ^5- ^15%s\n", name);
}

static void ChooseLightingPath(const ExtensionSet& gl, GLCaps& caps, bool& lightingTwoPass)
{
    if (gl.count("GL_NV_register_combiners")) {
        PrintFound("GL_NV_register_combiners");
        caps.registerCombinersAvailable = true;
        if (caps.vertexProgramAvailable && caps.maxTextureUnits >= 4) {
            gConsole->Print(" ^5- ^15Defaulting to one pass lighting.\n");
            caps.combinerOnePass = true;
            caps.combinerTwoPass = false;
            caps.perPixelLighting = true;
            lightingTwoPass = false;
        } else if (caps.vertexProgramAvailable) {
            gConsole->Print(" ^5- ^15Defaulting to two pass lighting.\n");
            caps.combinerTwoPass = true;
            caps.combinerOnePass = false;
            caps.perPixelLighting = true;
            lightingTwoPass = true;
        } else {
            caps.perPixelLighting = false;
            caps.combinerOnePass = false;
            caps.combinerTwoPass = false;
            caps.registerCombinersAvailable = false;
            caps.atiPath = false;
            gConsole->Print(" ^5- ^15Defaulting to vertex lighting path.\n");
        }
    } else if (gl.count("GL_ATI_fragment_shader")) {
        PrintFound("GL_ATI_fragment_shader");
        caps.combinerOnePass = false;
        caps.combinerTwoPass = false;
        caps.registerCombinersAvailable = false;
        caps.atiPath = true;
        caps.perPixelLighting = true;
        gConsole->Print(" ^5- ^15Defaulting to ATI lighting path.\n");
    } else {
        caps.perPixelLighting = false;
        caps.registerCombinersAvailable = false;
        gConsole->Print(" ^5- ^15Defaulting to vertex lighting path.\n");
    }
}

bool DetectCapabilities(const ExtensionSet& gl, const ExtensionSet& glx, const DriverLimits& limits,
                        GLCaps& caps, bool& lightingTwoPass, std::string& missing)
{
    // A new context is detected from scratch; only the two settings stay.
    GLCaps detected;
    detected.useAnisotropic = caps.useAnisotropic;
    detected.useTextureCompression = caps.useTextureCompression;
    caps = detected;

    for (const char* required : {"GL_ARB_multitexture", "GL_ARB_texture_cube_map"}) {
        if (!gl.count(required)) {
            missing = required;
            return false;
        }
        PrintFound(required);
        if (std::string(required) == "GL_ARB_multitexture") {
            caps.maxTextureUnits = limits.maxTextureUnits;
            gConsole->Print(" ^5- ^13Max Texture Units: %i\n", caps.maxTextureUnits);
        }
    }

    if (gl.count("GL_ARB_texture_compression")) {
        PrintFound("GL_ARB_texture_compression");
        caps.textureCompressionAvailable = true;
    }
    caps.atiPath = false;

    if (gl.count("GL_ARB_vertex_program")) {
        PrintFound("GL_ARB_vertex_program");
        caps.vertexProgramAvailable = true;
    } else {
        gConsole->Print("^1Error: Unable to initialize extension %s\n", "GL_ARB_vertex_program");
        caps.vertexProgramAvailable = false;
        caps.perPixelLighting = false;
    }

    if (gl.count("GL_EXT_texture_filter_anisotropic")) {
        caps.maxAnisotropy = limits.maxAnisotropy;
        caps.anisotropicAvailable = true;
        PrintFound("GL_EXT_texture_filter_anisotropic");
        gConsole->Print(" ^5- ^13Max anisotropic value: %.1f\n", double(caps.maxAnisotropy));
    }

    // The window-system half of multisampling is GLX's on this platform.
    caps.multisampleAvailable = gl.count("GL_ARB_multisample") && glx.count("GLX_ARB_multisample");
    if (caps.multisampleAvailable)
        PrintFound("GL_ARB_multisample");

    ChooseLightingPath(gl, caps, lightingTwoPass);

    if (gl.count("GL_ARB_vertex_buffer_object")) {
        PrintFound("GL_ARB_vertex_buffer_object");
        caps.vertexBufferObjectAvailable = true;
    } else {
        gConsole->Print("^1Error: Unable to initialize extension %s\n", "GL_ARB_vertex_buffer_object");
        caps.vertexBufferObjectAvailable = false;
    }

    if (gl.count("GL_NV_fragment_program")) {
        caps.nvFragmentProgram = true;
        caps.arbFragmentProgramAvailable = true;
        PrintFound("GL_NV_fragment_program");
    } else {
        caps.nvFragmentProgram = false;
        caps.arbFragmentProgramAvailable = gl.count("GL_ARB_fragment_program") != 0;
        if (caps.arbFragmentProgramAvailable)
            PrintFound("GL_ARB_fragment_program");
    }
    // Both name the same switch; found silently, as the start-up lines are fixed.
    caps.depthClampAvailable = gl.count("GL_ARB_depth_clamp") || gl.count("GL_NV_depth_clamp");
    return true;
}
