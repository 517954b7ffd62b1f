// `zarni-cli apply` operations: selection, clipboard, merging, handles, axis edits, objects.
#include <string>

#include "cli/apply.h"
#include "ops/clipboard.h"
#include "ops/curves.h"
#include "ops/duplicate.h"
#include "ops/handles.h"
#include "ops/merge.h"
#include "ops/mirror.h"
#include "view/axis_edit.h"
#include "view/selection.h"

namespace zarni::cli {

namespace {

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

// An operation without arguments that the program runs as it is.
OpHandler Plain(void (*op)(Document&, const EditSwitches&)) {
    return [op](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        op(s.doc, s.sw);
        return true;
    };
}

// A selection command: the palette shows the pivot of the new selection at once.
OpHandler Selecting(void (*op)(Document&, const EditSwitches&, Vec3*)) {
    return [op](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        op(s.doc, s.sw, nullptr);
        RecomputePivot(s.doc, s.sw);
        return true;
    };
}

bool PointOfCurrentObject(const ApplyState& s, const OpArgs& a, int32_t index, std::string* why) {
    const PatchObject* obj = s.doc.Current();
    if (obj == nullptr) return Fail(why, a.name + ": no object is current");
    if (index < 0 || index >= obj->pointCount()) {
        return Fail(why, a.name + ": point " + std::to_string(index) +
                             " does not exist (the current object has " +
                             std::to_string(obj->pointCount()) + " points)");
    }
    return true;
}

bool AxisArgument(const OpArgs& a, size_t group, size_t index, int32_t& axis, std::string* why) {
    if (!a.Int(group, index, axis, why)) return false;
    if (axis < 0 || axis > 2) return Fail(why, a.name + ": the axis must be 0 (X), 1 (Y) or 2 (Z)");
    return true;
}

// The numeric fields act on an object only through its active point; with no object active
// they edit the background pictures instead.
bool ActivePointForAxisEdit(const ApplyState& s, const OpArgs& a, std::string* why) {
    if (s.doc.currentObject < 0) return true;
    const PatchObject* obj = s.doc.Current();
    if (obj == nullptr || s.doc.activePoint < 0 || s.doc.activePoint >= obj->pointCount()) {
        return Fail(why, a.name + ": needs an active point (select a point first)");
    }
    return true;
}

// After a numeric edit the palette rebuilds the caches and marks the document changed.
void AfterCoordinateEdit(ApplyState& s) {
    RebuildControlCaches(s.doc);
    DocumentChanged(s.doc, s.sw);
}

bool SelectPointOp(ApplyState& s, const OpArgs& a, std::string* why) {
    if (a.groups.size() != 1 || a.groups[0].empty() || a.groups[0].size() > 2) {
        return Fail(why, a.name + ": takes a point index and optionally \"add\"");
    }
    int32_t index = 0;
    if (!a.Int(0, 0, index, why)) return false;
    bool add = false;
    if (a.Has(0, 1)) {
        if (a.groups[0][1] != "add") {
            return Fail(why, a.name + ": \"" + a.groups[0][1] + "\" is not \"add\"");
        }
        add = true;
    }
    if (!PointOfCurrentObject(s, a, index, why)) return false;
    SelectPoint(s.doc, s.sw, index, add);
    RecomputePivot(s.doc, s.sw);
    return true;
}

bool MergePointsOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t from = 0, into = 0;
    if (!a.Shape({2}, why) || !a.Int(0, 0, from, why) || !a.Int(0, 1, into, why)) return false;
    if (!PointOfCurrentObject(s, a, from, why) || !PointOfCurrentObject(s, a, into, why)) {
        return false;
    }
    // A refused merge changes nothing, as in the view; it is not an error of the script.
    MergePoints(s.doc, s.sw, from, into);
    return true;
}

bool AppendCurveSegmentOp(ApplyState& s, const OpArgs& a, std::string* why) {
    bool continueCurve = false;
    if (!a.Shape({1, 3, 3, 3, 3}, why) || !a.Flag(0, 0, continueCurve, why)) return false;
    std::array<Vec3, 4> q{};
    for (size_t i = 0; i < 4; ++i) {
        if (!a.Float(i + 1, 0, q[i].x, why) || !a.Float(i + 1, 1, q[i].y, why) ||
            !a.Float(i + 1, 2, q[i].z, why)) {
            return false;
        }
    }
    if (s.doc.Current() == nullptr) return Fail(why, a.name + ": no object is current");
    if (!AppendCurveSegment(s.doc, s.sw, continueCurve, q)) {
        return Fail(why, a.name + ": there is no curve end to continue from");
    }
    return true;
}

bool MirrorOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t axis = 0;
    if (!a.Shape({1}, why) || !AxisArgument(a, 0, 0, axis, why)) return false;
    MirrorSelectionAxis(s.doc, s.sw, axis);
    RebuildControlCaches(s.doc);  // the palette rebuilds; the command does not mark a change
    return true;
}

bool AxisEditOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t axis = 0;
    float v = 0.0f;
    if (!a.Shape({2}, why) || !AxisArgument(a, 0, 0, axis, why) || !a.Float(0, 1, v, why)) {
        return false;
    }
    if (!ActivePointForAxisEdit(s, a, why)) return false;
    AxisEdit(s.doc, s.sw, FourViewLayoutViews(), axis, v);
    AfterCoordinateEdit(s);
    return true;
}

bool AllAxesEditOp(ApplyState& s, const OpArgs& a, std::string* why) {
    float v = 0.0f;
    if (!a.Shape({1}, why) || !a.Float(0, 0, v, why)) return false;
    if (!ActivePointForAxisEdit(s, a, why)) return false;
    AllAxesEdit(s.doc, s.sw, FourViewLayoutViews(), v);
    AfterCoordinateEdit(s);
    return true;
}

bool MoveSelectionOp(ApplyState& s, const OpArgs& a, std::string* why) {
    Vec3 d{};
    if (!a.Shape({3}, why) || !a.Float(0, 0, d.x, why) || !a.Float(0, 1, d.y, why) ||
        !a.Float(0, 2, d.z, why)) {
        return false;
    }
    MoveSelection(s.doc, s.sw, d);
    AfterCoordinateEdit(s);
    return true;
}

// A switch set to one of the values `low`..`high`.
OpHandler Switch(int32_t EditSwitches::*field, int32_t low, int32_t high) {
    return [field, low, high](ApplyState& s, const OpArgs& a, std::string* why) {
        int32_t v = 0;
        if (!a.Shape({1}, why) || !a.Int(0, 0, v, why)) return false;
        if (v < low || v > high) {
            return Fail(why, a.name + ": " + std::to_string(v) + " is not in " +
                                 std::to_string(low) + ".." + std::to_string(high));
        }
        s.sw.*field = v;
        RecomputePivot(s.doc, s.sw);
        return true;
    };
}

bool EditModeOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t v = 0;
    if (!a.Shape({1}, why) || !a.Int(0, 0, v, why)) return false;
    if (v < 0 || v > 2) return Fail(why, a.name + ": 0 (Move), 1 (Scale) or 2 (Rotate)");
    s.sw.editMode = static_cast<EditMode>(v);
    return true;
}

bool LayerVisibleOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t layer = 0;
    bool on = false;
    if (!a.Shape({2}, why) || !a.Int(0, 0, layer, why) || !a.Flag(0, 1, on, why)) return false;
    if (layer < 0 || layer >= static_cast<int32_t>(s.sw.layerVisible.size())) {
        return Fail(why, a.name + ": the layer must be 0..5");
    }
    s.sw.layerVisible[layer] = on ? 1 : 0;
    return true;
}

// Makes object i current (a negative value is the deactivated form -(i+1), as the object list
// stores it) and clears the point selection, as every change of object does.
bool SetCurrentObjectOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t v = 0;
    if (!a.Shape({1}, why) || !a.Int(0, 0, v, why)) return false;
    const int32_t count = static_cast<int32_t>(s.doc.objects.size());
    if (v >= count || v < -count) {
        return Fail(why, a.name + ": there is no object " + std::to_string(v) +
                             " (the document has " + std::to_string(count) + ")");
    }
    s.doc.currentObject = v;
    ClearPointSelection(s.doc);
    DocumentChanged(s.doc, s.sw);
    return true;
}

}  // namespace

std::map<std::string, OpHandler> EditOperations() {
    std::map<std::string, OpHandler> ops;
    ops["SelectAll"] = Selecting(SelectAll);
    ops["InvertSelection"] = Selecting(InvertSelection);
    ops["SelectNone"] = [](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        SelectNone(s.doc, s.sw);
        RecomputePivot(s.doc, s.sw);
        return true;
    };
    ops["ToggleHandleMode"] = [](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        ToggleHandleMode(s.doc, s.sw);
        return true;
    };
    ops["SelectPoint"] = SelectPointOp;
    ops["CopySelection"] = [](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        CopySelection(s.doc, s.clipboard);
        return true;
    };
    ops["CutSelection"] = [](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        CutSelection(s.doc, s.clipboard, s.sw);
        return true;
    };
    ops["PasteClipboard"] = [](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        PasteClipboard(s.doc, s.clipboard, s.sw);
        return true;
    };
    ops["DeleteSelection"] = Plain(DeleteSelection);
    ops["DuplicateSelection"] = Plain(DuplicateSelection);
    ops["MergePoints"] = MergePointsOp;
    ops["AppendCurveSegment"] = AppendCurveSegmentOp;
    ops["SmoothHandles"] = Plain(SmoothHandles);
    ops["StraightenHandles"] = Plain(StraightenHandles);
    ops["MirrorSelectionAxis"] = MirrorOp;
    ops["AxisEdit"] = AxisEditOp;
    ops["AllAxesEdit"] = AllAxesEditOp;
    ops["MoveSelection"] = MoveSelectionOp;
    ops["EditMode"] = EditModeOp;
    ops["AxisLock"] = Switch(&EditSwitches::axisLock, 0, 7);
    ops["PivotMode"] = Switch(&EditSwitches::pivotMode, 0, 1);
    ops["LayerVisible"] = LayerVisibleOp;
    ops["CreateObject"] = [](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        CreateObject(s.doc);
        ClearPointSelection(s.doc);
        DocumentChanged(s.doc, s.sw);
        return true;
    };
    ops["DeleteCurrentObject"] = Plain(DeleteCurrentObject);
    ops["JoinWithPrevious"] = Plain(JoinWithPrevious);
    ops["SetCurrentObject"] = SetCurrentObjectOp;
    return ops;
}

}  // namespace zarni::cli
