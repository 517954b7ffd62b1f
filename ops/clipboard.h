// The program's own clipboard, deletion of the selection, and two steps shared by the
// modelling operations: selecting the anchors an operation made and removing duplicate curves.
#pragma once

#include <cstdint>

#include "model/document.h"

namespace zarni {

// The anchor selection becomes the anchors of the current object from `start` on, ascending;
// the last of them becomes the active point (kept when there is none).
void SelectNewAnchors(Document& doc, int32_t start);

// One pass that folds segments with equal p0..p3 into the first of them, renumbering patch
// edges.
void RemoveDuplicateSegments(Document& doc);

void CopySelection(Document& doc, Clipboard& clipboard);
void CutSelection(Document& doc, Clipboard& clipboard, const EditSwitches& sw);
void PasteClipboard(Document& doc, const Clipboard& clipboard, const EditSwitches& sw);
void DeleteSelection(Document& doc, const EditSwitches& sw);

}  // namespace zarni
