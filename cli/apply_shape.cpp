// `zarni-cli apply` operations: primitives, extrude, lathe, symmetry and its unfolding.
#include <string>

#include "cli/apply.h"
#include "ops/extrude.h"
#include "ops/lathe.h"
#include "ops/primitives.h"
#include "ops/unfold.h"

namespace zarni::cli {

namespace {

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

// Reads integer argument `index` of the first group and checks it against the range a dialog
// would allow.
bool Ranged(const OpArgs& a, size_t index, const char* what, int32_t low, int32_t high,
            int32_t& out, std::string* why) {
    if (!a.Int(0, index, out, why)) return false;
    if (out < low || out > high) {
        return Fail(why, a.name + ": " + what + " " + std::to_string(out) + " is not in " +
                             std::to_string(low) + ".." + std::to_string(high));
    }
    return true;
}

OpHandler Plain(void (*op)(Document&, const EditSwitches&)) {
    return [op](ApplyState& s, const OpArgs& a, std::string* why) {
        if (!a.Shape({}, why)) return false;
        op(s.doc, s.sw);
        return true;
    };
}

// Extrude:axis,minus,length — the length in thousandths, as the extrude settings store it.
bool ExtrudeOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t axis = 0, length = 0;
    bool minus = false;
    if (!a.Shape({3}, why) || !Ranged(a, 0, "axis", 1, 3, axis, why) || !a.Flag(0, 1, minus, why) ||
        !Ranged(a, 2, "length", 0, 1000000000, length, why)) {
        return false;
    }
    s.extrude.axis = axis;
    s.extrude.minus = minus;
    s.extrude.length = static_cast<float>(length / 1000.0);
    ExtrudeSelection(s.doc, s.sw, s.extrude);
    return true;
}

// Lathe:axis,type,parts,div — the lathe dialog's values, then the lathe of the selection.
bool LatheOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t axis = 0, type = 0, parts = 0, div = 0;
    if (!a.Shape({4}, why) || !Ranged(a, 0, "axis", 1, 3, axis, why) ||
        !Ranged(a, 1, "type", 0, 1, type, why) || !Ranged(a, 2, "parts", 0, 255, parts, why) ||
        !Ranged(a, 3, "div", 3, 18, div, why)) {
        return false;
    }
    s.lathe.axis = static_cast<uint8_t>(axis);
    s.lathe.type = static_cast<uint8_t>(type);
    s.lathe.partsCount = static_cast<uint8_t>(parts);
    s.lathe.divLevel = static_cast<uint8_t>(div);
    LatheSelection(s.doc, s.sw, s.lathe);
    return true;
}

bool LatheStepOp(ApplyState& s, const OpArgs& a, std::string* why) {
    if (!a.Shape({}, why)) return false;
    LatheStep(s.doc, s.lathe);
    RebuildControlCaches(s.doc);
    DocumentChanged(s.doc, s.sw);
    return true;
}

// Symmetry:mirrorFlags,count,axis,mx,my,mz — the symmetry dialog's settings of the current
// object; the offsets in thousandths.
bool SymmetryOp(ApplyState& s, const OpArgs& a, std::string* why) {
    int32_t flags = 0, count = 0, axis = 0, mx = 0, my = 0, mz = 0;
    if (!a.Shape({6}, why) || !Ranged(a, 0, "mirror flags", 0, 15, flags, why) ||
        !Ranged(a, 1, "windmill count", 1, 72, count, why) ||
        !Ranged(a, 2, "windmill axis", 1, 3, axis, why) ||
        !Ranged(a, 3, "move X", -3000, 3000, mx, why) ||
        !Ranged(a, 4, "move Y", -3000, 3000, my, why) ||
        !Ranged(a, 5, "move Z", -3000, 3000, mz, why)) {
        return false;
    }
    PatchObject* obj = s.doc.Current();
    if (obj == nullptr) return Fail(why, a.name + ": no object is current");
    obj->mirrorFlags = flags;
    obj->windmillCount = count;
    obj->windmillAxis = axis;
    obj->moveX = mx;
    obj->moveY = my;
    obj->moveZ = mz;
    DocumentChanged(s.doc, s.sw);
    return true;
}

}  // namespace

std::map<std::string, OpHandler> ShapeOperations() {
    std::map<std::string, OpHandler> ops;
    ops["AddCircle4"] = Plain(AddCircle4);
    ops["AddCircle8"] = Plain(AddCircle8);
    ops["AddSphere"] = Plain(AddSphere);
    ops["Extrude"] = ExtrudeOp;
    ops["Lathe"] = LatheOp;
    ops["LatheStep"] = LatheStepOp;
    ops["Symmetry"] = SymmetryOp;
    ops["UnfoldSymmetry"] = Plain(UnfoldSymmetry);
    return ops;
}

}  // namespace zarni::cli
