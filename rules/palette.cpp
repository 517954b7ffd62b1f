// The tool palette's cells, field values, rounding and mouse machine.
#include "rules/palette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ops/clipboard.h"
#include "ops/duplicate.h"
#include "ops/handles.h"
#include "ops/mirror.h"
#include "platform/cp932.h"
#include "resources/ids.h"
#include "view/selection.h"

namespace zarni {

namespace {

constexpr double kPi = 3.14159265358979323846;

PaletteCell Cell(int32_t l, int32_t t, int32_t r, int32_t b, std::array<int, 5> icons = {}) {
    return PaletteCell{CellRect{l, t, r, b}, icons};
}

std::array<PaletteCell, kPaletteCellCount> BuildCells() {
    std::array<PaletteCell, kPaletteCellCount> c{};
    c[0] = Cell(4, 3, 20, 44, {301});
    c[1] = Cell(20, 2, 80, 20);
    c[2] = Cell(30, 22, 50, 40, {302, 303});
    c[3] = Cell(50, 22, 70, 40, {304});
    c[4] = Cell(70, 22, 96, 40, {299});
    c[5] = Cell(96, 22, 116, 40, {305, 306});
    c[6] = Cell(84, 3, 96, 20, {309, 310});
    c[7] = Cell(130, 3, 142, 20, {311, 312});
    c[8] = Cell(116, 22, 136, 40, {308, 307});
    c[9] = Cell(191, 20, 207, 40, {318, 319});
    c[10] = Cell(156, 3, 184, 40, {313, 314, 315});
    c[11] = Cell(191, 3, 207, 20, {316, 317});
    // Each axis: its lock bar, its field and the zero, floor, round and truncate buttons.
    const int32_t lockLeft[3] = {211, 297, 383};
    const int32_t lockBottom[3] = {40, 44, 44};
    const int lockIcon[3] = {320, 321, 322};
    for (int k = 0; k < 3; ++k) {
        const int base = 12 + 6 * k;
        const int32_t l = lockLeft[k];
        c[base] = Cell(l, 3, l + 12, lockBottom[k], {lockIcon[k], 300});
        c[base + 1] = Cell(l + 16, 3, l + 82, 20, {297, 298});
        for (int b = 0; b < 4; ++b) {
            const int32_t bl = l + 16 + 16 * b;
            c[base + 2 + b] = Cell(bl, 23, bl + 12, 40, {323 + b});
        }
    }
    c[30] = Cell(479, 3, 491, 20, {327});
    c[31] = Cell(495, 3, 507, 20, {328});
    c[32] = Cell(511, 3, 523, 20, {329});
    c[33] = Cell(527, 3, 539, 20, {331, 330});
    c[34] = Cell(553, 3, 567, 20, {333});
    c[35] = Cell(578, 3, 592, 20, {332});
    c[36] = Cell(596, 3, 624, 20, {334, 336});
    c[37] = Cell(628, 3, 656, 20, {335, 337});
    c[38] = Cell(0, 0, 0, 0);
    c[39] = Cell(478, 22, 504, 40, {299});
    for (int k = 0; k < 6; ++k) {
        const int32_t l = 548 + 18 * k;
        c[40 + k] = Cell(l, 23, l + 14, 40, {340 + k, 346 + k});
    }
    return c;
}

float Axis(const Vec3& v, int k) {
    return k == 0 ? v.x : (k == 1 ? v.y : v.z);
}

// The angle about axis k of a direction, in radians: atan2(z, y) for X, atan2(x, z) for Y,
// atan2(y, x) for Z.
float AngleAbout(int k, float dx, float dy, float dz) {
    switch (k) {
        case 0:
            return std::atan2(dz, dy);
        case 1:
            return std::atan2(dx, dz);
        default:
            return std::atan2(dy, dx);
    }
}

// The current point, when an object is active and its active point is valid.
const ControlPoint* CurrentPoint(const Document& doc) {
    const PatchObject* obj = doc.Current();
    if (!obj || doc.activePoint < 0 || doc.activePoint >= obj->pointCount()) return nullptr;
    return &obj->points[doc.activePoint];
}

// The shown value's stored form: for Rotate the angle in radians, else the value itself.
struct ShownValue {
    double shown = 0.0;   // what the field shows (degrees for Rotate)
    double stored = 0.0;  // what the edit works on (radians for Rotate)
};

ShownValue FieldValueParts(const Document& doc, const EditSwitches& sw, const PaletteViews& views,
                           int k) {
    if (!doc.HasActiveObject()) {
        if (views.currentSlot < 0 || views.currentSlot >= kBackSlotCount) return {};
        const BackPictureSlot& slot = doc.backPictures[views.currentSlot];
        const Vec3& v = sw.editMode == EditMode::Move    ? slot.position
                        : sw.editMode == EditMode::Scale ? slot.scale
                                                         : slot.rotation;
        return {Axis(v, k), Axis(v, k)};
    }
    const ControlPoint* p = CurrentPoint(doc);
    if (!p) return {};
    const PatchObject& obj = *doc.Current();
    Vec3 centre = doc.pivot;
    const bool handle = p->anchor >= 0 && p->anchor < obj.pointCount();
    if (handle) {
        const ControlPoint& a = obj.points[p->anchor];
        centre = Vec3{a.x, a.y, a.z};
    }
    const Vec3 pos{p->x, p->y, p->z};
    switch (sw.editMode) {
        case EditMode::Move:
            if (handle) return {Axis(pos, k) - Axis(centre, k), Axis(pos, k) - Axis(centre, k)};
            return {Axis(pos, k), Axis(pos, k)};
        case EditMode::Scale:
            return {Axis(pos, k) - Axis(centre, k), Axis(pos, k) - Axis(centre, k)};
        case EditMode::Rotate: {
            const float a = AngleAbout(k, pos.x - centre.x, pos.y - centre.y, pos.z - centre.z);
            return {180.0 * a / kPi, a};
        }
    }
    return {};
}

bool AxisLocked(const EditSwitches& sw, int k) {
    return (sw.axisLock & (1 << k)) != 0;
}

}  // namespace

const std::array<PaletteCell, kPaletteCellCount>& PaletteCells() {
    static const std::array<PaletteCell, kPaletteCellCount> cells = BuildCells();
    return cells;
}

int HitCellHalfOpen(int32_t x, int32_t y) {
    const auto& cells = PaletteCells();
    for (int i = 0; i < kPaletteCellCount; ++i)
        if (cells[i].rect.ContainsHalfOpen(x, y)) return i;
    return -1;
}

int HitCellClosed(int32_t x, int32_t y) {
    const auto& cells = PaletteCells();
    for (int i = 0; i < kPaletteCellCount; ++i) {
        // The empty cell 38 would otherwise catch a release on the very corner pixel.
        const CellRect& r = cells[i].rect;
        if (r.right == r.left) continue;
        if (r.ContainsClosed(x, y)) return i;
    }
    return -1;
}

int FieldAxis(int cell) {
    if (cell < 12 || cell > 29) return -1;
    return (cell - 12) / 6;
}

std::string FieldText(float v) {
    char text[64];
    std::snprintf(text, sizeof text, "% 3.4f", static_cast<double>(v));
    std::string s(text);
    if (!s.empty()) s.pop_back();
    return s;
}

double RoundingTarget(double v, Rounding kind) {
    if (kind == Rounding::Zero) return 0.0;
    char text[64];
    std::snprintf(text, sizeof text, "% 3.4f", v);
    const char* dot = std::strchr(text, '.');
    if (!dot || std::strlen(dot) < 4) return v;
    const char d1 = dot[1], d2 = dot[2], d3 = dot[3];
    double step = 0.0;
    char judged = '0';
    if (d3 != '0') {
        step = 0.01;
        judged = d3;
    } else if (d2 != '0') {
        step = 0.1;
        judged = d2;
    } else if (d1 != '0') {
        step = 1.0;
        judged = d1;
    } else {
        return v;
    }
    const double r = std::fmod(v, step);
    switch (kind) {
        case Rounding::Truncate:
            return v - r;
        case Rounding::Floor:
            return v > 0.0 ? v - r : v - r - step;
        case Rounding::Round:
            if (judged < '5') return v - r;
            return v - r + (v > 0.0 ? step : -step);
        case Rounding::Zero:
            break;
    }
    return 0.0;
}

float PaletteFieldValue(const Document& doc, const EditSwitches& sw, const PaletteViews& views,
                        int axis) {
    if (axis < 0 || axis > 2) return 0.0f;
    return static_cast<float>(FieldValueParts(doc, sw, views, axis).shown);
}

bool CellDrawn(int cell, const EditSwitches& sw) {
    switch (cell) {
        case kCellUndo:
        case kCellRedo:
        case 38:
            return false;
        case kCellPivotMode:
        case kCellDelete:
        case kCellDuplicate:
            return sw.handleMode == 0;
        default:
            return cell >= 0 && cell < kPaletteCellCount;
    }
}

int CellIcon(int cell, const EditSwitches& sw, bool fourViews) {
    if (cell < 0 || cell >= kPaletteCellCount) return 0;
    const auto& icons = PaletteCells()[cell].icons;
    auto pick = [&](bool second) { return icons[second ? 1 : 0]; };
    switch (cell) {
        case kCellViewCount:
            return pick(fourViews);
        case kCellShowAll:
            return pick(sw.showAllObjects != 0);
        case kCellBackPicture:
            return pick(sw.backPictureVisible != 0);
        case kCellHandleMode:
        case kCellExtrude:
        case kCellLathe:
            return pick(sw.handleMode != 0);
        case kCellEditMode:
            return icons[std::clamp(static_cast<int>(sw.editMode), 0, 2)];
        case kCellPivotMode:
            return pick(sw.pivotMode != 0);
        case kCellLockX:
        case kCellLockY:
        case kCellLockZ:
            return pick(AxisLocked(sw, FieldAxis(cell)));
        case kCellIntersect:
            return pick(sw.intersectSelect != 0);
        default:
            if (cell >= kCellFirstLayerSwitch)
                return pick(sw.layerVisible[cell - kCellFirstLayerSwitch] != 0);
            return icons[0];
    }
}

std::vector<PaletteDrawItem> PaletteDrawList(const Document& doc, const EditSwitches& sw,
                                             const PaletteViews& views, bool fourViews,
                                             int hoverCell) {
    std::vector<PaletteDrawItem> items;
    if (doc.objects.empty()) return items;
    const auto& cells = PaletteCells();
    auto icon = [&](int id, int32_t x, int32_t y) {
        if (id != 0) items.push_back(PaletteDrawItem{PaletteDrawItem::Kind::Icon, x, y, id, {}});
    };
    auto text = [&](std::string s, int32_t x, int32_t y, int32_t room = 0) {
        items.push_back(PaletteDrawItem{PaletteDrawItem::Kind::Text, x, y, 0, std::move(s), room});
    };

    // The object tab and the label of the active object.
    std::string label = "BG";
    if (const PatchObject* obj = doc.Current()) {
        char number[16];
        std::snprintf(number, sizeof number, "%d:", doc.currentObject + 1);
        label = number + Cp932ToUtf8(obj->name);
    }
    const bool tabHover = hoverCell == kCellObjectTab || hoverCell == kCellLabel;
    const CellRect& tab = cells[kCellObjectTab].rect;
    const CellRect& labelCell = cells[kCellLabel].rect;
    icon(CellIcon(kCellObjectTab, sw, fourViews), tab.left - (tabHover ? 1 : 0),
         tab.top - (tabHover ? 2 : 0));
    text(label, labelCell.left - (tabHover ? 1 : 0), labelCell.top + (tabHover ? 0 : 2));

    const PatchObject* obj = doc.Current();
    const ControlPoint* current = CurrentPoint(doc);
    for (int i = 2; i < kPaletteCellCount; ++i) {
        if (!CellDrawn(i, sw)) continue;
        const CellRect& r = cells[i].rect;
        const bool hot = hoverCell == i;
        const int32_t x = r.left - (hot ? 1 : 0), y = r.top - (hot ? 2 : 0);
        if (i == kCellFieldX || i == kCellFieldY || i == kCellFieldZ) {
            if (!obj && views.currentSlot < 0) continue;
            icon(cells[i].icons[0], x, y);
            icon(cells[i].icons[1], x + 32, y);
            text(FieldText(PaletteFieldValue(doc, sw, views, FieldAxis(i))),
                 r.left + (hot ? 9 : 10), r.top + (hot ? 1 : 3));
            continue;
        }
        icon(CellIcon(i, sw, fourViews), x, y);
        if (i == kCellLockX || i == kCellLockY || i == kCellLockZ) {
            text(std::string(1, static_cast<char>('X' + FieldAxis(i))), r.left + (hot ? 2 : 3),
                 r.top + (hot ? 0 : 2));
        } else if (i == kCellDivLevel || i == kCellLayer) {
            const int32_t value = i == kCellDivLevel ? sw.divLevel : (current ? current->layer : 0);
            text(std::to_string(value), r.left + (hot ? 5 : 6), r.top + (hot ? 1 : 3));
            if (i == kCellLayer) {
                char number[32] = "-------";
                if (current) std::snprintf(number, sizeof number, "No.%04d", doc.activePoint);
                // Up to the layer-0 switch, which would cover the last digit.
                const int32_t left = r.left + 25;
                text(number, left, r.top + 4, cells[kCellFirstLayerSwitch].rect.left - left);
            }
        }
    }
    return items;
}

// ---------------------------------------------------------------------------------------------

PaletteMachine::PaletteMachine(Document& doc, EditSwitches& sw, PaletteHost& host)
    : doc_(doc), sw_(sw), host_(host) {}

void PaletteMachine::MouseMove() {
    if (host_.ViewDragging()) return;
    if (dragCell_ != 0) {
        DragStep();
        return;
    }
    const PalettePoint p = host_.CursorClient();
    if (p.y < 0 || p.y > kPaletteHeight) return;
    // A cursor over no cell is a hover state of its own, matching no cell.
    const int cell = HitCellHalfOpen(p.x, p.y);
    const int hover = cell < 0 ? kPaletteCellCount : cell;
    if (hover != hover_) {
        hover_ = hover;
        host_.RedrawPalette();
    }
}

void PaletteMachine::HoverTick() {
    if (dragCell_ != 0 || hover_ == -1) return;
    const PalettePoint p = host_.CursorClient();
    if (p.x < 0 || p.x > host_.ClientWidth() || p.y < 0 || p.y > kPaletteHeight) {
        hover_ = -1;
        host_.RedrawPalette();
    }
}

void PaletteMachine::ButtonDown() {
    if (host_.ViewDragging()) return;
    // A press while a drag is under way (another button) changes nothing.
    if (dragCell_ != 0) return;
    origin_ = host_.CursorScreen();
    lastDragX_ = origin_.x;
    allAxesRan_ = false;
    buttons_ = host_.ButtonsDown();
    const PalettePoint p = host_.CursorClient();
    const int cell = HitCellHalfOpen(p.x, p.y);
    switch (cell) {
        case kCellDivLevel:
            dragStartValue_ = static_cast<float>(sw_.divLevel);
            dragCell_ = cell;
            break;
        case kCellEditMode:
            dragCell_ = cell;
            break;
        case kCellFieldX:
        case kCellFieldY:
        case kCellFieldZ:
            CoordinatePress(FieldAxis(cell));
            break;
        case kCellLayer:
            if (const ControlPoint* current = CurrentPoint(doc_)) {
                dragStartValue_ = static_cast<float>(current->layer);
                dragCell_ = cell;
            }
            break;
        default:
            break;  // buttons act on release
    }
    if (dragCell_ != 0) host_.DragStarted();
}

void PaletteMachine::CoordinatePress(int axis) {
    if (doc_.HasActiveObject() && !CurrentPoint(doc_)) return;
    if (AxisLocked(sw_, axis)) return;
    const uint32_t now = host_.TickCount();
    // As the desktop counts double clicks: the same field, within the double-click time and
    // width of the first press. A quick press on another field, or after dragging away, is a
    // new drag, not a mirror.
    const int32_t width = host_.DoubleClickWidth();
    const bool samePlace = lastClickAxis_ == axis &&
                           std::abs(origin_.x - lastClickAt_.x) <= width &&
                           std::abs(origin_.y - lastClickAt_.y) <= width;
    if (clickedOnce_ && samePlace && now - lastCoordinateClick_ <= host_.DoubleClickTime()) {
        // The second press of a double click mirrors the selection along the axis. With no
        // object active there is nothing to mirror.
        clickedOnce_ = false;
        lastCoordinateClick_ = 0;
        if (!doc_.HasActiveObject()) return;
        MirrorSelectionAxis(doc_, sw_, axis);
        RebuildControlCaches(doc_);
        // A mirrored selection is a change like any other: Exit must ask before losing it.
        DocumentChanged(doc_, sw_);
        host_.RedrawAllViews();
        host_.RedrawPalette();
        return;
    }
    clickedOnce_ = true;
    lastCoordinateClick_ = now;
    lastClickAxis_ = axis;
    lastClickAt_ = origin_;
    dragCell_ = axis == 0 ? kCellFieldX : (axis == 1 ? kCellFieldY : kCellFieldZ);
}

void PaletteMachine::DragStep() {
    const PalettePoint screen = host_.CursorScreen();
    const float d = static_cast<float>(screen.x - lastDragX_) /
                    ((buttons_ & kPalettePrimary) != 0 ? 1000.0f : 50.0f);
    lastDragX_ = screen.x;
    const int32_t moved = screen.x - origin_.x;
    bool changed = false;
    bool geometry = false;
    switch (dragCell_) {
        case kCellEditMode:
            if (std::abs(moved) > host_.DoubleClickWidth() && d != 0.0f) {
                AllAxesEdit(doc_, sw_, host_.Views().views, d);
                changed = geometry = allAxesRan_ = true;
            }
            break;
        case kCellFieldX:
        case kCellFieldY:
        case kCellFieldZ:
            if (d != 0.0f) {
                AxisEdit(doc_, sw_, host_.Views().views, FieldAxis(dragCell_), d);
                changed = true;
                geometry = doc_.HasActiveObject();
            }
            break;
        case kCellDivLevel: {
            const int32_t level = std::clamp(
                static_cast<int32_t>(static_cast<float>(moved) / 7.0f + dragStartValue_), 1, 20);
            if (level != sw_.divLevel) {
                sw_.divLevel = level;
                changed = true;
            }
            break;
        }
        case kCellLayer: {
            const int32_t layer = std::clamp(
                static_cast<int32_t>(static_cast<float>(moved) / 7.0f + dragStartValue_), 0, 5);
            PatchObject* obj = doc_.Current();
            if (obj && doc_.activePoint >= 0 && doc_.activePoint < obj->pointCount() &&
                obj->points[doc_.activePoint].layer != layer) {
                obj->points[doc_.activePoint].layer = layer;
                changed = geometry = true;
            }
            break;
        }
        default:
            break;
    }
    if (changed) {
        if (geometry) RebuildControlCaches(doc_);
        host_.RedrawAllViews();
    }
    hover_ = dragCell_ == kCellDivLevel ? kCellShowAll : dragCell_;
    host_.RedrawPalette();
}

void PaletteMachine::EndDrag() {
    const int cell = dragCell_;
    dragCell_ = 0;
    switch (cell) {
        case kCellEditMode: {
            if (allAxesRan_) {
                DocumentChanged(doc_, sw_);
            } else {
                sw_.editMode = static_cast<EditMode>((static_cast<int>(sw_.editMode) + 1) % 3);
            }
            host_.RedrawPalette();
            break;
        }
        case kCellFieldX:
        case kCellFieldY:
        case kCellFieldZ:
        case kCellLayer:
            DocumentChanged(doc_, sw_);
            host_.RedrawPalette();
            break;
        case kCellDivLevel:
            host_.SaveDivLevel(sw_.divLevel);
            break;
        default:
            break;
    }
    host_.DragEnded();
}

void PaletteMachine::ButtonUp() {
    if (host_.ViewDragging()) return;
    if (dragCell_ != 0) {
        EndDrag();
        return;
    }
    const PalettePoint p = host_.CursorClient();
    RunTool(HitCellClosed(p.x, p.y));
}

void PaletteMachine::CaptureLost() {
    if (dragCell_ != 0) EndDrag();
}

void PaletteMachine::IdlePoll() {
    if (dragCell_ == 0) return;
    const PalettePoint p = host_.CursorClient();
    if (p.x >= 0 && p.x <= host_.ClientWidth() && p.y >= 0 && p.y <= kPaletteHeight) return;
    const uint8_t down = host_.ButtonsDown();
    const bool released = ((buttons_ & kPalettePrimary) && !(down & kPalettePrimary)) ||
                          ((buttons_ & kPaletteSecondary) && !(down & kPaletteSecondary)) ||
                          ((buttons_ & kPaletteMiddle) && !(down & kPaletteMiddle));
    if (released) {
        ButtonUp();
    } else {
        MouseMove();
    }
}

void PaletteMachine::Changed(bool geometry) {
    if (geometry) RebuildControlCaches(doc_);
    DocumentChanged(doc_, sw_);
    host_.RedrawAllViews();
    host_.RedrawPalette();
}

void PaletteMachine::RoundingButton(int cell) {
    const int axis = FieldAxis(cell);
    const bool active = doc_.HasActiveObject();
    if (active && !CurrentPoint(doc_)) return;
    const PaletteViews views = host_.Views();
    if (!active && views.currentSlot < 0) return;
    const auto kind = static_cast<Rounding>((cell - 12) % 6 - 2);
    const ShownValue v = FieldValueParts(doc_, sw_, views, axis);
    const double target = RoundingTarget(v.shown, kind);
    double delta = target - v.shown;
    if (active && sw_.editMode == EditMode::Rotate) delta = kPi * target / 180.0 - v.stored;
    AxisEdit(doc_, sw_, views.views, axis, static_cast<float>(delta));
    Changed(active);
}

void PaletteMachine::RunTool(int cell) {
    const bool handleMode = sw_.handleMode != 0;
    const bool active = doc_.HasActiveObject();
    switch (cell) {
        case kCellObjectTab:
        case kCellLabel:
            host_.ToggleObjectList();
            break;
        case kCellViewCount:
            host_.ToggleViewLayout();
            host_.RedrawPalette();
            break;
        case kCellDisplayMode:
            host_.CycleDisplayModes();
            host_.RedrawAllViews();
            break;
        case kCellShowAll:
            sw_.showAllObjects = sw_.showAllObjects ? 0 : 1;
            host_.RedrawAllViews();
            host_.RedrawPalette();
            break;
        case kCellUndo:
            host_.SendCommand(kCmdUndo);
            break;
        case kCellRedo:
            host_.SendCommand(kCmdRedo);
            break;
        case kCellBackPicture:
            sw_.backPictureVisible = sw_.backPictureVisible ? 0 : 1;
            host_.RedrawAllViews();
            host_.RedrawPalette();
            break;
        case kCellHandleMode:
            ToggleHandleMode(doc_, sw_);
            DocumentChanged(doc_, sw_);
            host_.RedrawAllViews();
            host_.RedrawPalette();
            break;
        case kCellPivotMode:
            if (handleMode) break;
            sw_.pivotMode = sw_.pivotMode ? 0 : 1;
            RecomputePivot(doc_, sw_);
            host_.RedrawPalette();
            break;
        case kCellLockX:
        case kCellLockY:
        case kCellLockZ:
            sw_.axisLock ^= 1 << FieldAxis(cell);
            host_.RedrawPalette();
            break;
        case kCellSelectAll:
        case kCellSelectNone:
        case kCellInvert:
            // With no object active there is nothing to select.
            if (!active) break;
            if (cell == kCellSelectAll) SelectAll(doc_, sw_);
            if (cell == kCellSelectNone) SelectNone(doc_, sw_);
            if (cell == kCellInvert) InvertSelection(doc_, sw_);
            DocumentChanged(doc_, sw_);
            host_.RedrawPalette();
            host_.RedrawAllViews();
            break;
        case kCellIntersect:
            sw_.intersectSelect = sw_.intersectSelect ? 0 : 1;
            host_.RedrawPalette();
            break;
        case kCellDelete:
        case kCellDuplicate:
            if (handleMode || !active) break;
            if (cell == kCellDelete) DeleteSelection(doc_, sw_);
            if (cell == kCellDuplicate) DuplicateSelection(doc_, sw_);
            host_.RedrawAllViews();
            host_.RedrawPalette();
            break;
        case kCellExtrude:
        case kCellLathe:
            if (!active) break;
            if (!handleMode) {
                if (cell == kCellExtrude) host_.ExtrudeWithDialog();
                if (cell == kCellLathe) host_.LatheWithDialog();
                break;
            }
            if (cell == kCellExtrude) SmoothHandles(doc_, sw_);
            if (cell == kCellLathe) StraightenHandles(doc_, sw_);
            host_.RedrawAllViews();
            host_.RedrawPalette();
            break;
        default:
            if (FieldAxis(cell) >= 0 && (cell - 12) % 6 >= 2) {
                RoundingButton(cell);
            } else if (cell >= kCellFirstLayerSwitch && cell < kPaletteCellCount) {
                uint8_t& on = sw_.layerVisible[cell - kCellFirstLayerSwitch];
                on = on ? 0 : 1;
                host_.RedrawAllViews();
                host_.RedrawPalette();
            }
            break;
    }
}

}  // namespace zarni
