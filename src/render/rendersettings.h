// Switches of the scene renderer, bound to r_ console variables.
#pragma once

struct RenderSettings {
    bool drawBones = false;
    bool drawColliders = false;
    bool drawBoxes = false;
    bool drawNormals = false;
    bool drawLightBoxes = false;
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
};

extern RenderSettings gRenderSettings;
