// Ready-made geometry for the Model menu: the four- and eight-arc circles and the sphere.
#pragma once

#include <array>

#include "model/document.h"

namespace zarni {

// Handle distance, as a fraction of the radius, that makes one cubic segment a circular arc of
// 2*pi/n, indexed by n. These are the program's own rounded values (0.552 rather than 0.5523),
// so every circle, sphere and lathe keeps the shape documents were always built with.
inline constexpr std::array<float, 19> ArcHandleFactor{{
    1.0f,   1.0f,   1.0f,   0.768f, 0.552f, 0.433f, 0.357f, 0.303f, 0.265f, 0.235f,  //
    0.211f, 0.192f, 0.176f, 0.162f, 0.151f, 0.140f, 0.131f, 0.123f, 0.116f,          //
}};

// A unit circle of 4 arcs in the XZ plane appended to the current object; its anchors become
// the selection.
void AddCircle4(Document& doc, const EditSwitches& sw);

// The same with 8 arcs.
void AddCircle8(Document& doc, const EditSwitches& sw);

// A closed unit sphere: a half circle in the XY plane lathed a full turn about Y in 4 steps.
// Every anchor of the sphere becomes the selection.
void AddSphere(Document& doc, const EditSwitches& sw);

}  // namespace zarni
