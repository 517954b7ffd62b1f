// Wavefront OBJ and MTL text of the document's patches, built once per object and written once
// per symmetry copy.
#include "formats/obj_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "formats/fixed_format.h"
#include "formats/mesh.h"
#include "formats/text_out.h"
#include "model/tessellation.h"
#include "platform/file_io.h"

namespace zarni {

namespace {

const char kCaption[] = "Zarni!_ver0.1a";

// Room for one WriteFixed6: a float's 39 integer digits, sign, point and six decimals.
constexpr size_t kFixed6MaxChars = 48;
// Room for one index: ten digits.
constexpr size_t kIndexMaxChars = 12;

// The bytes printf("%.6f", (double)v) gives. A float times 10^6 is exact in a double (24 + 20
// significant bits), so rounding that product to an integer, half to even, is the rounding
// printf applies to the decimal expansion.
char* WriteFixed6(char* out, float v) {
    const double scaled = static_cast<double>(v) * 1e6;
    const double magnitude = std::fabs(scaled);
    constexpr double kTwo52 = 4503599627370496.0;
    if (!(magnitude < kTwo52)) {  // huge, infinite or NaN
        const int n = std::snprintf(out, kFixed6MaxChars, "%.6f", static_cast<double>(v));
        return out + (n > 0 && static_cast<size_t>(n) < kFixed6MaxChars ? n : 0);
    }
    const uint64_t n = static_cast<uint64_t>((magnitude + kTwo52) - kTwo52);
    *out = '-';
    out += std::signbit(scaled);
    const uint64_t whole = n / 1000000;
    const unsigned frac = static_cast<unsigned>(n - whole * 1000000);
    if (whole < 10) {
        *out++ = static_cast<char>('0' + whole);
    } else {
        out = fixed_detail::WriteUnsigned(out, whole);
    }
    // ".ddd" of the first three decimals, then the digits of the last three.
    std::memcpy(out, fixed_detail::kDotFractions.data() + (frac / 1000) * 4, 4);
    std::memcpy(out + 4, fixed_detail::kDotFractions.data() + (frac % 1000) * 4 + 1, 3);
    return out + 7;
}

// Decimal digits of a positive index, written straight into place from its last digit.
char* WriteIndex(char* out, int64_t oneBased) {
    uint64_t v = static_cast<uint64_t>(oneBased);
    int digits = 1;
    for (uint64_t limit = 10; v >= limit && digits < 20; limit *= 10)
        ++digits;
    char* p = out + digits;
    while (v >= 100) {
        const unsigned pair = static_cast<unsigned>(v % 100) * 2;
        v /= 100;
        p -= 2;
        p[0] = fixed_detail::kDigitPairs[pair];
        p[1] = fixed_detail::kDigitPairs[pair + 1];
    }
    if (v >= 10) {
        p[-2] = fixed_detail::kDigitPairs[v * 2];
        p[-1] = fixed_detail::kDigitPairs[v * 2 + 1];
    } else {
        p[-1] = static_cast<char>('0' + v);
    }
    return out + digits;
}

// A colour component as the program's colour values hold it: the byte of 255 x c, truncated.
unsigned ColorByte(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    return static_cast<unsigned>(255.0f * c);
}

// The materials: one per distinct colour, in the order the objects first use them.
struct Materials {
    std::vector<std::string> names;    // by material
    std::vector<std::string> diffuse;  // "r g b" by material
    std::vector<size_t> ofObject;      // material of each object
};

std::string Fixed6(float v) {
    char text[kFixed6MaxChars];
    return std::string(text, WriteFixed6(text, v));
}

Materials CollectMaterials(const Document& doc) {
    Materials m;
    std::unordered_map<std::string, size_t> byDiffuse;
    std::unordered_map<std::string, int> nameUses;
    for (const PatchObject& obj : doc.objects) {
        const std::string kd =
            Fixed6(obj.color[0]) + " " + Fixed6(obj.color[1]) + " " + Fixed6(obj.color[2]);
        auto found = byDiffuse.find(kd);
        if (found == byDiffuse.end()) {
            char name[32];
            std::snprintf(name, sizeof name, "color_%02x%02x%02x", ColorByte(obj.color[0]),
                          ColorByte(obj.color[1]), ColorByte(obj.color[2]));
            std::string unique = name;
            // Colours closer than a byte apart keep their own materials.
            const int uses = ++nameUses[unique];
            if (uses > 1) unique += "_" + std::to_string(uses);
            found = byDiffuse.emplace(kd, m.names.size()).first;
            m.names.push_back(unique);
            m.diffuse.push_back(kd);
        }
        m.ofObject.push_back(found->second);
    }
    return m;
}

void WriteMtl(TextOut& out, const Materials& m) {
    out.Put(std::string("# ") + kCaption + "\n");
    for (size_t i = 0; i < m.names.size(); ++i) {
        out.Put("\nnewmtl " + m.names[i] + "\nKd " + m.diffuse[i] +
                "\nKa 0.000000 0.000000 0.000000\nKs 0.000000 0.000000 0.000000\nd 1\nillum 1\n");
    }
}

// The running totals of "v" and "vn" lines, which the indices count from.
struct Written {
    int64_t vertices = 0;
    int64_t normals = 0;
};

// The "%.6f" text of the magnitudes of a list of 3-vectors, formatted once: a copy that only
// mirrors (no turn, no move) changes signs alone, so its lines are these digits with the signs
// of the mirrored coordinates flipped, the very bytes formatting the negated value gives.
struct FormattedVectors {
    static constexpr size_t kSlot = 16;  // digits of magnitudes below 10^9
    std::vector<char> digits;            // one slot a coordinate
    std::vector<uint8_t> lengths;
    std::vector<uint8_t> negative;
    bool fits = true;  // every magnitude fitted its slot

    void Build(const std::vector<float>& values) {
        digits.resize(values.size() * kSlot);
        lengths.resize(values.size());
        negative.resize(values.size());
        for (size_t i = 0; i < values.size(); ++i) {
            char text[kFixed6MaxChars];
            negative[i] = std::signbit(values[i]);
            const size_t n = static_cast<size_t>(WriteFixed6(text, std::fabs(values[i])) - text);
            fits = fits && n <= kSlot;
            lengths[i] = static_cast<uint8_t>(std::min(n, kSlot));
            std::memcpy(digits.data() + i * kSlot, text, kSlot);
        }
    }
};

// Whether a copy only flips signs: the flips (1 X, 2 Y, 4 Z) when it does, -1 otherwise.
int SignFlips(const CopyTransform& t) {
    int flips = 0;
    for (int r = 0; r < 3; ++r) {
        if (t.offset[r] != 0.0f) return -1;
        for (int c = 0; c < 3; ++c) {
            const float m = t.linear[r * 3 + c];
            if (r != c ? m != 0.0f : (m != 1.0f && m != -1.0f)) return -1;
        }
        if (t.linear[r * 4] < 0.0f) flips |= 1 << r;
    }
    return flips;
}

void WriteVectors(TextOut& out, const char* tag, size_t tagLength, const std::vector<float>& values,
                  const FormattedVectors& formatted, const CopyTransform& t, bool offset) {
    const size_t count = values.size() / 3;
    const int flips = SignFlips(t);
    for (size_t i = 0; i < count; ++i) {
        char* p = out.Room(4 + 3 * kFixed6MaxChars);
        std::memcpy(p, tag, tagLength);
        p += tagLength;
        if (flips >= 0 && formatted.fits) {
            for (int k = 0; k < 3; ++k) {
                const size_t at = i * 3 + k;
                *p++ = ' ';
                *p = '-';
                p += formatted.negative[at] ^ ((flips >> k) & 1);
                // A whole slot is copied (the room allows it); only its digits count.
                std::memcpy(p, formatted.digits.data() + at * FormattedVectors::kSlot,
                            FormattedVectors::kSlot);
                p += formatted.lengths[at];
            }
        } else {
            float at[3];
            if (offset) {
                TransformPoint(t, values.data() + i * 3, at);
            } else {
                TransformDirection(t, values.data() + i * 3, at);
            }
            for (float c : at) {
                *p++ = ' ';
                p = WriteFixed6(p, c);
            }
        }
        *p++ = '\n';
        out.Commit(p);
    }
}

void WriteCopy(TextOut& out, const ObjectMesh& mesh, const FormattedVectors& vertexText,
               const FormattedVectors& normalText, const CopyTransform& t, Written& written) {
    const size_t vertexCount = mesh.vertices.size() / 3;
    const size_t normalCount = mesh.normals.size() / 3;
    WriteVectors(out, "v", 1, mesh.vertices, vertexText, t, true);
    WriteVectors(out, "vn", 2, mesh.normals, normalText, t, false);
    const int64_t v0 = written.vertices + 1, n0 = written.normals + 1;
    // A mirrored copy lists the corners the other way round.
    static const int kForward[3] = {0, 1, 2};
    static const int kBackward[3] = {0, 2, 1};
    const int* order = t.mirrored ? kBackward : kForward;
    const size_t triangleCount = mesh.triangles.size() / 6;
    for (size_t i = 0; i < triangleCount; ++i) {
        const int32_t* tri = mesh.triangles.data() + i * 6;
        char* p = out.Room(4 + 3 * (4 + 2 * kIndexMaxChars));
        *p++ = 'f';
        for (int k = 0; k < 3; ++k) {
            *p++ = ' ';
            p = WriteIndex(p, v0 + tri[order[k] * 2]);
            *p++ = '/';
            *p++ = '/';
            p = WriteIndex(p, n0 + tri[order[k] * 2 + 1]);
        }
        *p++ = '\n';
        out.Commit(p);
    }
    for (size_t i = 0; i < mesh.lines.size();) {
        const int32_t count = mesh.lines[i++];
        out.Literal("l");
        for (int32_t k = 0; k < count; ++k) {
            char* p = out.Room(2 + kIndexMaxChars);
            *p++ = ' ';
            p = WriteIndex(p, v0 + mesh.lines[i++]);
            out.Commit(p);
        }
        out.Literal("\n");
    }
    written.vertices += static_cast<int64_t>(vertexCount);
    written.normals += static_cast<int64_t>(normalCount);
}

void WriteObj(TextOut& out, const Document& doc, int32_t divLevel,
              const std::string& materialFileName, const Materials& materials) {
    out.Put(std::string("# ") + kCaption + "\n");
    out.Put("mtllib " + materialFileName + "\n");
    const int32_t steps = TessellationSteps(divLevel);
    Written written;
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        const PatchObject& obj = doc.objects[o];
        out.Put("\no " + MeshObjectName(obj, o) + "\nusemtl " +
                materials.names[materials.ofObject[o]] + "\n");
        const ObjectMesh mesh = BuildObjectMesh(obj, steps);
        FormattedVectors vertexText, normalText;
        vertexText.Build(mesh.vertices);
        normalText.Build(mesh.normals);
        ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
            WriteCopy(out, mesh, vertexText, normalText, SymmetryTransform(obj, copy), written);
        });
    }
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ObjTexts ObjExportTexts(const Document& doc, int32_t divLevel,
                        const std::string& materialFileName) {
    const Materials materials = CollectMaterials(doc);
    ObjTexts texts;
    {
        TextOut out(&texts.obj);
        WriteObj(out, doc, divLevel, materialFileName, materials);
        out.Flush();
    }
    TextOut out(&texts.mtl);
    WriteMtl(out, materials);
    out.Flush();
    return texts;
}

std::string MaterialPathFor(const std::string& objPath) {
    const size_t slash = objPath.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = objPath.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return objPath + ".mtl";
    return objPath.substr(0, dot) + ".mtl";
}

int ExportObj(const Document& doc, int32_t divLevel, const std::string& path, std::string* why) {
    const std::string problem = MeshExportProblem(doc, divLevel);
    if (!problem.empty()) {
        if (why) *why = problem;
        return -1;
    }
    const std::string mtlPath = MaterialPathFor(path);
    if (mtlPath == path) {
        if (why) *why = "the OBJ file and its material file would have the same name";
        return -1;
    }
    const Materials materials = CollectMaterials(doc);
    const auto write = [](const std::string& to, std::string* reason, auto body) {
        return WriteFileAtomically(
            to,
            [&](std::FILE* f) {
                TextOut out(f);
                body(out);
                out.Flush();
                return out.ok();
            },
            reason);
    };
    if (!write(mtlPath, why, [&](TextOut& out) { WriteMtl(out, materials); })) return -1;
    const std::string mtlName = FileNameOf(mtlPath);
    if (!write(path, why,
               [&](TextOut& out) { WriteObj(out, doc, divLevel, mtlName, materials); })) {
        return -1;
    }
    return 0;
}

}  // namespace zarni
