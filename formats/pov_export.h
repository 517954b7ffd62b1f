// POV-Ray export: a complete ".pov" scene or an ".inc" include of the document's objects, in
// the MegaPov 0.7 language the exporter always wrote or in that of POV-Ray 3.7.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/document.h"

namespace zarni {

// What the scene file takes from the perspective view 0 and the scene drawing: the view's
// pixel size and camera, the field of view, the clear colour and the three lights.
struct SceneView {
    int32_t width = 0;  // pixels
    int32_t height = 0;
    Vec3 eye;
    Vec3 target;
    Vec3 up{0.0f, 1.0f, 0.0f};
    float fovy = 30.0f;  // degrees
    std::array<float, 4> backColor{{0.0f, 0.0f, 0.0f, 1.0f}};
    // An orthographic view (the 3.7 scene only): the model lengths the picture spans, its
    // eye placed where the view's near plane is.
    bool orthographic = false;
    float orthoWidth = 0.0f;
    float orthoHeight = 0.0f;
    // The lights of the scene drawing; the homogeneous w that GL gets is not exported.
    std::array<Vec3, 3> lightPositions{{{10.0f, -40.0f, 20.0f},  //
                                        {-30.0f, 50.0f, 10.0f},
                                        {50.0f, -90.0f, -90.0f}}};
    std::array<std::array<float, 3>, 3> lightColors{{{{1.0f, 1.0f, 1.0f}},  //
                                                     {{0.7f, 0.7f, 0.7f}},
                                                     {{0.5f, 0.5f, 0.5f}}}};
};

// A freshly opened perspective view 0 (no pan, no pitch or yaw): the eye on the +z axis at
// `altitude` looking at the origin with y up. Used where no live view exists (the CLI).
SceneView DefaultSceneView(int32_t width, int32_t height, float altitude, float fovy,
                           std::array<float, 4> backColor);

// The exact bytes of the scene and include files. The document must satisfy its index
// invariants (ObjectIndicesValid); stale or missing patch caches are tolerated.
std::string SceneText(const Document& doc, const SceneView& view);
std::string IncludeText(const Document& doc);

// Write those bytes to `path`, replacing an old file only once everything was written.
// 0 written; -1 the file could not be created or written (the reason in `why`).
int ExportScene(const Document& doc, const SceneView& view, const std::string& path,
                std::string* why = nullptr);
int ExportInclude(const Document& doc, const std::string& path, std::string* why = nullptr);

// The same scene and include in the language of POV-Ray 3.7: a "#version 3.7;" scene with an
// assumed gamma of 1, the perspective view's own camera (vertical field of view, the picture's
// aspect ratio, the view's roll), the same lights, colours and patches, a semicolon after every
// declaration, and an object of one patch or none not given as a union. An object with
// symmetry settings is declared once ("ObjectNNN", its number from 1) and placed once for every
// copy the views draw, each copy's placement written as a matrix. Names are written as UTF-8.
// Give the picture size to the renderer (+W +H).
std::string Scene37Text(const Document& doc, const SceneView& view);
std::string Include37Text(const Document& doc);
int ExportScene37(const Document& doc, const SceneView& view, const std::string& path,
                  std::string* why = nullptr);
int ExportInclude37(const Document& doc, const std::string& path, std::string* why = nullptr);

}  // namespace zarni
