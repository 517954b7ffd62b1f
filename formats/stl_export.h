// Binary STL export for slicers: the triangles of every patch of every object and symmetry copy.
#pragma once

#include <cstdint>
#include <string>

#include "model/document.h"

namespace zarni {

// The bytes of a binary STL file of the document at subdivision `divLevel` (1..20): an 80-byte
// header that does not begin with "solid" (which readers take for the text form), the triangle
// count, and per triangle its unit facet normal, its three corners (little-endian floats) and a
// zero attribute word. The triangles are those of the OBJ export (formats/mesh.h), copy after
// copy in the views' order, counter-clockwise seen from outside; a mirrored copy turns its
// winding. False with a reason, and `bytes` untouched, for a level outside 1..20, a damaged
// document or more triangles than the format counts.
bool StlExportBytes(const Document& doc, int32_t divLevel, std::string* bytes,
                    std::string* why = nullptr);

// Writes that file through the durable writer. 0 written; -1 nothing written (and no
// temporary file left), the reason in `why`.
int ExportStl(const Document& doc, int32_t divLevel, const std::string& path,
              std::string* why = nullptr);

}  // namespace zarni
