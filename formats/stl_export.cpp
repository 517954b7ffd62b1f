// Binary STL: the shared object meshes placed copy by copy, 50 bytes a triangle.
#include "formats/stl_export.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "formats/mesh.h"
#include "platform/files.h"

namespace zarni {

namespace {

constexpr size_t kHeaderBytes = 80;
constexpr size_t kTriangleBytes = 50;
const char kHeader[] = "Zarni!_ver0.1a binary STL, facing outward, units as modelled";
static_assert(sizeof kHeader <= kHeaderBytes, "the header has 80 bytes");

// The records are filled with the machine's own floats; STL's are little-endian.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "STL numbers are little-endian");

struct StlPlan {
    std::vector<ObjectMesh> meshes;
    uint64_t triangles = 0;
    uint64_t bytes() const { return kHeaderBytes + 4 + triangles * kTriangleBytes; }
};

std::string Plan(const Document& doc, int32_t divLevel, StlPlan& plan) {
    std::string problem = MeshExportProblem(doc, divLevel);
    if (!problem.empty()) return problem;
    plan.meshes.resize(doc.objects.size());
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        plan.meshes[o] = BuildObjectMesh(doc.objects[o], divLevel);
        plan.triangles += static_cast<uint64_t>(plan.meshes[o].triangleCount()) *
                          static_cast<uint64_t>(SymmetryCopyCount(doc.objects[o]));
    }
    if (plan.triangles > std::numeric_limits<uint32_t>::max()) {
        return "the mesh has " + std::to_string(plan.triangles) +
               " triangles, more than an STL file can count; choose a lower subdivision level";
    }
    return "";
}

// The unit normal of triangle `t` of the mesh as placed before any copy.
void FacetNormal(const ObjectMesh& mesh, size_t t, float* out) {
    const float* v = mesh.vertices.data();
    const int32_t* tri = &mesh.triangles[t * 6];
    const float* a = v + static_cast<size_t>(tri[0]) * 3;
    const float* b = v + static_cast<size_t>(tri[2]) * 3;
    const float* c = v + static_cast<size_t>(tri[4]) * 3;
    double e1[3], e2[3];
    for (int k = 0; k < 3; ++k) {
        e1[k] = static_cast<double>(b[k]) - a[k];
        e2[k] = static_cast<double>(c[k]) - a[k];
    }
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                         e1[0] * e2[1] - e1[1] * e2[0]};
    // Never zero: the mesh leaves out triangles without area.
    const double inv = 1.0 / std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; ++k)
        out[k] = static_cast<float>(n[k] * inv);
}

// One copy's records. The first copy of an object works out the facet normals into `facets`,
// which the later ones place as they are.
void WriteCopy(BlockOut& out, const ObjectMesh& mesh, const CopyTransform& t, bool first,
               std::vector<float>& facets, std::vector<float>& placed) {
    const CopyPlacer place(t);
    placed.resize(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertexCount(); ++i)
        place.Point(&mesh.vertices[i * 3], &placed[i * 3]);
    const size_t count = mesh.triangleCount();
    if (first) facets.resize(count * 3);
    // A mirror turns the winding; turned back, the placed facet normal is the linear part
    // applied to the original one.
    const int second = t.mirrored ? 4 : 2, third = t.mirrored ? 2 : 4;
    const int32_t* triangles = mesh.triangles.data();
    const float* corners = placed.data();
    out.Records(count, kTriangleBytes, [&](size_t i, char* p) {
        float* facet = &facets[i * 3];
        if (first) FacetNormal(mesh, i, facet);
        const int32_t* tri = triangles + i * 6;
        place.Direction(facet, p);
        std::memcpy(p + 12, corners + static_cast<size_t>(tri[0]) * 3, 12);
        std::memcpy(p + 24, corners + static_cast<size_t>(tri[second]) * 3, 12);
        std::memcpy(p + 36, corners + static_cast<size_t>(tri[third]) * 3, 12);
        p[48] = p[49] = 0;
    });
}

void MakeStl(BlockOut& out, const Document& doc, const StlPlan& plan) {
    char header[kHeaderBytes + 4] = {};
    std::memcpy(header, kHeader, sizeof kHeader - 1);
    const uint32_t count = static_cast<uint32_t>(plan.triangles);
    std::memcpy(header + kHeaderBytes, &count, 4);
    out.Put(header, sizeof header);
    std::vector<float> facets, placed;
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        const PatchObject& obj = doc.objects[o];
        const ObjectMesh& mesh = plan.meshes[o];
        if (mesh.triangles.empty()) continue;
        bool first = true;
        ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
            WriteCopy(out, mesh, SymmetryTransform(obj, copy), first, facets, placed);
            first = false;
        });
    }
}

bool Refuse(const std::string& problem, std::string* why) {
    if (why) *why = problem;
    return false;
}

}  // namespace

bool StlExportBytes(const Document& doc, int32_t divLevel, std::string* bytes, std::string* why) {
    StlPlan plan;
    const std::string problem = Plan(doc, divLevel, plan);
    if (!problem.empty()) return Refuse(problem, why);
    std::string text;
    text.reserve(static_cast<size_t>(plan.bytes()));
    StreamBytes([&](BlockOut& out) { MakeStl(out, doc, plan); },
                [&](const char* data, size_t n) {
                    text.append(data, n);
                    return true;
                });
    *bytes = std::move(text);
    return true;
}

int ExportStl(const Document& doc, int32_t divLevel, const std::string& path, std::string* why) {
    StlPlan plan;
    const std::string problem = Plan(doc, divLevel, plan);
    if (!problem.empty()) {
        Refuse(problem, why);
        return -1;
    }
    const bool ok = WriteFileAtomically(
        path,
        [&](std::FILE* f) {
            return StreamBytes(
                [&](BlockOut& out) { MakeStl(out, doc, plan); },
                [f](const char* data, size_t n) { return std::fwrite(data, 1, n, f) == n; });
        },
        why);
    return ok ? 0 : -1;
}

}  // namespace zarni
