// glTF 2.0 binary: the shared object meshes welded into indexed vertices, every copy placed
// into one buffer, and the model handed to TinyGLTF to write.
#include "formats/gltf_export.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <ostream>
#include <streambuf>
#include <vector>

#include "formats/mesh.h"
#include "formats/text_out.h"
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

// Every copy of one object's welded vertices and triangles into their places in the buffer.
void PlaceCopies(const PatchObject& obj, const ObjectMesh& mesh, const Welded& w, float* positions,
                 float* normals, uint32_t* indices, double min[3], double max[3]) {
    float lo[3], hi[3];
    std::fill(lo, lo + 3, std::numeric_limits<float>::infinity());
    std::fill(hi, hi + 3, -std::numeric_limits<float>::infinity());
    uint32_t base = 0;
    const size_t count = w.position.size();
    ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
        const CopyTransform t = SymmetryTransform(obj, copy);
        for (size_t g = 0; g < count; ++g) {
            float* at = positions + g * 3;
            TransformPoint(t, &mesh.vertices[static_cast<size_t>(w.position[g]) * 3], at);
            TransformDirection(t, &mesh.normals[static_cast<size_t>(w.normal[g]) * 3],
                               normals + g * 3);
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], at[k]);
                hi[k] = std::max(hi[k], at[k]);
            }
        }
        // A mirror turns the winding, so the copy keeps facing outward.
        const int second = t.mirrored ? 2 : 1, third = t.mirrored ? 1 : 2;
        for (size_t i = 0; i < w.indices.size(); i += 3) {
            indices[i] = base + w.indices[i];
            indices[i + 1] = base + w.indices[i + second];
            indices[i + 2] = base + w.indices[i + third];
        }
        positions += count * 3;
        normals += count * 3;
        indices += w.indices.size();
        base += static_cast<uint32_t>(count);
    });
    for (int k = 0; k < 3; ++k) {
        min[k] = lo[k];
        max[k] = hi[k];
    }
}

// The whole model, or the reason there is none.
std::string BuildModel(const Document& doc, int32_t divLevel, tinygltf::Model& model) {
    std::string problem = MeshExportProblem(doc, divLevel);
    if (!problem.empty()) return problem;
    std::vector<ObjectMesh> meshes(doc.objects.size());
    std::vector<Welded> welded(doc.objects.size());
    uint64_t bytes = 0;
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        meshes[o] = BuildObjectMesh(doc.objects[o], divLevel);
        welded[o] = Weld(meshes[o]);
        const uint64_t copies = static_cast<uint64_t>(SymmetryCopyCount(doc.objects[o]));
        bytes += copies * (welded[o].position.size() * 24 + welded[o].indices.size() * 4);
        if (bytes > kMaxBufferBytes) {
            return "the mesh needs more than 2 GB, more than a glTF binary file holds; choose a "
                   "lower subdivision level";
        }
    }

    model.asset.version = "2.0";
    model.asset.generator = kGenerator;
    const std::vector<int> materials = AddMaterials(doc, model);
    model.buffers.resize(1);
    std::vector<unsigned char>& data = model.buffers[0].data;
    ReserveFilledOnce(data, static_cast<size_t>(bytes));
    data.resize(static_cast<size_t>(bytes));
    tinygltf::Scene scene;
    size_t offset = 0;
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        const PatchObject& obj = doc.objects[o];
        tinygltf::Node node;
        node.name = MeshObjectName(obj, o);
        const Welded& w = welded[o];
        const size_t copies = static_cast<size_t>(SymmetryCopyCount(obj));
        const size_t vertexCount = w.position.size() * copies;
        const size_t indexCount = w.indices.size() * copies;
        if (indexCount > 0) {
            const size_t vectorBytes = vertexCount * 12;
            unsigned char* at = data.data() + offset;
            double min[3], max[3];
            PlaceCopies(obj, meshes[o], w, reinterpret_cast<float*>(at),
                        reinterpret_cast<float*>(at + vectorBytes),
                        reinterpret_cast<uint32_t*>(at + 2 * vectorBytes), min, max);
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
    // A document without a single triangle still makes a valid file: no empty buffer.
    if (data.empty()) model.buffers.clear();
    model.scenes.push_back(std::move(scene));
    model.defaultScene = 0;
    return "";
}

// The library writes to a stream; this one hands its bytes on to the exporters' writer.
class TextOutBuffer : public std::streambuf {
  public:
    explicit TextOutBuffer(TextOut& out) : out_(out) {}

  protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        out_.Put(s, static_cast<size_t>(n));
        return n;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        out_.Put(&ch, 1);
        return c;
    }

  private:
    TextOut& out_;
};

bool WriteModel(const tinygltf::Model& model, TextOut& out, std::string* why) {
    TextOutBuffer buffer(out);
    std::ostream stream(&buffer);
    try {
        tinygltf::TinyGLTF writer;
        if (!writer.WriteGltfSceneToStream(&model, stream, false, true) || !stream) {
            if (why) *why = "the glTF library could not write the model";
            return false;
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        if (why) *why = std::string("the glTF library could not write the model: ") + e.what();
        return false;
    }
    out.Flush();
    return out.ok();
}

}  // namespace

double SrgbToLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

bool GlbExportBytes(const Document& doc, int32_t divLevel, std::string* bytes, std::string* why) {
    tinygltf::Model model;
    const std::string problem = BuildModel(doc, divLevel, model);
    if (!problem.empty()) {
        if (why) *why = problem;
        return false;
    }
    std::string text;
    TextOut out(&text);
    if (!WriteModel(model, out, why)) return false;
    *bytes = std::move(text);
    return true;
}

int ExportGlb(const Document& doc, int32_t divLevel, const std::string& path, std::string* why) {
    tinygltf::Model model;
    const std::string problem = BuildModel(doc, divLevel, model);
    if (!problem.empty()) {
        if (why) *why = problem;
        return -1;
    }
    std::string reason;
    const bool ok = WriteFileAtomically(
        path,
        [&](std::FILE* f) {
            TextOut out(f);
            return WriteModel(model, out, &reason);
        },
        why);
    if (!ok && why && !reason.empty()) *why = reason;
    return ok ? 0 : -1;
}

}  // namespace zarni
