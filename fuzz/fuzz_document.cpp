// Fuzz target for the native document reader: reading and appending bytes from anywhere must
// either give a document that passes the invariant check and saves and reads back to the same
// bytes, or refuse with a reason and leave the document exactly as it was.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/native_file.h"
#include "model/document.h"
#include "model/invariants.h"

namespace {

using namespace zarni;

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_document: %s: %s\n", what, detail.c_str());
    std::abort();
}

// A document with something in it, so that a refused file has something to leave alone.
Document StartingDocument() {
    Document doc = NewDocument();
    CreateObject(doc);
    doc.view.fovy = 12.5f;  // not the default, within the views' range
    doc.backPictures[2].fileName = "picture.bmp";
    return doc;
}

void CheckRead(const std::string& bytes) {
    Document doc = StartingDocument();
    EditSwitches sw;
    Clipboard clipboard;
    static const std::string before = DocumentBytes(StartingDocument());
    std::string why;
    int loads = 0;
    const PictureLoader loader = [&loads](const std::string&) {
        ++loads;
        return std::shared_ptr<LoadedPicture>();
    };
    const int result = ReadDocumentBytes(doc, sw, clipboard, bytes, loader, &why);
    if (result != kFileOk) {
        if (why.empty()) Fail("read refused without a reason", DocumentFileResultText(result));
        if (DocumentBytes(doc) != before) Fail("refused read changed the document", why);
        if (loads != 0) Fail("refused read loaded pictures", why);
        return;
    }
    if (!DocumentInvariantsHold(doc, &why)) Fail("read document breaks an invariant", why);

    // What was read saves and reads back to the same bytes.
    const std::string saved = DocumentBytes(doc);
    Document again = NewDocument();
    Clipboard clipboard2;
    if (ReadDocumentBytes(again, sw, clipboard2, saved, {}, &why) != kFileOk) {
        Fail("saved document cannot be read back", why);
    }
    if (DocumentBytes(again) != saved) Fail("saved document reads back differently", "");
}

void CheckAppend(const std::string& bytes) {
    Document doc = StartingDocument();
    static const std::string before = DocumentBytes(StartingDocument());
    const int32_t count = doc.objectCount();
    std::string why;
    const int result = AppendDocumentBytes(doc, bytes, &why);
    if (result != kFileOk) {
        if (why.empty()) Fail("append refused without a reason", DocumentFileResultText(result));
        if (DocumentBytes(doc) != before) Fail("refused append changed the document", why);
        return;
    }
    if (doc.objectCount() < count) Fail("append lost objects", "");
    if (!DocumentInvariantsHold(doc, &why)) Fail("appended document breaks an invariant", why);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckRead(bytes);
    CheckAppend(bytes);
    return 0;
}
