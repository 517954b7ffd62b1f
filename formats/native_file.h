// The native document file: "Zarni!" magic, an object count, one "nurb" chunk per object and
// the trailing "gsel", "back" and "view" chunks, all little-endian without padding.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "model/document.h"

namespace zarni {

// Results of the readers and the writer.
enum DocumentFileResult : int {
    kFileOk = 0,
    kFileCannotOpen = -1,  // cannot be opened (read) or created/written (write)
    kFileWrongMagic = 1,   // not a document of this program
    kFileDamaged = 2,      // a document whose contents are inconsistent or cut short
    kFileNoMemory = 3,     // a document the memory cannot hold (the document is left as it was)
};

// Loads the picture named in a "back" slot; returns nullptr when it cannot. Until pictures
// are loaded by the pictures layer, readers are given no loader and the slot keeps its name
// without a picture.
using PictureLoader = std::function<std::shared_ptr<LoadedPicture>(const std::string& fileName)>;

// The bytes of the whole document as the writer stores them.
std::string DocumentBytes(const Document& doc);

// Writes the document; the previous file at `path` survives any failure.
int WriteDocumentFile(const Document& doc, const std::string& path, std::string* why = nullptr);

// Replaces the document by the file's contents. On any result but kFileOk the document,
// switches and clipboard are exactly as before and `why` says what is wrong.
int ReadDocumentFile(Document& doc, EditSwitches& sw, Clipboard& clipboard, const std::string& path,
                     const PictureLoader& loader = {}, std::string* why = nullptr);

// Adds the file's objects after the present ones; the selection follows the file's "gsel".
int AppendDocumentFile(Document& doc, const std::string& path, std::string* why = nullptr);

// The same readers over bytes already in memory (the file variants call these).
int ReadDocumentBytes(Document& doc, EditSwitches& sw, Clipboard& clipboard,
                      const std::string& bytes, const PictureLoader& loader = {},
                      std::string* why = nullptr);
int AppendDocumentBytes(Document& doc, const std::string& bytes, std::string* why = nullptr);

// A short text for a result code, for messages.
const char* DocumentFileResultText(int result);

// Lets each read reserve at most `bytes` for its records and caches, failing past that as an
// allocation would; SIZE_MAX (no limit) is what the program runs with.
void SetReadMemoryLimitForTesting(size_t bytes);

}  // namespace zarni
