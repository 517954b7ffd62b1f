// Wavefront OBJ export: every patch tessellated as the views draw it, with every symmetry copy,
// the segments that belong to no patch as polylines, and a material file of the object colours.
#pragma once

#include <cstdint>
#include <string>

#include "model/document.h"

namespace zarni {

// The text of an OBJ file and of its material file.
struct ObjTexts {
    std::string obj;
    std::string mtl;
};

// The mesh of the document at subdivision `divLevel` (used as 1..20, like the views):
// - one "o" per object under its name (UTF-8; control characters become '_', an empty name
//   becomes "OBJ_" and the object's number) and one "usemtl" naming the material of its colour;
// - per symmetry copy, in the views' order: its vertices ("v"), the normals of its patches at
//   every grid point ("vn", from the surface, carried by the copy's rotation and mirror), the
//   N x N quads of every patch split into two triangles along the views' diagonal ("f v//vn")
//   and every segment that is an edge of no patch as a polyline ("l");
// - the triangles and their normals are those of BuildObjectMesh (formats/mesh.h): facing
//   outward on the program's closed shapes, counter-clockwise seen from the side of their
//   normals; a mirrored copy turns its winding so that it keeps facing the same side;
// - within a copy, the vertices along an edge (the same four control points, either way round)
//   and at a corner point are written once for all the patches and curves that meet there;
//   an edge whose four control points lie in one place is one vertex, and a triangle collapsed to
//   a line or a point is not written.
// `materialFileName` goes into the "mtllib" line. The material file holds one material per
// distinct object colour ("Kd"), named "color_RRGGBB" after its bytes.
ObjTexts ObjExportTexts(const Document& doc, int32_t divLevel, const std::string& materialFileName);

// The material file beside an OBJ file: the same path with the extension "mtl".
std::string MaterialPathFor(const std::string& objPath);

// Writes the material file (MaterialPathFor(path)) and then the OBJ file, each replacing an old
// file only once all of it was written. 0 written; -1 nothing written for a level outside 1..20
// or a damaged document, or a file could not be written (the reason in `why`; when the
// material file failed the OBJ file is not touched).
int ExportObj(const Document& doc, int32_t divLevel, const std::string& path,
              std::string* why = nullptr);

}  // namespace zarni
