// Extrude: each selected curve, its swept copy, two shared side curves and a patch.
#include "ops/extrude.h"

#include "ops/clipboard.h"
#include "ops/sweep.h"

namespace zarni {

void ExtrudeSelection(Document& doc, const EditSwitches& sw, const ExtrudeSettings& settings) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr || doc.selectedAnchors.empty()) return;
    const int32_t base = obj->pointCount();

    // The patch rows sit a third of the length apart; an axis the dialog cannot name sweeps by
    // nothing, stacking every copy on its source.
    float d[3] = {0.0f, 0.0f, 0.0f};
    if (settings.axis >= 1 && settings.axis <= 3) {
        const float step = settings.length / 3.0f;
        d[settings.axis - 1] = settings.minus ? -step : step;
    }
    auto moved = [&d](ControlPoint p, float times) {
        p.x = p.x + times * d[0];
        p.y = p.y + times * d[1];
        p.z = p.z + times * d[2];
        return p;
    };
    // New handles and interior points carry only a position; copies keep every field.
    auto at = [&moved](const ControlPoint& from, float times) {
        ControlPoint p;
        p.x = from.x;
        p.y = from.y;
        p.z = from.z;
        return moved(p, times);
    };
    SweepSelectedCurves(
        *obj, doc.selectedAnchors, [&moved](const ControlPoint& p) { return moved(p, 3.0f); }, at,
        [&at](const ControlPoint& handle, const ControlPoint&, int row) {
            return at(handle, static_cast<float>(row));
        });

    SelectNewAnchors(doc, base);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

}  // namespace zarni
