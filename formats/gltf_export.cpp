// glTF 2.0 binary: the shared object meshes welded into indexed vertices, the model's JSON
// written by TinyGLTF, and the BIN chunk streamed copy by copy from the welded meshes.
#include "formats/gltf_export.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

#include "formats/mesh.h"
#include "platform/files.h"

namespace zarni {

namespace {

const char kGenerator[] = "Zarni!_ver0.1a";

// The buffer is filled with the machine's own floats and integers; glTF's are little-endian.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "glTF buffers are little-endian");

// The buffer's offsets and the file's chunk lengths are 32-bit (the library keeps offsets in
// an int); what is left below 2 GiB holds the JSON chunk.
constexpr uint64_t kMaxBufferBytes = 2000000000ull;

// Two patches' normals at a shared vertex closer than this (cos 0.25 degrees) are one smooth
// surface, and the vertex one glTF vertex with the first patch's normal.
constexpr float kSameNormal = 0.99999f;

// An object's glTF vertices before any copy: the mesh vertex and the normal of each, and the
// triangles over them.
struct Welded {
    std::vector<int32_t> position;
    std::vector<int32_t> normal;
    std::vector<uint32_t> indices;  // 3 a triangle, in the mesh's winding
};

Welded Weld(const ObjectMesh& mesh) {
    Welded w;
    std::vector<int32_t> first(mesh.vertexCount(), -1);  // first glTF vertex of a mesh vertex
    std::vector<int32_t> next;                           // the next glTF vertex of the same one
    const float* normals = mesh.normals.data();
    ReserveFilledOnce(w.indices, mesh.triangleCount() * 3);
    ReserveFilledOnce(w.position, mesh.vertexCount() * 2);
    ReserveFilledOnce(w.normal, mesh.vertexCount() * 2);
    ReserveFilledOnce(next, mesh.vertexCount() * 2);
    for (size_t c = 0; c < mesh.triangles.size(); c += 2) {
        const int32_t v = mesh.triangles[c], n = mesh.triangles[c + 1];
        const float* want = normals + static_cast<size_t>(n) * 3;
        int32_t g = first[v];
        for (; g >= 0; g = next[g]) {
            const int32_t has = w.normal[g];
            if (has == n) break;
            const float* at = normals + static_cast<size_t>(has) * 3;
            if (at[0] * want[0] + at[1] * want[1] + at[2] * want[2] >= kSameNormal) break;
        }
        if (g < 0) {
            g = static_cast<int32_t>(w.position.size());
            w.position.push_back(v);
            w.normal.push_back(n);
            next.push_back(first[v]);
            first[v] = g;
        }
        w.indices.push_back(static_cast<uint32_t>(g));
    }
    return w;
}

// A colour component as a factor: 0..1, whatever the document holds.
double ColorFactor(float c) {
    return SrgbToLinear(std::clamp(static_cast<double>(c), 0.0, 1.0));
}

unsigned ColorByte(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    return static_cast<unsigned>(255.0f * c);
}

// One material per distinct colour, in the order the objects first use them; the index of
// each object's material.
std::vector<int> AddMaterials(const Document& doc, tinygltf::Model& model) {
    std::vector<int> ofObject;
    std::map<std::array<float, 3>, int> byColor;
    std::map<std::string, int> nameUses;
    for (const PatchObject& obj : doc.objects) {
        const std::array<float, 3> rgb{{obj.color[0], obj.color[1], obj.color[2]}};
        auto found = byColor.find(rgb);
        if (found == byColor.end()) {
            char name[32];
            std::snprintf(name, sizeof name, "color_%02x%02x%02x", ColorByte(rgb[0]),
                          ColorByte(rgb[1]), ColorByte(rgb[2]));
            std::string unique = name;
            const int uses = ++nameUses[unique];
            if (uses > 1) unique += "_" + std::to_string(uses);
            tinygltf::Material m;
            m.name = unique;
            m.pbrMetallicRoughness.baseColorFactor = {ColorFactor(rgb[0]), ColorFactor(rgb[1]),
                                                      ColorFactor(rgb[2]), 1.0};
            m.pbrMetallicRoughness.metallicFactor = 0.0;
            m.pbrMetallicRoughness.roughnessFactor = 0.5;
            m.doubleSided = true;
            found = byColor.emplace(rgb, static_cast<int>(model.materials.size())).first;
            model.materials.push_back(std::move(m));
        }
        ofObject.push_back(found->second);
    }
    return ofObject;
}

int AddView(tinygltf::Model& model, size_t offset, size_t length, int target) {
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = offset;
    view.byteLength = length;
    view.target = target;
    model.bufferViews.push_back(view);
    return static_cast<int>(model.bufferViews.size()) - 1;
}

int AddAccessor(tinygltf::Model& model, int view, int componentType, int type, size_t count) {
    tinygltf::Accessor a;
    a.bufferView = view;
    a.componentType = componentType;
    a.type = type;
    a.count = count;
    model.accessors.push_back(a);
    return static_cast<int>(model.accessors.size()) - 1;
}

// What the file is made of: every object's mesh, welded, with its copies' placements, and the
// text of the JSON chunk.
struct GlbObject {
    ObjectMesh mesh;
    Welded welded;
    std::vector<CopyTransform> copies;
};

struct GlbPlan {
    std::vector<GlbObject> objects;
    std::string json;
    uint64_t binBytes = 0;

    uint64_t jsonChunkBytes() const { return (json.size() + 3) / 4 * 4; }
    uint64_t binChunkBytes() const { return (binBytes + 3) / 4 * 4; }
    uint64_t fileBytes() const {
        return 12 + 8 + jsonChunkBytes() + (binBytes > 0 ? 8 + binChunkBytes() : 0);
    }
};

// The bounds of one object's placed vertices over all its copies, as floats. Lane by lane the
// vector steps are std::min and std::max, taken in the vertices' order.
void CopyBounds(const GlbObject& object, double min[3], double max[3]) {
    const float* vertices = object.mesh.vertices.data();
    const std::vector<int32_t>& positions = object.welded.position;
    const size_t copies = object.copies.size();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<std::array<FloatLanes, 2>> ofCopy(copies);
    OnTwoThreads(copies, [&](size_t first, size_t last) {
        for (size_t c = first; c < last; ++c) {
            const CopyPlacer place(object.copies[c]);
            FloatLanes lo = {inf, inf, inf, inf}, hi = -lo;
            for (int32_t v : positions) {
                const FloatLanes at = place.Point(vertices + static_cast<size_t>(v) * 3);
                lo = at < lo ? at : lo;
                hi = hi < at ? at : hi;
            }
            ofCopy[c] = {lo, hi};
        }
    });
    // In the copies' order, so that of equal bounds (-0 and 0) the first one stays.
    FloatLanes lo = {inf, inf, inf, inf}, hi = -lo;
    for (const auto& b : ofCopy) {
        lo = b[0] < lo ? b[0] : lo;
        hi = hi < b[1] ? b[1] : hi;
    }
    for (int k = 0; k < 3; ++k) {
        min[k] = lo[k];
        max[k] = hi[k];
    }
}

// The model's JSON as TinyGLTF writes it, with the one buffer (the BIN chunk) added.
bool ModelJson(const tinygltf::Model& model, uint64_t binBytes, std::string& json,
               std::string& why) {
    std::ostringstream stream;
    try {
        tinygltf::TinyGLTF writer;
        if (!writer.WriteGltfSceneToStream(&model, stream, false, false) || !stream) {
            why = "the glTF library could not write the model";
            return false;
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        why = std::string("the glTF library could not write the model: ") + e.what();
        return false;
    }
    json = stream.str();
    while (!json.empty() && std::isspace(static_cast<unsigned char>(json.back())))
        json.pop_back();
    if (json.size() < 2 || json.front() != '{' || json.back() != '}') {
        why = "the glTF library wrote no JSON object";
        return false;
    }
    // The model leaves its buffer out: TinyGLTF would copy the whole BIN chunk into it.
    if (binBytes > 0) {
        json.pop_back();
        json += ",\"buffers\":[{\"byteLength\":" + std::to_string(binBytes) + "}]}";
    }
    return true;
}

// The whole plan, or the reason there is none.
std::string Plan(const Document& doc, int32_t divLevel, GlbPlan& plan) {
    std::string problem = MeshExportProblem(doc, divLevel);
    if (!problem.empty()) return problem;
    plan.objects.resize(doc.objects.size());
    uint64_t bytes = 0;
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        GlbObject& object = plan.objects[o];
        object.mesh = BuildObjectMesh(doc.objects[o], divLevel);
        object.welded = Weld(object.mesh);
        const uint64_t copies = static_cast<uint64_t>(SymmetryCopyCount(doc.objects[o]));
        bytes += copies * (object.welded.position.size() * 24 + object.welded.indices.size() * 4);
        if (bytes > kMaxBufferBytes) {
            return "the mesh needs more than 2 GB, more than a glTF binary file holds; choose a "
                   "lower subdivision level";
        }
    }

    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = kGenerator;
    const std::vector<int> materials = AddMaterials(doc, model);
    tinygltf::Scene scene;
    size_t offset = 0;
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        const PatchObject& obj = doc.objects[o];
        GlbObject& object = plan.objects[o];
        tinygltf::Node node;
        node.name = MeshObjectName(obj, o);
        const Welded& w = object.welded;
        ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
            object.copies.push_back(SymmetryTransform(obj, copy));
        });
        const size_t vertexCount = w.position.size() * object.copies.size();
        const size_t indexCount = w.indices.size() * object.copies.size();
        if (indexCount > 0) {
            const size_t vectorBytes = vertexCount * 12;
            double min[3], max[3];
            CopyBounds(object, min, max);
            tinygltf::Primitive primitive;
            primitive.mode = TINYGLTF_MODE_TRIANGLES;
            primitive.material = materials[o];
            primitive.attributes["POSITION"] = AddAccessor(
                model, AddView(model, offset, vectorBytes, TINYGLTF_TARGET_ARRAY_BUFFER),
                TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertexCount);
            model.accessors.back().minValues.assign(min, min + 3);
            model.accessors.back().maxValues.assign(max, max + 3);
            primitive.attributes["NORMAL"] = AddAccessor(
                model,
                AddView(model, offset + vectorBytes, vectorBytes, TINYGLTF_TARGET_ARRAY_BUFFER),
                TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertexCount);
            primitive.indices =
                AddAccessor(model,
                            AddView(model, offset + 2 * vectorBytes, indexCount * 4,
                                    TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
                            TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, indexCount);
            offset += 2 * vectorBytes + indexCount * 4;
            tinygltf::Mesh mesh;
            mesh.name = node.name;
            mesh.primitives.push_back(std::move(primitive));
            node.mesh = static_cast<int>(model.meshes.size());
            model.meshes.push_back(std::move(mesh));
        }
        scene.nodes.push_back(static_cast<int>(model.nodes.size()));
        model.nodes.push_back(std::move(node));
    }
    model.scenes.push_back(std::move(scene));
    model.defaultScene = 0;
    // A document without a single triangle still makes a valid file: no buffer at all.
    plan.binBytes = offset;
    std::string why;
    if (!ModelJson(model, plan.binBytes, plan.json, why)) return why;
    return "";
}

void PutU32(BlockOut& out, uint32_t v) {
    out.Put(&v, 4);
}

// One object's part of the BIN chunk: the positions of every copy, their normals, then their
// triangles' indices.
void MakeObjectBin(BlockOut& out, const GlbObject& object) {
    const Welded& w = object.welded;
    const float* vertices = object.mesh.vertices.data();
    const float* normals = object.mesh.normals.data();
    const size_t count = w.position.size();
    for (const CopyTransform& t : object.copies) {
        const CopyPlacer place(t);
        out.Records(count, 12, [&](size_t g, char* p) {
            place.Point(vertices + static_cast<size_t>(w.position[g]) * 3, p);
        });
    }
    for (const CopyTransform& t : object.copies) {
        const CopyPlacer place(t);
        out.Records(count, 12, [&](size_t g, char* p) {
            place.Direction(normals + static_cast<size_t>(w.normal[g]) * 3, p);
        });
    }
    uint32_t base = 0;
    for (const CopyTransform& t : object.copies) {
        // A mirror turns the winding, so the copy keeps facing outward.
        const int second = t.mirrored ? 2 : 1, third = t.mirrored ? 1 : 2;
        const uint32_t* indices = w.indices.data();
        out.Records(w.indices.size() / 3, 12, [&](size_t i, char* p) {
            const uint32_t* at = indices + i * 3;
            const uint32_t triangle[3] = {base + at[0], base + at[second], base + at[third]};
            std::memcpy(p, triangle, 12);
        });
        base += static_cast<uint32_t>(count);
    }
}

// The file: the 12-byte header, the JSON chunk padded with spaces and the BIN chunk padded
// with zeros, each to a multiple of 4 bytes.
void MakeGlb(BlockOut& out, const GlbPlan& plan) {
    out.Put("glTF", 4);
    PutU32(out, 2);
    PutU32(out, static_cast<uint32_t>(plan.fileBytes()));
    PutU32(out, static_cast<uint32_t>(plan.jsonChunkBytes()));
    out.Put("JSON", 4);
    out.Put(plan.json.data(), plan.json.size());
    out.Put("   ", plan.jsonChunkBytes() - plan.json.size());
    if (plan.binBytes == 0) return;
    PutU32(out, static_cast<uint32_t>(plan.binChunkBytes()));
    out.Put("BIN\0", 4);
    for (const GlbObject& object : plan.objects)
        if (!object.welded.indices.empty()) MakeObjectBin(out, object);
    out.Put("\0\0\0", plan.binChunkBytes() - plan.binBytes);
}

bool Refuse(const std::string& problem, std::string* why) {
    if (why) *why = problem;
    return false;
}

}  // namespace

double SrgbToLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

bool GlbExportBytes(const Document& doc, int32_t divLevel, std::string* bytes, std::string* why) {
    GlbPlan plan;
    const std::string problem = Plan(doc, divLevel, plan);
    if (!problem.empty()) return Refuse(problem, why);
    std::string text;
    text.reserve(static_cast<size_t>(plan.fileBytes()));
    StreamBytes([&](BlockOut& out) { MakeGlb(out, plan); },
                [&](const char* data, size_t n) {
                    text.append(data, n);
                    return true;
                });
    *bytes = std::move(text);
    return true;
}

int ExportGlb(const Document& doc, int32_t divLevel, const std::string& path, std::string* why) {
    GlbPlan plan;
    const std::string problem = Plan(doc, divLevel, plan);
    if (!problem.empty()) {
        Refuse(problem, why);
        return -1;
    }
    const bool ok = WriteFileAtomically(
        path,
        [&](std::FILE* f) {
            return StreamBytes(
                [&](BlockOut& out) { MakeGlb(out, plan); },
                [f](const char* data, size_t n) { return std::fwrite(data, 1, n, f) == n; });
        },
        why);
    return ok ? 0 : -1;
}

}  // namespace zarni
