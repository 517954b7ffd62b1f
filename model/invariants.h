// Consistency checks of objects and documents: used by the file reader on files from
// elsewhere and by the tests after every operation.
#pragma once

#include <string>

#include "model/document.h"

namespace zarni {

// Every segment point, patch edge and interior point and every non-negative anchor is a valid
// index of the object. On failure `why` (when given) names the first bad record.
bool ObjectIndicesValid(const PatchObject& obj, std::string* why = nullptr);

// The whole document: every object's indices, caches sized to the counts, a current object in
// range (or its deactivated form), and an active point and selection lists inside the current
// object without duplicates.
bool DocumentInvariantsHold(const Document& doc, std::string* why = nullptr);

}  // namespace zarni
