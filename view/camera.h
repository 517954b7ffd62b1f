// Per-view cameras: eye, target and up from pan, altitude and angles, the projection and view
// matrices, zoom, orbit and pan drags, the orthographic directions with their memories, and
// the mapping of a cursor position to a model point. Display-free: the GL side loads what this
// computes.
#pragma once

#include <array>
#include <cstdint>

#include "model/document.h"

namespace zarni {

constexpr float kCameraPi = 3.14159265358979f;

// Orthographic directions, the values of `ViewCamera::viewIndex`.
enum OrthoDirection : int32_t {
    kViewFront = 0,
    kViewBack = 1,
    kViewLeft = 2,
    kViewRight = 3,
    kViewTop = 4,
    kViewBottom = 5,
};
constexpr int kOrthoDirectionCount = 6;

// Display modes, the values of `ViewCamera::displayMode`.
enum DisplayModeValue : uint8_t {
    kDisplayWireframe = 0,
    kDisplayCurrentShaded = 1,
    kDisplayShaded = 2,
};

// Projection constants.
constexpr double kPerspectiveNear = 0.1;
constexpr double kPerspectiveFar = 100.0;
constexpr double kOrthoNear = 0.001;
constexpr double kOrthoFar = 56.0;
constexpr float kOrthoEyeDistance = 6.0f;
constexpr float kZoomInFactor = 0.93f;
constexpr float kZoomOutFactor = 1.1f;
// The altitude the four-view layout gives its three orthographic views.
constexpr float kFourViewOrthoAltitude = 9.0f;

// A cursor position in client pixels of a view, y downwards.
struct CursorPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Column-major 4 x 4 matrix, as OpenGL stores it.
using Matrix4 = std::array<double, 16>;

// Everything a view knows about its camera and picture, without window handles: the window
// side keeps one per view and passes it to the camera and drawing calls.
struct ViewCamera {
    int32_t width = 0;  // view size in pixels
    int32_t height = 0;
    float panX = 0.0f;  // pan of the target in the camera's right and up directions
    float panY = 0.0f;
    float panZ = 0.0f;           // always 0
    float altitude = 9.0f;       // perspective: eye distance; orthographic: 4 x half the short side
    float pitch = 0.0f;          // radians, about model X
    float yaw = 0.0f;            // radians, about model Y
    Vec3 eye{0.0f, 0.0f, 9.0f};  // derived by UpdateCamera
    Vec3 target;
    Vec3 up{0.0f, 1.0f, 0.0f};
    int32_t perspective = 1;         // 1 perspective, 0 orthographic
    int32_t viewIndex = kViewFront;  // orthographic direction; also the picture slot shown
    uint8_t displayMode = kDisplayWireframe;
    Vec3 cursor3D;  // model point under the cursor, kept by the mouse code
    // Saved after each resize, zoom step and drag end; the input of CursorToModel.
    Matrix4 modelview{};
    Matrix4 projection{};
    std::array<int32_t, 4> viewport{};
};

// The process-wide camera settings: the field of view of every perspective view and, per
// orthographic direction, the pan and altitude last used there.
struct CameraMemories {
    float fovy = 30.0f;  // degrees
    std::array<Vec3, kOrthoDirectionCount> orthoPan{};
    std::array<float, kOrthoDirectionCount> orthoAltitude{{9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f}};
};

// Start-up memories: pans at the origin, altitudes at `defaultAltitude`.
CameraMemories ResetCameraMemories(float fovy, float defaultAltitude);
// The memories a document's "view" chunk carries, after it was read.
CameraMemories CameraMemoriesFromDocument(const Document& doc);
// Stores the memories in the document, before it is written.
void StoreCameraMemories(const CameraMemories& memories, Document& doc);

// The camera of a freshly initialised view: pan 0, `defaultAltitude`, angles 0, perspective,
// wireframe; eye, target and up computed.
void InitViewCamera(ViewCamera& view, float defaultAltitude);

// Recomputes `eye`, `target` and `up` from pan, altitude, pitch and yaw.
void UpdateCamera(ViewCamera& view);

// Rotates v about X by `pitch`, then about Y by `yaw` (right-handed).
Vec3 RotatePitchYaw(Vec3 v, float pitch, float yaw);

// The projection matrix of the view (perspective with `fovy` degrees, or the orthographic
// box), as gluPerspective / glOrtho build it. A zero width or height counts as 1 pixel.
Matrix4 ProjectionMatrix(const ViewCamera& view, float fovy);
// The modelview matrix of the view as drawing leaves it: the look-at, and for an orthographic
// view also the scale, pan translation and the two rotations.
Matrix4 ViewMatrix(const ViewCamera& view);
// The orthographic look-at alone, from (0, 0, 6) towards the origin, +Y up.
Matrix4 OrthoLookAtMatrix();
// Fills `modelview`, `projection` and `viewport` from the maths above (the same values the GL
// side reads back after drawing).
void ComputeSavedMatrices(ViewCamera& view, float fovy);

// One zoom step: `direction` >= 0 zooms in (x 0.93), < 0 zooms out (x 1.1); an orthographic
// view records its altitude in the memories. The caller redraws and saves the matrices.
void Zoom(ViewCamera& view, CameraMemories& memories, int direction);
// The zoom characters: '+' and ';' zoom in, '-' and '=' zoom out. Returns whether `ch` was one.
bool ZoomByCharacter(ViewCamera& view, CameraMemories& memories, int ch);
// The wheel: a positive delta (turned away from the user) zooms out one step, a negative one
// zooms in one step, 0 does nothing. Returns whether a step was made.
bool ZoomByWheel(ViewCamera& view, CameraMemories& memories, int wheelDelta);

// Turns the camera by pi per full view height (pitch) and width (yaw) of cursor movement.
// A view of zero size does not turn.
void OrbitDrag(ViewCamera& view, CursorPoint now, CursorPoint previous);
// Pans the camera at the rate of the perspective frustum at the target distance; an
// orthographic view remembers its pan for its direction.
void PanDrag(ViewCamera& view, CameraMemories& memories, CursorPoint now, CursorPoint previous);

// The pitch and yaw of an orthographic direction.
float OrthoPitch(int32_t viewIndex);
float OrthoYaw(int32_t viewIndex);

// Shows the view in its orthographic direction after the caller set pitch, yaw and viewIndex:
// the remembered pan of the direction comes back. Returns true when the view was perspective
// and became orthographic: the caller then reloads the projection (a resize) and redraws.
bool SelectOrthoView(ViewCamera& view, const CameraMemories& memories);
// The direction keys: sets pitch, yaw and viewIndex of `direction`, then SelectOrthoView.
bool SelectOrthoDirection(ViewCamera& view, const CameraMemories& memories, int32_t direction);
// The orthographic camera a four-view quadrant starts with: the direction's angles and pan,
// altitude 9, orthographic.
void SetFourViewOrthoCamera(ViewCamera& view, const CameraMemories& memories, int32_t direction);
// Switches an orthographic view to perspective keeping angles, pan and altitude. Returns true
// when it changed; the caller then reloads the projection and redraws.
bool EnterPerspective(ViewCamera& view);

// The point (x, y, z) whose window coordinates are `win` under the matrices, as gluUnProject.
// Returns false when the combined matrix is singular.
bool UnProject(const double win[3], const Matrix4& modelview, const Matrix4& projection,
               const std::array<int32_t, 4>& viewport, double out[3]);

// The model point under the cursor on the plane through `dragOrigin`. Perspective: `depth` is
// the depth buffer value at the cursor pixel (the GL side reads it), the plane faces the eye;
// a line of sight parallel to the plane gives `dragOrigin` for the coordinates that have no
// finite solution. Orthographic: `depth` is not used; the coordinate along the viewing axis is
// that of `dragOrigin`. Uses the saved matrices of the view.
Vec3 CursorToModel(const ViewCamera& view, CursorPoint cursor, float depth, Vec3 dragOrigin);

}  // namespace zarni
