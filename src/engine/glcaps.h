// What the OpenGL driver offers, and the lighting path chosen from it.
#pragma once

#include <set>
#include <string>

struct GLCaps {
    bool combinerTwoPass = false;
    bool combinerOnePass = false;
    bool nvFragmentProgram = false;
    bool atiPath = false;
    bool perPixelLighting = false;
    int maxTextureUnits = 0;
    bool anisotropicAvailable = false;
    float maxAnisotropy = 0.0f;
    bool useAnisotropic = false;          // setting
    bool useTextureCompression = false;   // setting
    bool multisampleAvailable = false;
    bool textureCompressionAvailable = false;
    bool vertexProgramAvailable = false;
    bool registerCombinersAvailable = false;
    bool vertexBufferObjectAvailable = false;
    bool arbFragmentProgramAvailable = false;
    // Shadow volumes reach infinity, past the far plane; they need it.
    bool depthClampAvailable = false;
};

extern GLCaps gGLCaps;

typedef std::set<std::string> ExtensionSet;

// Splits an extension string at blanks.
ExtensionSet ParseExtensionString(const char* extensions);

// Limits the driver reports, read before detection.
struct DriverLimits {
    int maxTextureUnits = 0;
    float maxAnisotropy = 0.0f;
};

// Fills the capability flags from the extension sets, printing a console
// line per extension found, and chooses the lighting path (which may set
// `lightingTwoPass`). Returns false with `missing` naming the first required
// extension that is absent.
bool DetectCapabilities(const ExtensionSet& gl, const ExtensionSet& glx, const DriverLimits& limits,
                        GLCaps& caps, bool& lightingTwoPass, std::string& missing);
