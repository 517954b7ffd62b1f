// glTF 2.0 binary (.glb) export for viewers, engines and other modellers, written with TinyGLTF.
#pragma once

#include <cstdint>
#include <string>

#include "model/document.h"

namespace zarni {

// The bytes of a glTF 2.0 binary file of the document at subdivision `divLevel` (1..20):
// - one scene holding one node per object, named as in the OBJ export (UTF-8); an object with
//   triangles has one mesh of one indexed triangle primitive, every symmetry copy baked into it
//   in the views' order;
// - POSITION (with its min and max) and NORMAL (the surface's own unit normal, on the side the
//   triangles face); the triangles are those of the OBJ export (formats/mesh.h), counter-
//   clockwise seen from outside, a mirrored copy turning its winding. Within a copy a vertex
//   shared by patches along an edge is one glTF vertex wherever their normals agree;
// - one material per object colour: baseColorFactor the colour taken from sRGB to linear,
//   metallicFactor 0, roughnessFactor 0.5, double-sided.
// False with a reason, and `bytes` untouched, for a level outside 1..20, a damaged document or
// a mesh too large for the format.
bool GlbExportBytes(const Document& doc, int32_t divLevel, std::string* bytes,
                    std::string* why = nullptr);

// Writes that file through the durable writer. 0 written; -1 nothing written (and no
// temporary file left), the reason in `why`.
int ExportGlb(const Document& doc, int32_t divLevel, const std::string& path,
              std::string* why = nullptr);

// A colour component from the sRGB curve to linear light, as glTF's colour factors are.
double SrgbToLinear(double c);

}  // namespace zarni
