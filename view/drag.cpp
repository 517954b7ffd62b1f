// The views' editing state machine and key commands.
#include "view/drag.h"

#include <algorithm>
#include <cmath>

#include "ops/curves.h"
#include "ops/merge.h"

namespace zarni {

namespace {

Vec3 Add(Vec3 a, Vec3 b) {
    return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 Sub(Vec3 a, Vec3 b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 Scale(Vec3 a, float f) {
    return Vec3{a.x * f, a.y * f, a.z * f};
}

Vec3 PositionOf(const ControlPoint& p) {
    return Vec3{p.x, p.y, p.z};
}

void SetPosition(ControlPoint& p, Vec3 v) {
    p.x = v.x;
    p.y = v.y;
    p.z = v.z;
}

// v turned by `angle` about the unit axis n (right-hand rule).
Vec3 Rotate(Vec3 v, Vec3 n, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float dot = n.x * v.x + n.y * v.y + n.z * v.z;
    const Vec3 cross{n.y * v.z - n.z * v.y, n.z * v.x - n.x * v.z, n.x * v.y - n.y * v.x};
    return Vec3{v.x * c + cross.x * s + n.x * dot * (1 - c),
                v.y * c + cross.y * s + n.y * dot * (1 - c),
                v.z * c + cross.z * s + n.z * dot * (1 - c)};
}

bool IsCurveState(int32_t state) {
    return state == kDragCurveStartHandle || state == kDragCurveEndPoint ||
           state == kDragCurveEndHandle || state == kDragNextEndPoint ||
           state == kDragNextEndHandle;
}

// The orthographic direction of a digit key, -1 for the digits without one, -2 for other keys.
int32_t DirectionOfDigitKey(int32_t key) {
    int32_t digit = -1;
    if (key >= '0' && key <= '9') digit = key - '0';
    if (key >= kKeyNumpad0 && key <= kKeyNumpad0 + 9) digit = key - kKeyNumpad0;
    switch (digit) {
        case 2:
            return kViewFront;
        case 8:
            return kViewBack;
        case 1:
            return kViewLeft;
        case 3:
            return kViewRight;
        case 5:
            return kViewTop;
        case 0:
            return kViewBottom;
        case 4:
        case 6:
        case 7:
            return -1;
        default:
            return -2;
    }
}

}  // namespace

void ViewEditor::Mouse(ViewCamera& view, const ViewMouseEvent& e) {
    if (e.action == MouseAction::Move) {
        MouseMove(view, e.pos, e.keys);
        return;
    }
    const bool down = e.action == MouseAction::Down;
    switch (e.button) {
        case MouseButton::Left:
            down ? LeftDown(view, e.pos, e.keys) : LeftUp(view, e.pos, e.keys);
            break;
        case MouseButton::Right:
            down ? RightDown(view, e.pos, e.keys) : RightUp(view, e.pos, e.keys);
            break;
        case MouseButton::Middle:
            down ? MiddleDown(view, e.pos, e.keys) : MiddleUp(view, e.pos, e.keys);
            break;
    }
}

void ViewEditor::DragRedraw(ViewCamera& view) {
    if (settings_.synchronize) {
        host_.RedrawAllViews();
    } else {
        host_.RedrawView(view);
    }
}

void ViewEditor::MouseMove(ViewCamera& view, CursorPoint pos, ModifierKeys keys) {
    lastKeys_ = keys;
    switch (state_) {
        case kDragIdle:
            view.cursor3D = host_.CursorToModel(view, pos, dragOrigin_);
            break;
        case kDragMovePoints: {
            PatchObject* obj = doc_.Current();
            const int32_t a = doc_.activePoint;
            if (obj == nullptr || a < 0 || a >= obj->pointCount()) break;
            Vec3 d = Sub(host_.CursorToModel(view, pos, dragOrigin_),
                         host_.CursorToModel(view, prevCursor_, dragOrigin_));
            if (sw_.axisLock & kLockX) d.x = 0.0f;
            if (sw_.axisLock & kLockY) d.y = 0.0f;
            if (sw_.axisLock & kLockZ) d.z = 0.0f;
            if (obj->points[a].anchor < 0) {
                MoveSelection(doc_, sw_, d);
            } else {
                ControlPoint& h = obj->points[a];
                SetPosition(h, Add(PositionOf(h), d));
            }
            RebuildControlCaches(doc_);
            DragRedraw(view);
            host_.RedrawPalette();
            break;
        }
        case kDragScaleHandles:
            ScaleHandles(view, pos);
            RebuildControlCaches(doc_);
            DragRedraw(view);
            host_.RedrawPalette();
            break;
        case kDragTurnHandles:
            TurnHandles(view, pos);
            RebuildControlCaches(doc_);
            DragRedraw(view);
            host_.RedrawPalette();
            break;
        case kDragRubberBand:
            band_.to = pos;
            host_.RubberBandChanged(view);
            break;
        case kDragCurveStartHandle:
        case kDragCurveEndPoint:
        case kDragNextEndPoint:
        case kDragCurveEndHandle:
        case kDragNextEndHandle: {
            const Vec3 c = host_.CursorToModel(view, pos, dragOrigin_);
            view.cursor3D = c;
            if (state_ == kDragCurveStartHandle) {
                curve_.q[1] = curve_.q[2] = curve_.q[3] = c;
            } else if (state_ == kDragCurveEndPoint || state_ == kDragNextEndPoint) {
                curve_.q[2] = curve_.q[3] = c;
            } else {
                // The end handle mirrors the cursor through the end point.
                curve_.q[2] = Sub(Scale(curve_.q[3], 2.0f), c);
            }
            DragRedraw(view);
            break;
        }
        case kDragOrbit:
            OrbitDrag(view, pos, prevCursor_);
            host_.RedrawView(view);
            break;
        case kDragPan:
            PanDrag(view, cameras_, pos, prevCursor_);
            host_.RedrawView(view);
            break;
        default:
            break;
    }
    prevCursor_ = pos;
}

void ViewEditor::ScaleHandles(const ViewCamera& view, CursorPoint pos) {
    PatchObject* obj = doc_.Current();
    const int32_t a = doc_.activePoint;
    if (obj == nullptr || a < 0 || a >= obj->pointCount() || view.width <= 0) return;
    const float f = (pos.x - prevCursor_.x) / (view.width / 2.0f) + 1.0f;
    const Vec3 anchor = PositionOf(obj->points[a]);
    for (ControlPoint& h : obj->points) {
        if (h.anchor == a) SetPosition(h, Add(anchor, Scale(Sub(PositionOf(h), anchor), f)));
    }
}

void ViewEditor::TurnHandles(const ViewCamera& view, CursorPoint pos) {
    PatchObject* obj = doc_.Current();
    const int32_t a = doc_.activePoint;
    if (obj == nullptr || a < 0 || a >= obj->pointCount() || view.width <= 0) return;
    const float length =
        std::sqrt(view.eye.x * view.eye.x + view.eye.y * view.eye.y + view.eye.z * view.eye.z);
    if (length == 0.0f) return;  // no viewing direction to turn about
    const Vec3 n = Scale(view.eye, 1.0f / length);
    const float angle = (pos.x - prevCursor_.x) / (view.width / 2.0f);
    const Vec3 anchor = PositionOf(obj->points[a]);
    for (ControlPoint& h : obj->points) {
        if (h.anchor == a)
            SetPosition(h, Add(anchor, Rotate(Sub(PositionOf(h), anchor), n, angle)));
    }
}

void ViewEditor::LeftDown(ViewCamera& view, CursorPoint pos, ModifierKeys keys) {
    lastKeys_ = keys;
    if (view.displayMode != kDisplayWireframe) return;
    if (state_ == kDragCurveEndPoint) {
        state_ = kDragCurveEndHandle;
        return;
    }
    if (state_ == kDragNextEndPoint) {
        state_ = kDragNextEndHandle;
        return;
    }
    if (state_ != kDragIdle || doc_.Current() == nullptr) return;

    buttonState_ = host_.ButtonsDown();
    const PickResult hit = host_.PickPoint(view, pos);
    const PatchObject& obj = *doc_.Current();
    if (hit.index >= 0 && hit.index < obj.pointCount()) {
        SelectPoint(doc_, sw_, hit.index, false, keys, &dragOrigin_);
        // A point of the other kind is refused by the selection but can still be dragged.
        doc_.activePoint = hit.index;
        dragOrigin_ = PositionOf(obj.points[hit.index]);
        host_.RedrawPalette();
        host_.RedrawView(view);
        prevCursor_ = dragStart_ = pos;
        state_ = kDragMovePoints;
        return;
    }
    const uint32_t now = host_.TickCount();
    if (clickPending_ && now - lastClickTime_ <= host_.DoubleClickTime()) {
        // A double click on empty space starts a curve; the click it used up cannot start
        // another one.
        clickPending_ = false;
        dragOrigin_ = Vec3{};
        view.cursor3D = host_.CursorToModel(view, pos, dragOrigin_);
        curve_.q = {view.cursor3D, view.cursor3D, view.cursor3D, view.cursor3D};
        curve_.active = true;
        sw_.handleMode = 0;
        prevCursor_ = pos;
        state_ = kDragCurveStartHandle;
        host_.RedrawPalette();
        DragRedraw(view);
        return;
    }
    prevCursor_ = dragStart_ = pos;
    state_ = kDragRubberBand;
    lastClickTime_ = now;
    clickPending_ = true;
    band_ = RubberBand{true, pos, pos};
    host_.RubberBandChanged(view);
}

void ViewEditor::EndPointDrag() {
    state_ = kDragIdle;
    DocumentChanged(doc_, sw_);
    host_.RedrawAllViews();
    host_.RedrawPalette();
}

void ViewEditor::LeftUp(ViewCamera& view, CursorPoint pos, ModifierKeys keys) {
    // The release ends the pointer's path: a move to it that no motion message reported is
    // folded in first, so where a drag ends depends on the path alone.
    if (state_ == kDragMovePoints && (pos.x != prevCursor_.x || pos.y != prevCursor_.y))
        MouseMove(view, pos, keys);
    lastKeys_ = keys;
    switch (state_) {
        case kDragMovePoints:
            EndPointDrag();
            break;
        case kDragRubberBand: {
            band_.visible = false;
            host_.RubberBandChanged(view);
            state_ = kDragIdle;
            // A quick release is a plain click: the selection stays.
            if (host_.TickCount() - lastClickTime_ <= kQuickClickMs) break;
            const int32_t left = std::min(dragStart_.x, pos.x);
            const int32_t right = std::max(dragStart_.x, pos.x);
            const int32_t top = std::min(dragStart_.y, pos.y);
            const int32_t bottom = std::max(dragStart_.y, pos.y);
            host_.PickRectangle(view, left, top, right - left, bottom - top, keys, dragOrigin_);
            DocumentChanged(doc_, sw_);
            host_.RedrawAllViews();
            host_.RedrawPalette();
            break;
        }
        case kDragCurveStartHandle:
            state_ = kDragCurveEndPoint;
            break;
        case kDragCurveEndHandle:
        case kDragNextEndHandle: {
            const bool continueCurve = state_ == kDragNextEndHandle;
            if (!AppendCurveSegment(doc_, sw_, continueCurve, curve_.q)) {
                // No object to draw into (any more): the drawing ends.
                EndCurve();
                break;
            }
            std::array<Vec3, 4>& q = curve_.q;
            const Vec3 handle = Sub(Scale(q[3], 2.0f), q[2]);  // smooth join
            q[0] = q[3];
            q[1] = q[2] = q[3] = handle;
            state_ = kDragNextEndPoint;
            host_.RedrawAllViews();
            host_.RedrawPalette();
            break;
        }
        default:
            // The handle and camera drags end at their own buttons; a stray release while a
            // curve waits for its next press changes nothing.
            break;
    }
}

void ViewEditor::EndCurve() {
    curve_.active = false;
    state_ = kDragIdle;
    host_.RedrawAllViews();
}

void ViewEditor::Weld(ViewCamera& view, CursorPoint pos) {
    state_ = kDragIdle;
    const int32_t a = doc_.activePoint;
    const PickResult hit = host_.PickPoint(view, pos);
    int32_t target = -1;
    if (hit.hitCount <= 0) {
        target = FindNearestPoint(doc_, a);
    } else if (hit.index != a) {
        target = hit.index;
    } else if (hit.hitCount == 2) {
        // The dragged point and one other under the cursor: the other one.
        target = hit.firstName != a ? hit.firstName : hit.lastName;
    } else {
        target = FindNearestPoint(doc_, a);
    }
    if (target >= 0 && target != a && MergePoints(doc_, sw_, a, target) == 1) {
        host_.RedrawAllViews();
        host_.RedrawPalette();
        return;
    }
    // Nothing to weld onto: the points moved all the same, so the drag ends as a release would.
    EndPointDrag();
}

void ViewEditor::RightDown(ViewCamera& view, CursorPoint pos, ModifierKeys keys) {
    lastKeys_ = keys;
    if (keys.alt) {
        MiddleDown(view, pos, keys);
        return;
    }
    if (IsCurveState(state_)) {
        EndCurve();
        return;
    }
    if (state_ == kDragMovePoints) {
        Weld(view, pos);
        return;
    }
    if (state_ != kDragIdle) return;

    buttonState_ = host_.ButtonsDown();
    if (PressOnAPoint(view, pos, keys, kDragTurnHandles)) return;
    if (EnterPerspective(view)) host_.ReloadProjection(view);
    cameraDragging_ = true;
    draggedCamera_ = &view;
    state_ = kDragOrbit;
    prevCursor_ = pos;
    host_.RedrawView(view);
}

// A right or middle press on a point in wireframe mode (with button handle control on): on an
// anchor it selects the anchor and starts `handleDrag` on its handles; on a handle it does
// nothing. True when the press was on a point, so no camera drag starts.
bool ViewEditor::PressOnAPoint(ViewCamera& view, CursorPoint pos, ModifierKeys keys,
                               int32_t handleDrag) {
    const bool buttonHandles = (settings_.controlFlags & kControlNoButtonHandle) == 0;
    if (!buttonHandles || view.displayMode != kDisplayWireframe) return false;
    const PickResult hit = host_.PickPoint(view, pos);
    const PatchObject* obj = doc_.Current();
    if (!obj || hit.index < 0 || hit.index >= obj->pointCount()) return false;
    if (obj->points[hit.index].anchor >= 0) return true;
    SelectPoint(doc_, sw_, hit.index, false, keys, &dragOrigin_);
    doc_.activePoint = hit.index;
    prevCursor_ = dragStart_ = pos;
    state_ = handleDrag;
    host_.RedrawPalette();
    return true;
}

void ViewEditor::MiddleDown(ViewCamera& view, CursorPoint pos, ModifierKeys keys) {
    lastKeys_ = keys;
    if (state_ != kDragIdle) return;
    buttonState_ = host_.ButtonsDown();
    if (PressOnAPoint(view, pos, keys, kDragScaleHandles)) return;
    cameraDragging_ = true;
    draggedCamera_ = &view;
    state_ = kDragPan;
    prevCursor_ = pos;
    host_.RedrawView(view);
}

void ViewEditor::RightUp(ViewCamera& view, CursorPoint pos, ModifierKeys keys) {
    MiddleUp(view, pos, keys);
}

void ViewEditor::MiddleUp(ViewCamera& view, CursorPoint pos, ModifierKeys keys) {
    if ((state_ == kDragOrbit || state_ == kDragPan) &&
        (pos.x != prevCursor_.x || pos.y != prevCursor_.y)) {
        MouseMove(view, pos, keys);
    }
    lastKeys_ = keys;
    // Only the drags of the right and middle buttons end here: a point drag, a rubber band or
    // a curve in progress would otherwise be cut off without its ending.
    if (state_ != kDragScaleHandles && state_ != kDragTurnHandles && state_ != kDragOrbit &&
        state_ != kDragPan) {
        return;
    }
    if (state_ == kDragScaleHandles || state_ == kDragTurnHandles) {
        DocumentChanged(doc_, sw_);
        host_.RedrawPalette();
    }
    cameraDragging_ = false;
    draggedCamera_ = nullptr;
    state_ = kDragIdle;
    ComputeSavedMatrices(view, cameras_.fovy);
    host_.RedrawView(view);  // the points come back
}

void ViewEditor::IdleStep(ViewCamera& current) {
    if (state_ == kDragIdle || state_ == kDragCurveEndPoint || state_ == kDragNextEndPoint) return;
    CursorPoint at;
    if (host_.CursorInView(current, at)) return;
    const uint8_t held = host_.ButtonsDown();
    auto released = [&](MouseButton b) {
        const uint8_t bit = static_cast<uint8_t>(b);
        return buttonState_ == bit && (held & bit) == 0;
    };
    if (released(MouseButton::Left)) {
        LeftUp(current, at, lastKeys_);
    } else if (released(MouseButton::Right)) {
        RightUp(current, at, lastKeys_);
    } else if (released(MouseButton::Middle)) {
        MiddleUp(current, at, lastKeys_);
    } else if (at.x != prevCursor_.x || at.y != prevCursor_.y) {
        // A move to where the cursor already was would only redraw, and each redraw brings
        // the next idle step.
        MouseMove(current, at, lastKeys_);
    }
}

void ViewEditor::ChangeObject(ViewCamera& view, int step) {
    const int32_t count = doc_.objectCount();
    if (count == 0) return;
    int32_t next = doc_.currentObject < 0 ? -doc_.currentObject : doc_.currentObject + step;
    if (next > count - 1) next = count - 1;
    if (next < 0) next = 0;
    doc_.currentObject = next;
    ClearPointSelection(doc_);
    host_.RedrawPalette();
    UpdateCamera(view);
    host_.RedrawView(view);
}

void ViewEditor::CameraChanged(ViewCamera& view) {
    // The saved matrices map the cursor: they must follow the camera at once, not at the next
    // resize, or the next drag in this view would move points in the old direction.
    ComputeSavedMatrices(view, cameras_.fovy);
}

bool ViewEditor::Key(ViewCamera& view, const ViewKeyEvent& e) {
    if (e.keys.ctrl) {
        if (e.key == kKeyUp) {
            ChangeObject(view, 1);
            return true;
        }
        if (e.key == kKeyDown) {
            ChangeObject(view, -1);
            return true;
        }
        return false;
    }
    const int32_t direction = DirectionOfDigitKey(e.key);
    if (direction >= 0) {
        const bool reload = SelectOrthoDirection(view, cameras_, direction);
        CameraChanged(view);
        if (reload) {
            host_.ReloadProjection(view);
        } else {
            host_.RedrawView(view);
        }
        return true;
    }
    if (direction == -1) return true;
    switch (e.key) {
        case 'R':
        case kKeyF12:
            view.displayMode = static_cast<uint8_t>((view.displayMode + 1) % 3);
            host_.RedrawView(view);
            return true;
        case 'A':
            SelectAll(doc_, sw_, &dragOrigin_);
            host_.RedrawPalette();
            host_.RedrawAllViews();
            return true;
        case 'O':
            SelectNone(doc_, sw_);
            host_.RedrawPalette();
            host_.RedrawAllViews();
            return true;
        case 'I':
            InvertSelection(doc_, sw_, &dragOrigin_);
            host_.RedrawPalette();
            host_.RedrawAllViews();
            return true;
        case 'H':
        case 'N':
            ToggleHandleMode(doc_, sw_);
            host_.RedrawPalette();
            return true;
        case 'B':
            sw_.backPictureVisible = sw_.backPictureVisible ? 0 : 1;
            host_.RedrawAllViews();
            host_.RedrawPalette();
            return true;
        case kKeyF4:
            host_.ToggleViewLayout();
            host_.RedrawPalette();
            return true;
        default:
            return false;
    }
}

bool ViewEditor::Char(ViewCamera& view, int ch) {
    if (!ZoomByCharacter(view, cameras_, ch)) return false;
    host_.RedrawAllViews();
    CameraChanged(view);
    return true;
}

bool ViewEditor::Wheel(ViewCamera& view, int delta) {
    if (!ZoomByWheel(view, cameras_, delta)) return false;
    host_.RedrawAllViews();
    CameraChanged(view);
    return true;
}

}  // namespace zarni
