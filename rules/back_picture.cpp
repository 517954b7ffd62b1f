// Background pictures without a display: reading a slot's picture, the name rules and the
// search for a stored picture path.
#include "rules/back_picture.h"

#include <sys/stat.h>

#include "platform/cp932.h"

namespace zarni {

namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Whether the bytes are well-formed UTF-8 (a name written on this system is; one written on
// Windows is Shift_JIS unless it is plain ASCII).
bool IsUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
        } else if (c >= 0x80) {
            return false;
        }
        if (s.size() - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

bool ValidSlot(int slot) {
    return slot >= 0 && slot < kBackSlotCount;
}

size_t PictureBytes(const LoadedPicture& p) {
    return sizeof(LoadedPicture) + p.pixels.rgb.size();
}

bool SamePixels(const LoadedPicture& a, const LoadedPicture& b) {
    return &a == &b || (a.pixels.width == b.pixels.width && a.pixels.height == b.pixels.height &&
                        a.pixels.rgb == b.pixels.rgb);
}

}  // namespace

PictureTraits SlotPictureTraits() {
    return {&PictureBytes, &SamePixels};
}

std::shared_ptr<LoadedPicture> ReadBackPicture(const std::string& path, std::string* why) {
    std::optional<BitmapImage> image = ReadBitmapFile(path, why);
    if (!image) return nullptr;
    auto picture = std::make_shared<LoadedPicture>();
    picture->pixels = MakePicturePixels(*image);
    if (picture->pixels.width <= 0 || picture->pixels.height <= 0) {
        if (why) *why = "the picture has no pixels";
        return nullptr;
    }
    return picture;
}

bool BackPictureNameFits(const std::string& path) {
    return path.size() <= kMaxBackPictureNameBytes;
}

std::string StoredFileName(const std::string& stored) {
    const size_t cut = stored.find_last_of("/\\");
    return cut == std::string::npos ? stored : stored.substr(cut + 1);
}

std::string FindBackPictureFile(const std::string& stored, const std::string& documentPath) {
    if (stored.empty() || IsFile(stored)) return stored;
    const std::string name = StoredFileName(stored);
    if (name.empty()) return stored;
    const size_t cut = documentPath.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : documentPath.substr(0, cut);
    const std::string beside = folder + "/" + name;
    if (IsFile(beside)) return beside;
    if (!IsUtf8(name)) {
        const std::string converted = folder + "/" + Cp932ToUtf8(name);
        if (IsFile(converted)) return converted;
    }
    return stored;
}

const char* BackSlotLabel(int slot) {
    static const char* const kLabels[kBackSlotCount] = {"Front", "Back", "Left",
                                                        "Right", "Top",  "Bottom"};
    return ValidSlot(slot) ? kLabels[slot] : "?";
}

bool LoadSlotPictureFrom(Document& doc, int slot, const std::string& storedName,
                         const std::string& file, std::string* why) {
    if (!ValidSlot(slot)) {
        if (why) *why = "no background slot " + std::to_string(slot);
        return false;
    }
    if (!BackPictureNameFits(storedName)) {
        if (why) {
            *why = "the path is " + std::to_string(storedName.size()) +
                   " bytes long; a background picture's path may have at most " +
                   std::to_string(kMaxBackPictureNameBytes);
        }
        return false;
    }
    BackPictureSlot& s = doc.backPictures[slot];
    s.fileName = storedName;
    // The old picture goes first, so the two are never held together.
    s.picture.reset();
    s.picture = ReadBackPicture(file, why);
    return s.picture != nullptr;
}

bool LoadSlotPicture(Document& doc, int slot, const std::string& path, std::string* why) {
    return LoadSlotPictureFrom(doc, slot, path, path, why);
}

void ClearSlotPicture(Document& doc, int slot) {
    if (!ValidSlot(slot)) return;
    doc.backPictures[slot].fileName.clear();
    doc.backPictures[slot].picture.reset();
}

std::vector<std::string> LoadSlotPictures(Document& doc, const std::string& documentPath) {
    std::vector<std::string> failures;
    for (int k = 0; k < kBackSlotCount; ++k) {
        const std::string stored = doc.backPictures[k].fileName;
        if (stored.empty()) continue;
        std::string why;
        const std::string file = FindBackPictureFile(stored, documentPath);
        if (!LoadSlotPictureFrom(doc, k, stored, file, &why)) {
            failures.push_back(std::string(BackSlotLabel(k)) + ": " + stored + " (" + why + ")");
        }
    }
    return failures;
}

}  // namespace zarni
