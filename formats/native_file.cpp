// Writing and reading the native document file. Files from elsewhere are parsed and checked
// completely into scratch records before the document is touched, so a damaged file is
// refused with the document exactly as it was.
#include "formats/native_file.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "formats/settings_file.h"
#include "model/invariants.h"
#include "platform/file_io.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the native file is little-endian and is copied to and from memory as is");

namespace zarni {

namespace {

constexpr char kMagic[6] = {'Z', 'a', 'r', 'n', 'i', '!'};
constexpr uint32_t kViewBodySize = 76;
constexpr size_t kPointBytes = 17;
constexpr size_t kSegmentBytes = 16;
constexpr size_t kPatchBytes = 32;
constexpr size_t kSlotFixedBytes = 37;

// What one read may still reserve for its records; tests lower it to show that a document the
// memory cannot hold is refused whole (see SetReadMemoryLimitForTesting).
size_t g_readMemoryLimit = std::numeric_limits<size_t>::max();
size_t g_readMemoryUsed = 0;

// Counts `bytes` against the limit; throws std::bad_alloc, as the allocation itself would,
// past it.
void Charge(size_t bytes) {
    if (bytes > g_readMemoryLimit - g_readMemoryUsed) throw std::bad_alloc();
    g_readMemoryUsed += bytes;
}

template <typename T>
void Reserve(std::vector<T>& v, size_t n) {
    Charge(n * sizeof(T));
    v.reserve(n);
}

bool TagIs(const char* tag, const char* name) {
    return std::memcmp(tag, name, 4) == 0;
}

// ---------------------------------------------------------------------------------------------
// Writing

// Collects the file's bytes in a fixed buffer and hands full buffers to `out`, so a large
// document is written without holding all of its bytes in memory.
class ByteSink {
  public:
    // Writing to a file wants large blocks; writing into memory gains nothing from them, and a
    // large buffer per call costs more than the document's own bytes for small documents.
    static constexpr size_t kFileCapacity = size_t{1} << 20;
    static constexpr size_t kMemoryCapacity = size_t{1} << 14;

    ByteSink(std::function<bool(const char*, size_t)> out, size_t capacity)
        : capacity_(capacity), buffer_(new char[capacity]), out_(std::move(out)) {}

    // Room for `n` bytes (n <= kMemoryCapacity) at the end of the buffer; Advance(n) keeps them.
    char* Room(size_t n) {
        if (pos_ + n > capacity_) Flush();
        return buffer_.get() + pos_;
    }
    void Advance(size_t n) { pos_ += n; }

    void Bytes(const void* data, size_t n) {
        if (n == 0) return;  // an empty list's data() may be null, which memcpy must not get
        if (n > capacity_) {
            Flush();
            if (ok_ && !out_(static_cast<const char*>(data), n)) ok_ = false;
            return;
        }
        std::memcpy(Room(n), data, n);
        Advance(n);
    }
    void U8(uint8_t v) { Bytes(&v, 1); }
    void I32(int32_t v) { Bytes(&v, 4); }
    void U32(uint32_t v) { Bytes(&v, 4); }
    void F32(float v) { Bytes(&v, 4); }
    void Tag(const char* tag, uint32_t size) {
        Bytes(tag, 4);
        U32(size);
    }

    bool Flush() {
        if (pos_ > 0 && ok_ && !out_(buffer_.get(), pos_)) ok_ = false;
        pos_ = 0;
        return ok_;
    }

  private:
    size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    size_t pos_ = 0;
    std::function<bool(const char*, size_t)> out_;
    bool ok_ = true;
};

// A name cut to the one-byte length of the file, never inside a double-byte character.
std::string StoredText(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = 0;
    while (end < text.size()) {
        const auto c = static_cast<unsigned char>(text[end]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        const size_t width = lead ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return text.substr(0, end);
}

// A colour component as the byte the file stores: 255 x c truncated, kept inside 0..255.
uint8_t ColourByte(float c) {
    const float v = c * 255.0f;
    if (!(v > 0.0f)) return 0;  // also NaN
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(v);
}

void WriteObject(ByteSink& sink, const PatchObject& obj) {
    const std::string name = StoredText(obj.name, kMaxNameBytes);
    const size_t np = obj.points.size();
    const size_t ns = obj.segments.size();
    const size_t nq = obj.patches.size();
    const uint64_t body =
        name.size() + 37 + kPointBytes * np + kSegmentBytes * ns + kPatchBytes * nq;
    sink.Tag("nurb", static_cast<uint32_t>(body));
    sink.U8(static_cast<uint8_t>(name.size()));
    sink.Bytes(name.data(), name.size());
    sink.U8(ColourByte(obj.color[0]));
    sink.U8(ColourByte(obj.color[1]));
    sink.U8(ColourByte(obj.color[2]));
    sink.U8(static_cast<uint8_t>(obj.mirrorFlags & 0xFF));
    sink.I32(obj.windmillCount);
    sink.I32(obj.windmillAxis);
    sink.I32(obj.moveX);
    sink.I32(obj.moveY);
    sink.I32(obj.moveZ);

    sink.I32(static_cast<int32_t>(np));
    for (const ControlPoint& p : obj.points) {
        char* d = sink.Room(kPointBytes);
        std::memcpy(d, &p.x, 4);
        std::memcpy(d + 4, &p.y, 4);
        std::memcpy(d + 8, &p.z, 4);
        std::memcpy(d + 12, &p.anchor, 4);
        d[16] = static_cast<char>(p.layer);
        sink.Advance(kPointBytes);
    }
    sink.I32(static_cast<int32_t>(ns));
    for (const Segment& s : obj.segments) {
        char* d = sink.Room(kSegmentBytes);
        const int32_t v[4] = {s.p0, s.p1, s.p2, s.p3};
        std::memcpy(d, v, sizeof v);
        sink.Advance(kSegmentBytes);
    }
    sink.I32(static_cast<int32_t>(nq));
    for (const Patch& q : obj.patches) {
        char* d = sink.Room(kPatchBytes);
        const int32_t v[8] = {q.edge0,   q.edge1,   q.edge2,   q.edge3,
                              q.inner11, q.inner12, q.inner21, q.inner22};
        std::memcpy(d, v, sizeof v);
        sink.Advance(kPatchBytes);
    }
}

void WriteDocument(ByteSink& sink, const Document& doc) {
    sink.Bytes(kMagic, sizeof kMagic);
    sink.I32(doc.objectCount());
    for (const PatchObject& obj : doc.objects)
        WriteObject(sink, obj);

    const auto anchors = static_cast<uint32_t>(doc.selectedAnchors.size());
    const auto handles = static_cast<uint32_t>(doc.selectedHandles.size());
    sink.Tag("gsel", (anchors + 2 + handles) * 4 + 8);
    sink.I32(doc.currentObject);
    sink.I32(doc.activePoint);
    sink.I32(static_cast<int32_t>(anchors));
    sink.Bytes(doc.selectedAnchors.data(), anchors * 4);
    sink.I32(static_cast<int32_t>(handles));
    sink.Bytes(doc.selectedHandles.data(), handles * 4);

    std::array<std::string, kBackSlotCount> names;
    uint32_t backSize = 4 + kBackSlotCount * kSlotFixedBytes;
    for (int k = 0; k < kBackSlotCount; ++k) {
        names[k] = StoredText(doc.backPictures[k].fileName, kMaxPictureNameBytes);
        backSize += static_cast<uint32_t>(names[k].size());
    }
    sink.Tag("back", backSize);
    sink.I32(doc.pictureRatio);
    for (int k = 0; k < kBackSlotCount; ++k) {
        const BackPictureSlot& slot = doc.backPictures[k];
        sink.U8(static_cast<uint8_t>(names[k].size()));
        sink.Bytes(names[k].data(), names[k].size());
        for (const Vec3& v : {slot.scale, slot.rotation, slot.position}) {
            sink.F32(v.x);
            sink.F32(v.y);
            sink.F32(v.z);
        }
    }

    sink.Tag("view", kViewBodySize);
    sink.F32(doc.view.fovy);
    for (int k = 0; k < 6; ++k) {
        sink.F32(doc.view.orthoAltitude[k]);
        sink.F32(doc.view.orthoPan[k].x);
        sink.F32(doc.view.orthoPan[k].y);
    }
}

// ---------------------------------------------------------------------------------------------
// Reading

// Bounds-checked little-endian reads over a byte range; every read fails once the range is
// exhausted, so nothing is ever read past the end.
class ByteReader {
  public:
    ByteReader(const char* data, size_t size) : p_(data), left_(size) {}

    size_t Left() const { return left_; }
    const char* Here() const { return p_; }
    bool Skip(size_t n) {
        if (n > left_) return false;
        p_ += n;
        left_ -= n;
        return true;
    }
    bool Raw(void* out, size_t n) {
        if (n > left_) return false;
        if (n > 0) std::memcpy(out, p_, n);  // an empty list's data() may be null
        return Skip(n);
    }
    bool U8(uint8_t& v) { return Raw(&v, 1); }
    bool I32(int32_t& v) { return Raw(&v, 4); }
    bool U32(uint32_t& v) { return Raw(&v, 4); }
    bool F32(float& v) { return Raw(&v, 4); }
    bool Vec(Vec3& v) { return F32(v.x) && F32(v.y) && F32(v.z); }
    // A length-prefixed text; the program always cut its texts at the first NUL.
    bool Text(size_t n, std::string& out) {
        if (n > left_) return false;
        out.assign(p_, strnlen(p_, n));
        return Skip(n);
    }
    // A count of records of `recordBytes` each that must fit in what is left.
    bool Count(int32_t& n, size_t recordBytes) {
        return I32(n) && n >= 0 && static_cast<uint64_t>(n) * recordBytes <= left_;
    }

  private:
    const char* p_;
    size_t left_;
};

struct ParsedSelection {
    int32_t current = 0;
    int32_t active = -1;
    std::vector<int32_t> anchors;
    std::vector<int32_t> handles;
};

struct ParsedSlot {
    std::string fileName;
    Vec3 scale, rotation, position;
};

struct ParsedBack {
    int32_t ratio = 150;
    std::array<ParsedSlot, kBackSlotCount> slots;
};

struct ParsedView {
    float fovy = 0.0f;
    std::array<float, 6> altitude{};
    std::array<float, 6> panX{};
    std::array<float, 6> panY{};
};

struct ParsedFile {
    std::vector<PatchObject> objects;
    int32_t lastObjectChunk = -1;  // index of the last slot read from a "nurb" chunk
    std::optional<ParsedSelection> selection;
    std::optional<ParsedBack> back;
    std::optional<ParsedView> view;
};

int Damaged(std::string* why, const std::string& text) {
    if (why) *why = text;
    return kFileDamaged;
}

// Reads one object's body; `indicesValid` tells whether every index it holds is in range.
// The records are checked while they are read, when they are in the cache anyway.
bool ParseObjectBody(ByteReader& r, PatchObject& obj, bool& indicesValid) {
    uint8_t nameLength = 0;
    if (!r.U8(nameLength) || !r.Text(nameLength, obj.name)) return false;
    uint8_t rgb[3], flags;
    if (!r.Raw(rgb, 3) || !r.U8(flags)) return false;
    obj.color = {rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 0.0f};
    obj.mirrorFlags = flags;
    if (!r.I32(obj.windmillCount) || !r.I32(obj.windmillAxis) || !r.I32(obj.moveX) ||
        !r.I32(obj.moveY) || !r.I32(obj.moveZ)) {
        return false;
    }
    if (obj.windmillCount == 0) obj.windmillCount = 1;

    // An index is valid when it is below the count; comparing as unsigned also refuses
    // negative indices (anchors use any negative value for "none" and are tested apart).
    int32_t n = 0;
    if (!r.Count(n, kPointBytes)) return false;
    const auto pointCount = static_cast<uint32_t>(n);
    bool valid = true;
    Reserve(obj.points, static_cast<size_t>(n));
    AdviseHugePages(obj.points.data(), obj.points.capacity() * sizeof(ControlPoint));
    const char* d = r.Here();
    for (int32_t i = 0; i < n; ++i, d += kPointBytes) {
        ControlPoint p;
        std::memcpy(&p.x, d, 4);
        std::memcpy(&p.y, d + 4, 4);
        std::memcpy(&p.z, d + 8, 4);
        std::memcpy(&p.anchor, d + 12, 4);
        p.layer = static_cast<uint8_t>(d[16]);
        valid &= p.anchor < n;
        obj.points.push_back(p);
    }
    r.Skip(n * kPointBytes);

    if (!r.Count(n, kSegmentBytes)) return false;
    const auto segmentCount = static_cast<uint32_t>(n);
    Reserve(obj.segments, static_cast<size_t>(n));
    AdviseHugePages(obj.segments.data(), obj.segments.capacity() * sizeof(Segment));
    d = r.Here();
    for (int32_t i = 0; i < n; ++i, d += kSegmentBytes) {
        uint32_t v[4];
        std::memcpy(v, d, sizeof v);
        valid &=
            (v[0] < pointCount) & (v[1] < pointCount) & (v[2] < pointCount) & (v[3] < pointCount);
        Segment s;
        s.p0 = static_cast<int32_t>(v[0]);
        s.p1 = static_cast<int32_t>(v[1]);
        s.p2 = static_cast<int32_t>(v[2]);
        s.p3 = static_cast<int32_t>(v[3]);
        obj.segments.push_back(s);
    }
    r.Skip(n * kSegmentBytes);

    if (!r.Count(n, kPatchBytes)) return false;
    Reserve(obj.patches, static_cast<size_t>(n));
    AdviseHugePages(obj.patches.data(), obj.patches.capacity() * sizeof(Patch));
    d = r.Here();
    for (int32_t i = 0; i < n; ++i, d += kPatchBytes) {
        uint32_t v[8];
        std::memcpy(v, d, sizeof v);
        valid &= (v[0] < segmentCount) & (v[1] < segmentCount) & (v[2] < segmentCount) &
                 (v[3] < segmentCount) & (v[4] < pointCount) & (v[5] < pointCount) &
                 (v[6] < pointCount) & (v[7] < pointCount);
        Patch q;
        q.edge0 = static_cast<int32_t>(v[0]);
        q.edge1 = static_cast<int32_t>(v[1]);
        q.edge2 = static_cast<int32_t>(v[2]);
        q.edge3 = static_cast<int32_t>(v[3]);
        q.inner11 = static_cast<int32_t>(v[4]);
        q.inner12 = static_cast<int32_t>(v[5]);
        q.inner21 = static_cast<int32_t>(v[6]);
        q.inner22 = static_cast<int32_t>(v[7]);
        obj.patches.push_back(q);
    }
    r.Skip(n * kPatchBytes);
    indicesValid = valid;
    return true;
}

bool ParseList(ByteReader& r, std::vector<int32_t>& list) {
    int32_t n = 0;
    if (!r.Count(n, 4)) return false;
    Charge(static_cast<size_t>(n) * sizeof(int32_t));
    list.resize(n);
    return r.Raw(list.data(), n * size_t{4});
}

bool ParseSelection(ByteReader& r, ParsedSelection& sel) {
    return r.I32(sel.current) && r.I32(sel.active) && ParseList(r, sel.anchors) &&
           ParseList(r, sel.handles);
}

bool ParseBack(ByteReader& r, ParsedBack& back) {
    if (!r.I32(back.ratio)) return false;
    for (ParsedSlot& slot : back.slots) {
        uint8_t n = 0;
        if (!r.U8(n) || !r.Text(n, slot.fileName) || !r.Vec(slot.scale) || !r.Vec(slot.rotation) ||
            !r.Vec(slot.position)) {
            return false;
        }
    }
    return true;
}

bool ParseView(ByteReader& r, ParsedView& view) {
    if (!r.F32(view.fovy)) return false;
    for (int k = 0; k < 6; ++k) {
        if (!r.F32(view.altitude[k]) || !r.F32(view.panX[k]) || !r.F32(view.panY[k])) {
            return false;
        }
    }
    return true;
}

// Drops repeated entries, keeping the first; a file may list a point twice, the editor never.
void RemoveRepeats(std::vector<int32_t>& list, int32_t pointCount) {
    std::vector<bool> seen(static_cast<size_t>(pointCount), false);
    size_t out = 0;
    for (int32_t i : list) {
        if (seen[i]) continue;
        seen[i] = true;
        list[out++] = i;
    }
    list.resize(out);
}

// Checks a selection chunk against the object it names (`current`, already converted to an
// index) and repairs what is harmless: a negative active point means none, repeats go.
int CheckSelection(ParsedSelection& sel, const std::vector<const PatchObject*>& objects,
                   std::string* why) {
    if (sel.current < 0 || sel.current >= static_cast<int32_t>(objects.size())) {
        return Damaged(why, "the selection names object " + std::to_string(sel.current) + " of " +
                                std::to_string(objects.size()));
    }
    const int32_t np = objects[sel.current]->pointCount();
    if (sel.active < 0) sel.active = -1;
    if (sel.active >= np) {
        return Damaged(why, "the active point " + std::to_string(sel.active) +
                                " is outside object " + std::to_string(sel.current));
    }
    for (const std::vector<int32_t>* list : {&sel.anchors, &sel.handles}) {
        for (int32_t i : *list) {
            if (i < 0 || i >= np) {
                return Damaged(why, "the selection names point " + std::to_string(i) +
                                        " outside object " + std::to_string(sel.current));
            }
        }
    }
    RemoveRepeats(sel.anchors, np);
    RemoveRepeats(sel.handles, np);
    return kFileOk;
}

// Parses everything after the magic. `appending` reads only what an append uses: the
// objects and the selection; "back" and "view" are then skipped like unknown chunks.
int ParseBody(ByteReader& r, bool appending, ParsedFile& file, std::string* why) {
    int32_t count = 0;
    if (!r.I32(count)) return Damaged(why, "the file ends before its object count");
    if (count < 0 || static_cast<uint64_t>(count) * 8 > r.Left()) {
        return Damaged(why,
                       "the object count " + std::to_string(count) + " does not fit in the file");
    }
    Charge(static_cast<size_t>(count) * sizeof(PatchObject));
    file.objects.resize(count);
    for (int32_t i = 0; i < count; ++i) {
        char tag[4];
        uint32_t size = 0;
        if (!r.Raw(tag, 4) || !r.U32(size)) {
            return Damaged(why, "the file ends before object " + std::to_string(i));
        }
        if (size > r.Left()) {
            return Damaged(why, "object " + std::to_string(i) + " is cut short");
        }
        ByteReader body(r.Here(), size);
        r.Skip(size);
        PatchObject& obj = file.objects[i];
        if (!TagIs(tag, "nurb")) {
            // An unknown chunk in an object's place leaves that object empty.
            obj.windmillAxis = 0;
            continue;
        }
        bool indicesValid = false;
        if (!ParseObjectBody(body, obj, indicesValid)) {
            return Damaged(why, "object " + std::to_string(i) + " is cut short");
        }
        if (body.Left() != 0) {
            return Damaged(why, "object " + std::to_string(i) + " is shorter than its chunk says");
        }
        std::string bad;
        if (!indicesValid && !ObjectIndicesValid(obj, &bad)) {
            return Damaged(why, "object " + std::to_string(i) + ": " + bad);
        }
        file.lastObjectChunk = i;
    }

    while (r.Left() > 0) {
        char tag[4];
        uint32_t size = 0;
        if (!r.Raw(tag, 4) || !r.U32(size) || size > r.Left()) {
            return Damaged(why, "the file ends inside a chunk");
        }
        ByteReader body(r.Here(), size);
        r.Skip(size);
        bool parsed = true;
        if (TagIs(tag, "gsel")) {
            file.selection.emplace();
            parsed = ParseSelection(body, *file.selection);
        } else if (TagIs(tag, "back") && !appending) {
            file.back.emplace();
            parsed = ParseBack(body, *file.back);
        } else if (TagIs(tag, "view") && !appending) {
            file.view.emplace();
            parsed = ParseView(body, *file.view);
        } else {
            continue;  // chunks of other kinds are skipped by their size
        }
        if (!parsed || body.Left() != 0) {
            return Damaged(why,
                           "the \"" + std::string(tag, 4) + "\" chunk does not match its size");
        }
    }
    return kFileOk;
}

int CheckMagic(ByteReader& r, std::string* why) {
    char magic[6];
    if (!r.Raw(magic, 6) || std::memcmp(magic, kMagic, 6) != 0) {
        if (why) *why = "not a Zarni! document";
        return kFileWrongMagic;
    }
    return kFileOk;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

std::string DocumentBytes(const Document& doc) {
    std::string bytes;
    ByteSink sink(
        [&bytes](const char* data, size_t n) {
            bytes.append(data, n);
            return true;
        },
        ByteSink::kMemoryCapacity);
    WriteDocument(sink, doc);
    sink.Flush();
    return bytes;
}

int WriteDocumentFile(const Document& doc, const std::string& path, std::string* why) {
    const bool ok = WriteFileAtomically(
        path,
        [&doc](std::FILE* f) {
            ByteSink sink(
                [f](const char* data, size_t n) { return std::fwrite(data, 1, n, f) == n; },
                ByteSink::kFileCapacity);
            WriteDocument(sink, doc);
            return sink.Flush();
        },
        why);
    return ok ? kFileOk : kFileCannotOpen;
}

namespace {

int NoMemory(std::string* why) {
    if (why) *why = "the document needs more memory than is available";
    return kFileNoMemory;
}

// Builds an object's caches, counted against the read's limit.
void BuildCaches(PatchObject& obj) {
    RebuildObjectCaches(obj);
    Charge((obj.segmentCache.capacity() + obj.patchCache.capacity()) * sizeof(float));
}

// Everything that allocates happens before the document is touched; what follows is moves and
// clears, which cannot fail, so a read either replaces the document whole or leaves it as it
// was, allocation failure included.
int ReadDocumentSpan(Document& doc, EditSwitches& sw, Clipboard& clipboard, const char* data,
                     size_t size, const PictureLoader& loader, std::string* why) {
    g_readMemoryUsed = 0;
    ByteReader r(data, size);
    if (int result = CheckMagic(r, why); result != kFileOk) return result;
    ParsedFile file;
    if (int result = ParseBody(r, false, file, why); result != kFileOk) return result;

    // A document always holds an object; a file without any opens with a new empty one.
    const bool noObjects = file.objects.empty();
    PatchObject placeholder;
    std::vector<const PatchObject*> objects;
    for (const PatchObject& obj : file.objects)
        objects.push_back(&obj);
    if (noObjects) objects.push_back(&placeholder);
    if (file.selection) {
        ParsedSelection& sel = *file.selection;
        // The deactivated form -(i+1) is read as the active object i.
        if (sel.current < 0) sel.current = -(sel.current + 1);
        if (int result = CheckSelection(sel, objects, why); result != kFileOk) return result;
    }

    for (PatchObject& obj : file.objects)
        BuildCaches(obj);
    // The new empty object of a file without any, made as CreateObject makes it.
    Document fresh;
    if (noObjects) {
        fresh.objectSerial = doc.objectSerial;
        CreateObject(fresh);
    }
    std::array<std::shared_ptr<LoadedPicture>, kBackSlotCount> pictures;
    if (file.back && loader) {
        for (int k = 0; k < kBackSlotCount; ++k) {
            if (!file.back->slots[k].fileName.empty())
                pictures[k] = loader(file.back->slots[k].fileName);
        }
    }

    // Everything is checked and built; from here on the document is replaced.
    ClearDocument(doc, clipboard);
    if (noObjects) {
        doc.objects = std::move(fresh.objects);
        doc.objectSerial = fresh.objectSerial;
        doc.currentObject = 0;
    } else {
        doc.objects = std::move(file.objects);
        doc.currentObject = file.lastObjectChunk >= 0 ? file.lastObjectChunk : 0;
    }
    if (file.selection) {
        ParsedSelection& sel = *file.selection;
        doc.currentObject = sel.current;
        doc.activePoint = sel.active;
        doc.selectedAnchors = std::move(sel.anchors);
        doc.selectedHandles = std::move(sel.handles);
        if (sel.active >= 0) {
            sw.handleMode = doc.objects[sel.current].points[sel.active].anchor >= 0 ? 1 : 0;
        }
    }
    if (file.back) {
        doc.pictureRatio = file.back->ratio;
        for (int k = 0; k < kBackSlotCount; ++k) {
            ParsedSlot& from = file.back->slots[k];
            BackPictureSlot& slot = doc.backPictures[k];
            slot.fileName = std::move(from.fileName);
            slot.scale = from.scale;
            slot.rotation = from.rotation;
            slot.position = from.position;
            slot.picture = std::move(pictures[k]);
        }
    }
    if (file.view) {
        // Held as the settings are: a field of view of 0 or a camera on its target draws
        // nothing, and a pan that is no number takes the view with it.
        const ViewSettings start;
        auto finite = [](float v) { return std::isfinite(v) ? v : 0.0f; };
        doc.view.fovy = HeldFovy(file.view->fovy, start.fovy);
        for (int k = 0; k < 6; ++k) {
            doc.view.orthoAltitude[k] =
                HeldAltitude(file.view->altitude[k], start.orthoAltitude[k]);
            doc.view.orthoPan[k].x = finite(file.view->panX[k]);
            doc.view.orthoPan[k].y = finite(file.view->panY[k]);
        }
    }
    return kFileOk;
}

int AppendDocumentSpan(Document& doc, const char* data, size_t size, std::string* why) {
    g_readMemoryUsed = 0;
    ByteReader r(data, size);
    if (int result = CheckMagic(r, why); result != kFileOk) return result;
    ParsedFile file;
    if (int result = ParseBody(r, true, file, why); result != kFileOk) return result;

    const int32_t base = doc.objectCount();
    std::vector<const PatchObject*> objects;
    for (const PatchObject& obj : doc.objects)
        objects.push_back(&obj);
    for (const PatchObject& obj : file.objects)
        objects.push_back(&obj);
    if (file.selection) {
        ParsedSelection& sel = *file.selection;
        // Appending adds the present count to the stored index as it is, deactivated or not.
        const int64_t current = int64_t{sel.current} + base;
        sel.current = current > INT32_MAX ? -1 : static_cast<int32_t>(current);
        if (int result = CheckSelection(sel, objects, why); result != kFileOk) return result;
    }

    for (PatchObject& obj : file.objects)
        BuildCaches(obj);
    Charge(file.objects.size() * sizeof(PatchObject));
    doc.objects.reserve(doc.objects.size() + file.objects.size());
    // From here on nothing allocates: the objects move into the room reserved for them.
    for (PatchObject& obj : file.objects)
        doc.objects.push_back(std::move(obj));
    if (file.lastObjectChunk >= 0) doc.currentObject = base + file.lastObjectChunk;
    if (file.selection) {
        doc.currentObject = file.selection->current;
        doc.activePoint = file.selection->active;
        doc.selectedAnchors = std::move(file.selection->anchors);
        doc.selectedHandles = std::move(file.selection->handles);
    }
    return kFileOk;
}

int ReadSpanOrRefuse(Document& doc, EditSwitches& sw, Clipboard& clipboard, const char* data,
                     size_t size, const PictureLoader& loader, std::string* why) {
    try {
        return ReadDocumentSpan(doc, sw, clipboard, data, size, loader, why);
    } catch (const std::bad_alloc&) {
        return NoMemory(why);
    }
}

int AppendSpanOrRefuse(Document& doc, const char* data, size_t size, std::string* why) {
    try {
        return AppendDocumentSpan(doc, data, size, why);
    } catch (const std::bad_alloc&) {
        return NoMemory(why);
    }
}

}  // namespace

void SetReadMemoryLimitForTesting(size_t bytes) {
    g_readMemoryLimit = bytes;
}

int ReadDocumentBytes(Document& doc, EditSwitches& sw, Clipboard& clipboard,
                      const std::string& bytes, const PictureLoader& loader, std::string* why) {
    return ReadSpanOrRefuse(doc, sw, clipboard, bytes.data(), bytes.size(), loader, why);
}

int AppendDocumentBytes(Document& doc, const std::string& bytes, std::string* why) {
    return AppendSpanOrRefuse(doc, bytes.data(), bytes.size(), why);
}

int ReadDocumentFile(Document& doc, EditSwitches& sw, Clipboard& clipboard, const std::string& path,
                     const PictureLoader& loader, std::string* why) {
    FileBytes file;
    if (!file.Open(path, why)) return kFileCannotOpen;
    return ReadSpanOrRefuse(doc, sw, clipboard, file.data(), file.size(), loader, why);
}

int AppendDocumentFile(Document& doc, const std::string& path, std::string* why) {
    FileBytes file;
    if (!file.Open(path, why)) return kFileCannotOpen;
    return AppendSpanOrRefuse(doc, file.data(), file.size(), why);
}

const char* DocumentFileResultText(int result) {
    switch (result) {
        case kFileOk:
            return "read";
        case kFileCannotOpen:
            return "cannot be opened";
        case kFileWrongMagic:
            return "is not a Zarni! document";
        case kFileDamaged:
            return "is damaged";
        case kFileNoMemory:
            return "needs more memory than is available";
        default:
            return "failed";
    }
}

}  // namespace zarni
