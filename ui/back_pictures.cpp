// The background pictures of the document's slots, loaded and cleared for the windows: the
// pictures layer does the work, the views are asked to show the result.
#include "ui/back_pictures.h"

#include "rules/back_picture.h"
#include "ui/views.h"

namespace zarni {

bool LoadBackPicture(Document& doc, int slot, const std::string& path, std::string* why) {
    const bool loaded = LoadSlotPicture(doc, slot, path, why);
    RedrawAllViews();
    return loaded;
}

void ClearBackPictureSlot(Document& doc, int slot) {
    ClearSlotPicture(doc, slot);
    RedrawAllViews();
}

std::vector<std::string> LoadDocumentPictures(Document& doc, const std::string& documentPath) {
    std::vector<std::string> failures = LoadSlotPictures(doc, documentPath);
    RedrawAllViews();
    return failures;
}

}  // namespace zarni
