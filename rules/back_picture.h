// Background pictures without a display: the picture a slot holds, reading it from a BMP file,
// the length a slot's file name may have, and where a stored picture path is looked for.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/history.h"
#include "formats/bitmap.h"

namespace zarni {

// The picture of a background slot: its pixels, top row first, red-green-blue. The drawing
// layer makes its texture from them and releases the texture once the picture is gone.
struct LoadedPicture {
    PicturePixels pixels;
    int32_t width() const { return pixels.width; }
    int32_t height() const { return pixels.height; }
};

// How the undo history sizes slot pictures and finds a picture it already holds.
PictureTraits SlotPictureTraits();

// Reads a BMP file into a picture; null with the reader's reason in `why` when it cannot.
std::shared_ptr<LoadedPicture> ReadBackPicture(const std::string& path, std::string* why);

// The longest file name a slot takes: what the document file can store. A longer path is
// refused rather than cut, so a saved document never names another file.
constexpr size_t kMaxBackPictureNameBytes = kMaxPictureNameBytes;
bool BackPictureNameFits(const std::string& path);

// The file name part of a stored path: the text after its last '/' or '\\' (a path written
// on Windows keeps its drive letter and backslashes).
std::string StoredFileName(const std::string& stored);

// Where the picture of a stored name is read from: the stored path when it names a file;
// otherwise a file of the same name in the folder of `documentPath` (also tried with the name
// converted from Shift_JIS when it is not UTF-8); otherwise the stored path itself.
std::string FindBackPictureFile(const std::string& stored, const std::string& documentPath);

// The slot's name as the preference page labels it ("Front", "Back", ...).
const char* BackSlotLabel(int slot);

// Loads `path` into the slot: the slot takes the path as its file name and the new picture
// (or none, when the file cannot be read) replaces the old one. A path too long for a slot
// changes nothing. False with a reason in `why` in both failure cases.
bool LoadSlotPicture(Document& doc, int slot, const std::string& path, std::string* why);
// Loads `file` into the slot while the slot keeps `storedName` as its file name.
bool LoadSlotPictureFrom(Document& doc, int slot, const std::string& storedName,
                         const std::string& file, std::string* why);
// Empties the slot's file name and releases its picture.
void ClearSlotPicture(Document& doc, int slot);
// Loads every slot that has a file name after the document was read from `documentPath`;
// one line per slot whose picture could not be loaded.
std::vector<std::string> LoadSlotPictures(Document& doc, const std::string& documentPath);

}  // namespace zarni
