// Switches of the scene renderer and the managers that draw for it, bound to
// r_ console variables.
#pragma once

struct RenderSettings {
    bool drawBones = false;
    bool drawColliders = false;
    bool drawBoxes = false;
    bool drawNormals = false;
    bool drawLightBoxes = false;
    bool drawParticleBoxes = false;
    bool drawRooms = false;
    bool drawShadowVolumes = false;
    bool drawTags = false;
    bool drawTris = false;
    bool lensFlares = true;
    bool lighting = true;
    bool lightingTwoPass = false;
    bool lightClip = true;
    bool specular = true;
    bool shadows = false;
    bool useVertexBufferObject = true;
    bool vertexLighting = false;
    int numTempLights = 4;  // read when the light manager starts
};

extern RenderSettings gRenderSettings;
