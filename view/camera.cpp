// Camera maths of a view: vectors, matrices, zoom, orbit, pan, orthographic directions and
// the cursor-to-model mapping, without any display.
#include "view/camera.h"

#include <algorithm>
#include <cmath>

namespace zarni {

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

Matrix4 Identity() {
    Matrix4 m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

// a x b, both column-major.
Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r{};
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[c * 4 + k];
            r[c * 4 + row] = sum;
        }
    }
    return r;
}

Matrix4 Translation(double x, double y, double z) {
    Matrix4 m = Identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix4 Scaling(double x, double y, double z) {
    Matrix4 m = Identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    return m;
}

// glRotate about a coordinate axis (0 X, 1 Y).
Matrix4 AxisRotation(double degrees, int axis) {
    const double a = degrees / kDegreesPerRadian;
    const double c = std::cos(a), s = std::sin(a);
    Matrix4 m = Identity();
    if (axis == 0) {
        m[5] = c;
        m[6] = s;
        m[9] = -s;
        m[10] = c;
    } else {
        m[0] = c;
        m[2] = -s;
        m[8] = s;
        m[10] = c;
    }
    return m;
}

Matrix4 LookAt(Vec3 eye, Vec3 target, Vec3 up) {
    double f[3] = {double(target.x) - eye.x, double(target.y) - eye.y, double(target.z) - eye.z};
    auto normalize = [](double v[3]) {
        const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (len == 0.0) return;
        for (int i = 0; i < 3; ++i)
            v[i] /= len;
    };
    normalize(f);
    const double u0[3] = {up.x, up.y, up.z};
    double s[3] = {f[1] * u0[2] - f[2] * u0[1], f[2] * u0[0] - f[0] * u0[2],
                   f[0] * u0[1] - f[1] * u0[0]};
    normalize(s);
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                         s[0] * f[1] - s[1] * f[0]};
    Matrix4 m = Identity();
    for (int i = 0; i < 3; ++i) {
        m[i * 4 + 0] = s[i];
        m[i * 4 + 1] = u[i];
        m[i * 4 + 2] = -f[i];
    }
    return Multiply(m, Translation(-eye.x, -eye.y, -eye.z));
}

}  // namespace

CameraMemories ResetCameraMemories(float fovy, float defaultAltitude) {
    CameraMemories m;
    m.fovy = fovy;
    m.orthoPan.fill(Vec3{});
    m.orthoAltitude.fill(defaultAltitude);
    return m;
}

CameraMemories CameraMemoriesFromDocument(const Document& doc) {
    CameraMemories m;
    m.fovy = doc.view.fovy;
    m.orthoPan = doc.view.orthoPan;
    m.orthoAltitude = doc.view.orthoAltitude;
    return m;
}

void StoreCameraMemories(const CameraMemories& memories, Document& doc) {
    doc.view.fovy = memories.fovy;
    doc.view.orthoPan = memories.orthoPan;
    doc.view.orthoAltitude = memories.orthoAltitude;
}

void InitViewCamera(ViewCamera& view, float defaultAltitude) {
    view.panX = view.panY = view.panZ = 0.0f;
    view.altitude = defaultAltitude;
    view.pitch = view.yaw = 0.0f;
    view.displayMode = kDisplayWireframe;
    view.perspective = 1;
    UpdateCamera(view);
}

Vec3 RotatePitchYaw(Vec3 v, float pitch, float yaw) {
    const float cp = std::cos(pitch), sp = std::sin(pitch);
    const Vec3 a{v.x, cp * v.y - sp * v.z, sp * v.y + cp * v.z};
    const float cy = std::cos(yaw), sy = std::sin(yaw);
    return Vec3{cy * a.x + sy * a.z, a.y, -sy * a.x + cy * a.z};
}

void UpdateCamera(ViewCamera& view) {
    const Vec3 f = RotatePitchYaw(Vec3{0.0f, 0.0f, 1.0f}, view.pitch, view.yaw);
    const Vec3 u = RotatePitchYaw(Vec3{0.0f, 1.0f, 0.0f}, view.pitch, view.yaw);
    const Vec3 r = RotatePitchYaw(Vec3{1.0f, 0.0f, 0.0f}, view.pitch, view.yaw);
    view.up = u;
    view.target = Vec3{-(view.panX * r.x + view.panY * u.x), -(view.panX * r.y + view.panY * u.y),
                       -(view.panX * r.z + view.panY * u.z)};
    view.eye = Vec3{view.target.x + view.altitude * f.x, view.target.y + view.altitude * f.y,
                    view.target.z + view.altitude * f.z};
}

Matrix4 ProjectionMatrix(const ViewCamera& view, float fovy) {
    // A zero-size view (the hidden views of the one-view layout) has no aspect ratio; it is
    // treated as one pixel so that its matrix stays finite.
    const double w = std::max(view.width, 1);
    const double h = std::max(view.height, 1);
    Matrix4 m{};
    if (view.perspective) {
        const double half = fovy / 2.0 / kDegreesPerRadian;
        const double cot = std::cos(half) / std::sin(half);
        const double depth = kPerspectiveFar - kPerspectiveNear;
        m[0] = cot / (w / h);
        m[5] = cot;
        m[10] = -(kPerspectiveFar + kPerspectiveNear) / depth;
        m[11] = -1.0;
        m[14] = -2.0 * kPerspectiveNear * kPerspectiveFar / depth;
        return m;
    }
    const double xr = w < h ? 1.0 : w / h;
    const double yr = w < h ? h / w : 1.0;
    m[0] = 1.0 / xr;
    m[5] = 1.0 / yr;
    m[10] = -2.0 / (kOrthoFar - kOrthoNear);
    m[14] = -(kOrthoFar + kOrthoNear) / (kOrthoFar - kOrthoNear);
    m[15] = 1.0;
    return m;
}

Matrix4 OrthoLookAtMatrix() {
    return LookAt(Vec3{0.0f, 0.0f, kOrthoEyeDistance}, Vec3{}, Vec3{0.0f, 1.0f, 0.0f});
}

Matrix4 ViewMatrix(const ViewCamera& view) {
    if (view.perspective) return LookAt(view.eye, view.target, view.up);
    const double s = 4.0 / view.altitude;
    Matrix4 m = Multiply(OrthoLookAtMatrix(), Scaling(s, s, s));
    m = Multiply(m, Translation(view.panX, view.panY, 0.0));
    m = Multiply(m, AxisRotation(-view.pitch * kDegreesPerRadian, 0));
    return Multiply(m, AxisRotation(-view.yaw * kDegreesPerRadian, 1));
}

void ComputeSavedMatrices(ViewCamera& view, float fovy) {
    view.projection = ProjectionMatrix(view, fovy);
    view.modelview = ViewMatrix(view);
    view.viewport = {{0, 0, view.width, view.height}};
}

void Zoom(ViewCamera& view, CameraMemories& memories, int direction) {
    view.altitude *= direction >= 0 ? kZoomInFactor : kZoomOutFactor;
    UpdateCamera(view);
    if (!view.perspective && view.viewIndex >= 0 && view.viewIndex < kOrthoDirectionCount) {
        memories.orthoAltitude[view.viewIndex] = view.altitude;
    }
}

bool ZoomByCharacter(ViewCamera& view, CameraMemories& memories, int ch) {
    if (ch == '+' || ch == ';') {
        Zoom(view, memories, 1);
        return true;
    }
    if (ch == '-' || ch == '=') {
        Zoom(view, memories, -1);
        return true;
    }
    return false;
}

bool ZoomByWheel(ViewCamera& view, CameraMemories& memories, int wheelDelta) {
    if (wheelDelta == 0) return false;
    Zoom(view, memories, wheelDelta > 0 ? -1 : 1);
    return true;
}

void OrbitDrag(ViewCamera& view, CursorPoint now, CursorPoint previous) {
    if (view.width <= 0 || view.height <= 0) return;
    view.pitch -= kCameraPi * static_cast<float>(now.y - previous.y) / view.height;
    view.yaw -= kCameraPi * static_cast<float>(now.x - previous.x) / view.width;
    UpdateCamera(view);
}

void PanDrag(ViewCamera& view, CameraMemories& memories, CursorPoint now, CursorPoint previous) {
    const int half = std::max(view.width, view.height) / 2;
    if (half <= 0) return;
    const float k = std::tan(kCameraPi * memories.fovy / 180.0f / 2.0f) * view.altitude;
    view.panX += static_cast<float>(now.x - previous.x) * k / half;
    view.panY -= static_cast<float>(now.y - previous.y) * k / half;
    UpdateCamera(view);
    if (!view.perspective && view.viewIndex >= 0 && view.viewIndex < kOrthoDirectionCount) {
        memories.orthoPan[view.viewIndex] = Vec3{view.panX, view.panY, view.panZ};
    }
}

float OrthoPitch(int32_t viewIndex) {
    switch (viewIndex) {
        case kViewTop:
            return -kCameraPi / 2;
        case kViewBottom:
            return kCameraPi / 2;
        default:
            return 0.0f;
    }
}

float OrthoYaw(int32_t viewIndex) {
    switch (viewIndex) {
        case kViewBack:
            return kCameraPi;
        case kViewLeft:
            return -kCameraPi / 2;
        case kViewRight:
            return kCameraPi / 2;
        default:
            return 0.0f;
    }
}

bool SelectOrthoView(ViewCamera& view, const CameraMemories& memories) {
    if (view.viewIndex >= 0 && view.viewIndex < kOrthoDirectionCount) {
        const Vec3& pan = memories.orthoPan[view.viewIndex];
        view.panX = pan.x;
        view.panY = pan.y;
        view.panZ = pan.z;
    }
    if (!view.perspective) return false;
    view.perspective = 0;
    UpdateCamera(view);
    return true;
}

bool SelectOrthoDirection(ViewCamera& view, const CameraMemories& memories, int32_t direction) {
    view.pitch = OrthoPitch(direction);
    view.yaw = OrthoYaw(direction);
    view.viewIndex = direction;
    return SelectOrthoView(view, memories);
}

void SetFourViewOrthoCamera(ViewCamera& view, const CameraMemories& memories, int32_t direction) {
    view.viewIndex = direction;
    view.altitude = kFourViewOrthoAltitude;
    view.pitch = OrthoPitch(direction);
    view.yaw = OrthoYaw(direction);
    if (direction >= 0 && direction < kOrthoDirectionCount) {
        const Vec3& pan = memories.orthoPan[direction];
        view.panX = pan.x;
        view.panY = pan.y;
        view.panZ = pan.z;
    }
    view.perspective = 0;
    UpdateCamera(view);
}

bool EnterPerspective(ViewCamera& view) {
    if (view.perspective) return false;
    view.perspective = 1;
    UpdateCamera(view);
    return true;
}

bool UnProject(const double win[3], const Matrix4& modelview, const Matrix4& projection,
               const std::array<int32_t, 4>& viewport, double out[3]) {
    const Matrix4 a = Multiply(projection, modelview);
    // Inverse by cofactors (the adjugate over the determinant).
    Matrix4 inv{};
    const double* m = a.data();
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0 || viewport[2] == 0 || viewport[3] == 0) return false;
    const double in[4] = {(win[0] - viewport[0]) / viewport[2] * 2.0 - 1.0,
                          (win[1] - viewport[1]) / viewport[3] * 2.0 - 1.0, win[2] * 2.0 - 1.0,
                          1.0};
    double r[4];
    for (int row = 0; row < 4; ++row) {
        double sum = 0.0;
        for (int k = 0; k < 4; ++k)
            sum += inv[k * 4 + row] * in[k];
        r[row] = sum / det;
    }
    if (r[3] == 0.0) return false;
    for (int i = 0; i < 3; ++i)
        out[i] = r[i] / r[3];
    return std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2]);
}

Vec3 CursorToModel(const ViewCamera& view, CursorPoint cursor, float depth, Vec3 dragOrigin) {
    if (!view.perspective) {
        const float w = static_cast<float>(view.width);
        const float h = static_cast<float>(view.height);
        const float side = h <= w ? h : w;
        if (side <= 0.0f) return dragOrigin;
        const float u = 2.0f * (cursor.x - w / 2.0f) / side;
        const float v = 2.0f * (h / 2.0f - cursor.y) / side;
        Vec3 p{view.altitude / 4.0f * u - view.panX, view.altitude / 4.0f * v - view.panY, 0.0f};
        p = RotatePitchYaw(p, view.pitch, view.yaw);
        switch (view.viewIndex) {
            case kViewFront:
            case kViewBack:
                p.z = dragOrigin.z;
                break;
            case kViewLeft:
            case kViewRight:
                p.x = dragOrigin.x;
                break;
            case kViewTop:
            case kViewBottom:
                p.y = dragOrigin.y;
                break;
            default:
                break;
        }
        return p;
    }

    const double e[3] = {view.eye.x, view.eye.y, view.eye.z};
    double n[3] = {e[0], e[1], e[2]};
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len != 0.0) {
        for (double& c : n)
            c /= len;
    }
    const double win[3] = {static_cast<double>(cursor.x),
                           static_cast<double>(view.viewport[3]) - cursor.y - 1.0, depth};
    double w[3];
    if (!UnProject(win, view.modelview, view.projection, view.viewport, w)) return dragOrigin;
    const double d[3] = {w[0] - e[0], w[1] - e[1], w[2] - e[2]};
    const double o[3] = {dragOrigin.x, dragOrigin.y, dragOrigin.z};
    const double dd = -(n[0] * o[0] + n[1] * o[1] + n[2] * o[2]);

    // Each coordinate from the line of sight written in terms of that coordinate; a line
    // parallel to the plane has no finite solution and leaves that coordinate at the origin.
    double r[3];
    r[0] = d[0] != 0.0 ? (n[1] * e[0] * d[1] / d[0] + n[2] * e[0] * d[2] / d[0] - n[1] * e[1] -
                          n[2] * e[2] - dd) /
                             (n[0] + n[1] * d[1] / d[0] + n[2] * d[2] / d[0])
                       : e[0];
    r[1] = d[1] != 0.0 ? (n[0] * e[1] * d[0] / d[1] + n[2] * e[1] * d[2] / d[1] - n[0] * e[0] -
                          n[2] * e[2] - dd) /
                             (n[0] * d[0] / d[1] + n[1] + n[2] * d[2] / d[1])
                       : e[1];
    r[2] = d[2] != 0.0 ? (n[0] * e[2] * d[0] / d[2] + n[1] * e[2] * d[1] / d[2] - n[1] * e[1] -
                          n[0] * e[0] - dd) /
                             (n[0] * d[0] / d[2] + n[2] + n[1] * d[1] / d[2])
                       : e[2];
    Vec3 out;
    out.x = std::isfinite(r[0]) ? static_cast<float>(r[0]) : dragOrigin.x;
    out.y = std::isfinite(r[1]) ? static_cast<float>(r[1]) : dragOrigin.y;
    out.z = std::isfinite(r[2]) ? static_cast<float>(r[2]) : dragOrigin.z;
    return out;
}

}  // namespace zarni
