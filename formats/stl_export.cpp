// Binary STL: the shared object meshes placed copy by copy, 50 bytes a triangle.
#include "formats/stl_export.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "formats/mesh.h"
#include "formats/text_out.h"
#include "platform/files.h"

namespace zarni {

namespace {

constexpr size_t kHeaderBytes = 80;
constexpr size_t kTriangleBytes = 50;
const char kHeader[] = "Zarni!_ver0.1a binary STL, facing outward, units as modelled";
static_assert(sizeof kHeader <= kHeaderBytes, "the header has 80 bytes");

// Little-endian whatever the machine; compilers make this one store on little-endian ones.
inline char* PutU32(char* p, uint32_t v) {
    p[0] = static_cast<char>(v);
    p[1] = static_cast<char>(v >> 8);
    p[2] = static_cast<char>(v >> 16);
    p[3] = static_cast<char>(v >> 24);
    return p + 4;
}
inline char* PutFloat(char* p, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return PutU32(p, bits);
}

struct ObjectPlan {
    ObjectMesh mesh;
    std::vector<float> facets;  // the unit normal of each triangle, 3 floats
};

struct StlPlan {
    std::vector<ObjectPlan> objects;
    uint64_t triangles = 0;
};

std::string Plan(const Document& doc, int32_t divLevel, StlPlan& plan) {
    std::string problem = MeshExportProblem(doc, divLevel);
    if (!problem.empty()) return problem;
    plan.objects.resize(doc.objects.size());
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        ObjectPlan& p = plan.objects[o];
        p.mesh = BuildObjectMesh(doc.objects[o], divLevel);
        const std::vector<float>& v = p.mesh.vertices;
        const std::vector<int32_t>& tri = p.mesh.triangles;
        ReserveFilledOnce(p.facets, p.mesh.triangleCount() * 3);
        p.facets.resize(p.mesh.triangleCount() * 3);
        for (size_t t = 0; t < p.mesh.triangleCount(); ++t) {
            const float* a = &v[static_cast<size_t>(tri[t * 6]) * 3];
            const float* b = &v[static_cast<size_t>(tri[t * 6 + 2]) * 3];
            const float* c = &v[static_cast<size_t>(tri[t * 6 + 4]) * 3];
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
                p.facets[t * 3 + k] = static_cast<float>(n[k] * inv);
        }
        plan.triangles += static_cast<uint64_t>(p.mesh.triangleCount()) *
                          static_cast<uint64_t>(SymmetryCopyCount(doc.objects[o]));
    }
    if (plan.triangles > std::numeric_limits<uint32_t>::max()) {
        return "the mesh has " + std::to_string(plan.triangles) +
               " triangles, more than an STL file can count; choose a lower subdivision level";
    }
    return "";
}

void WriteCopy(TextOut& out, const ObjectPlan& plan, const CopyTransform& t,
               std::vector<float>& placed) {
    const ObjectMesh& mesh = plan.mesh;
    if (placed.capacity() < mesh.vertices.size()) ReserveFilledOnce(placed, mesh.vertices.size());
    placed.resize(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertexCount(); ++i)
        TransformPoint(t, &mesh.vertices[i * 3], &placed[i * 3]);
    // A mirror turns the winding; turned back, the placed facet normal is the linear part
    // applied to the original one.
    const int second = t.mirrored ? 4 : 2, third = t.mirrored ? 2 : 4;
    const int32_t* tri = mesh.triangles.data();
    for (size_t i = 0; i < mesh.triangleCount(); ++i, tri += 6) {
        float normal[3];
        TransformDirection(t, &plan.facets[i * 3], normal);
        char* p = out.Room(kTriangleBytes);
        char* const start = p;
        for (float c : normal)
            p = PutFloat(p, c);
        for (int corner : {0, second, third}) {
            const float* at = &placed[static_cast<size_t>(tri[corner]) * 3];
            p = PutFloat(p, at[0]);
            p = PutFloat(p, at[1]);
            p = PutFloat(p, at[2]);
        }
        p[0] = p[1] = 0;
        out.Commit(start + kTriangleBytes);
    }
}

void WriteStl(TextOut& out, const Document& doc, const StlPlan& plan) {
    char header[kHeaderBytes + 4] = {};
    std::memcpy(header, kHeader, sizeof kHeader - 1);
    PutU32(header + kHeaderBytes, static_cast<uint32_t>(plan.triangles));
    out.Put(header, sizeof header);
    std::vector<float> placed;
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        const PatchObject& obj = doc.objects[o];
        if (plan.objects[o].mesh.triangles.empty()) continue;
        ForEachSymmetryCopyOf(obj, [&](const SymmetryCopy& copy) {
            WriteCopy(out, plan.objects[o], SymmetryTransform(obj, copy), placed);
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
    text.reserve(kHeaderBytes + 4 + plan.triangles * kTriangleBytes);
    TextOut out(&text);
    WriteStl(out, doc, plan);
    out.Flush();
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
            TextOut out(f);
            WriteStl(out, doc, plan);
            out.Flush();
            return out.ok();
        },
        why);
    return ok ? 0 : -1;
}

}  // namespace zarni
