// The paint routine of one view: objects as curves or shaded surfaces, background pictures,
// guides, control arms and points, with the lights and material; plus the per-context GL set-up,
// the projection and the saved matrices the cursor mapping uses.
#pragma once

#include <array>
#include <cstdint>

#include "gl/frame_slices.h"
#include "gl/surface.h"
#include "model/document.h"
#include "model/settings.h"
#include "view/camera.h"

namespace zarni {

// The curve being drawn with the mouse: its four control points while `active`.
struct CurvePreview {
    bool active = false;
    std::array<Vec3, 4> q{};
};

// What the scene needs of a background-picture slot beyond the document's slot record: the
// texture (0 while none is made) and the picture's pixel size. A slot with a zero width or
// height is skipped; the caller fills only slots that hold a picture.
struct BackPictureInput {
    uint32_t texture = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Everything a view's picture depends on besides its camera. The caller owns all of it.
struct SceneInput {
    SceneInput(const Document& d, const EditSwitches& s, const Settings& st)
        : doc(d), sw(s), settings(st) {}
    const Document& doc;
    const EditSwitches& sw;    // showAllObjects, backPictureVisible, handleMode, layers, divLevel
    const Settings& settings;  // colours, axesSize, controlFlags ("Minimum Drawing")
    bool cameraDragging = false;  // points are left out while the camera is dragged
    CurvePreview preview;
    std::array<BackPictureInput, kBackSlotCount> backPictures{};
    // Evaluated geometry kept between frames; null draws through the evaluators.
    GeometryCache* geometry = nullptr;
    // The level of detail of this picture: full is what the switches' level says; a reduced
    // one draws fewer divisions (its arrays kept in `reducedGeometry`) and fewer patches.
    DetailLevel detail;
    GeometryCache* reducedGeometry = nullptr;
    // Calls outside the view left out, buffer objects (see DrawOptions).
    DrawOptions drawOptions;
    // Set while the picture is drawn in slices: which of its pieces this walk draws.
    FrameSlices* slices = nullptr;
};

// Fixed colours and sizes of the scene.
constexpr std::array<float, 3> kPointColor{{253.0f / 255, 135.0f / 255, 64.0f / 255}};
constexpr std::array<float, 3> kSelectedPointColor{{24.0f / 255, 255.0f / 255, 105.0f / 255}};
constexpr std::array<float, 3> kGuideColor{{73.0f / 255, 73.0f / 255, 44.0f / 255}};
constexpr float kPointSize = 3.0f;
constexpr float kAxisLineWidth = 2.0f;
constexpr int kGridHalfCount = 10;

// Guides of each display mode: bit 1 axes, 2 cube lattice, 4 floor grid.
enum GuideBits : int32_t { kGuideAxes = 1, kGuideCube = 2, kGuideGrid = 4 };
int32_t GuideFlags(uint8_t displayMode);

// The GL state set once right after a context is created and made current: unpack alignment,
// clear colour and depth test, automatic normals and smooth shading, the three lights and the
// material (lighting left off), the vertex evaluators.
void InitContextState(const Settings& settings);

// Viewport from the view's size, its projection (perspective with `fovy`, or orthographic),
// modelview identity. The size message does this, then DrawView, then SaveViewMatrices.
void LoadProjection(const ViewCamera& view, float fovy);
// The whole size message: LoadProjection, DrawView, SaveViewMatrices.
void SizeView(ViewCamera& view, float fovy, const SceneInput& in);
// Reads the present modelview, projection and viewport back into the view.
void SaveViewMatrices(ViewCamera& view);
// Loads the view's modelview transform (identity first); `placeLights` places the lights of an
// orthographic view between its look-at and the rest, as drawing does in the shaded modes.
void ApplyViewTransform(const ViewCamera& view, bool placeLights);

// The paint routine without the buffer swap: clears, draws the objects, pictures, guides and
// points for the view's display mode. The view's context is current and its projection loaded.
void DrawView(const SceneInput& in, const ViewCamera& view);

// The parts of the paint routine, in the present modelview.
void DrawObjects(const SceneInput& in, const ViewCamera& view);
void DrawGuides(const SceneInput& in, uint8_t displayMode);
void DrawControlArms(const SceneInput& in);
void DrawCurvePreview(const SceneInput& in);
void DrawPoints(const SceneInput& in);
void DrawBackPicture(const SceneInput& in, int slot);
void PlaceLights();

// The depth buffer value under the cursor (y downwards, converted with the saved viewport).
float ReadDepthAt(const ViewCamera& view, CursorPoint cursor);
// CursorToModel with the depth read from the present context.
Vec3 CursorToModelInContext(const ViewCamera& view, CursorPoint cursor, Vec3 dragOrigin);

}  // namespace zarni
