// The background pictures of the document's six slots: loading a picture file into a slot
// (pixels and one texture shared by every view), clearing a slot, and loading the slots of a
// document that was read.
#pragma once

#include <string>
#include <vector>

#include "model/document.h"

namespace zarni {

// Loads the picture at `path` into slot `slot` (0..5). The slot takes the path as its file name
// even when the file cannot be read (the document then saves the name and tries again when it
// is opened next), and the new picture replaces the old one, whose pixels and texture are
// released. False with the reader's reason in `why` when the picture could not be read (the slot
// then shows nothing), or when the path is longer than a slot can store (then nothing changes).
bool LoadBackPicture(Document& doc, int slot, const std::string& path, std::string* why);

// Empties the slot's file name and releases its picture.
void ClearBackPictureSlot(Document& doc, int slot);

// Loads every slot that has a file name, after a document was read from `documentPath`. A
// stored path that does not exist is looked for under its file name beside the document (a
// path written on another machine); the stored name is kept either way. Returns one line per
// slot whose picture could not be loaded, for a single message.
std::vector<std::string> LoadDocumentPictures(Document& doc, const std::string& documentPath);

}  // namespace zarni
