// Binary STL and glTF exports: vertices on the patches of every copy, the same triangles as the
// OBJ export, closed surfaces as closed outward-facing meshes, the glb read back with TinyGLTF
// and checked by the Khronos validator, and bad input refused without leaving a file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tiny_gltf.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/gltf_export.h"
#include "formats/mesh.h"
#include "formats/native_file.h"
#include "formats/obj_export.h"
#include "formats/stl_export.h"
#include "model/tessellation.h"
#include "ops/lathe.h"
#include "ops/primitives.h"
#include "platform/files.h"
#include "tests/core/mesh_reference.h"
#include "tests/core/shape_fixtures.h"
#include "tests/core/temp_folder.h"

namespace zarni {
namespace {

using namespace meshref;
using F3 = std::array<float, 3>;
using Triangle = std::array<F3, 3>;

struct StlFile {
    std::string header;
    std::vector<F3> normals;
    std::vector<Triangle> triangles;
};

StlFile ParseStl(const std::string& bytes) {
    StlFile stl;
    EXPECT_GE(bytes.size(), 84u);
    if (bytes.size() < 84) return stl;
    stl.header = bytes.substr(0, 80);
    uint32_t count;
    std::memcpy(&count, bytes.data() + 80, 4);
    EXPECT_EQ(bytes.size(), 84u + 50u * count);
    for (size_t at = 84; at + 50 <= bytes.size(); at += 50) {
        float f[12];
        std::memcpy(f, bytes.data() + at, 48);
        stl.normals.push_back({f[0], f[1], f[2]});
        stl.triangles.push_back(
            {F3{f[3], f[4], f[5]}, F3{f[6], f[7], f[8]}, F3{f[9], f[10], f[11]}});
        EXPECT_EQ(bytes[at + 48] | bytes[at + 49], 0) << "attribute word";
    }
    return stl;
}

V3 D(const F3& f) {
    return {f[0], f[1], f[2]};
}

std::string Stl(const Document& doc, int n) {
    std::string bytes, why;
    EXPECT_TRUE(StlExportBytes(doc, n, &bytes, &why)) << why;
    return bytes;
}

struct GlbObject {
    std::string name;
    std::vector<F3> positions, normals;
    std::vector<uint32_t> indices;
};

// The glb read back with the library that wrote it: every node's triangles and attributes.
std::vector<GlbObject> ReadGlb(const std::string& bytes, tinygltf::Model& model) {
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    EXPECT_TRUE(loader.LoadBinaryFromMemory(&model, &err, &warn,
                                            reinterpret_cast<const unsigned char*>(bytes.data()),
                                            static_cast<unsigned>(bytes.size())))
        << err;
    std::vector<GlbObject> out;
    for (const tinygltf::Node& node : model.nodes) {
        GlbObject o;
        o.name = node.name;
        if (node.mesh >= 0) {
            const tinygltf::Primitive& p = model.meshes[node.mesh].primitives.at(0);
            EXPECT_EQ(p.mode, TINYGLTF_MODE_TRIANGLES);
            auto data = [&](int accessor, auto& into) {
                const tinygltf::Accessor& a = model.accessors[accessor];
                const tinygltf::BufferView& v = model.bufferViews[a.bufferView];
                const unsigned char* at =
                    model.buffers[v.buffer].data.data() + v.byteOffset + a.byteOffset;
                into.resize(a.count);
                std::memcpy(into.data(), at, a.count * sizeof into[0]);
            };
            data(p.attributes.at("POSITION"), o.positions);
            data(p.attributes.at("NORMAL"), o.normals);
            EXPECT_EQ(model.accessors[p.indices].componentType,
                      TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
            data(p.indices, o.indices);
            // min and max are those of the data.
            const tinygltf::Accessor& pos = model.accessors[p.attributes.at("POSITION")];
            for (int k = 0; k < 3; ++k) {
                float lo = 1e30f, hi = -1e30f;
                for (const F3& q : o.positions)
                    lo = std::min(lo, q[k]), hi = std::max(hi, q[k]);
                EXPECT_EQ(pos.minValues.at(k), lo);
                EXPECT_EQ(pos.maxValues.at(k), hi);
            }
        }
        out.push_back(o);
    }
    return out;
}

std::string Glb(const Document& doc, int n) {
    std::string bytes, why;
    EXPECT_TRUE(GlbExportBytes(doc, n, &bytes, &why)) << why;
    return bytes;
}

TEST(MeshExport, StlAndGlbHoldTheObjTrianglesOnThePatchesOfEveryCopy) {
    for (int32_t flags : {0, 1, 1 | 4 | 8, 7}) {  // none, X, X and Z with a move copy, X Y Z
        Document doc = BentDocument(static_cast<uint32_t>(flags) + 23);
        PatchObject& obj = doc.objects[0];
        obj.mirrorFlags = flags;
        obj.windmillCount = flags == 0 ? 3 : 1;
        obj.windmillAxis = 2;
        obj.moveX = 1500, obj.moveY = 500, obj.moveZ = -750;
        const int n = 3;
        SCOPED_TRACE(flags);
        const StlFile stl = ParseStl(Stl(doc, n));
        EXPECT_NE(stl.header.rfind("solid", 0), 0u);
        const size_t copies = static_cast<size_t>(SymmetryCopyCount(obj));
        ASSERT_EQ(stl.triangles.size(), copies * obj.patches.size() * n * n * 2);

        // The reference grid points and normals (-(dP/du x dP/dv), carried like points).
        std::vector<V3> points, normals;
        for (const Patch& q : obj.patches) {
            for (int j = 0; j <= n; ++j) {
                for (int i = 0; i <= n; ++i) {
                    V3 p, du_dv;
                    PatchAt(obj, q, double(i) / n, double(j) / n, p, du_dv);
                    const double len = std::sqrt(Dot(du_dv, du_dv));
                    const V3 tip{p[0] - du_dv[0] / len, p[1] - du_dv[1] / len,
                                 p[2] - du_dv[2] / len};
                    const std::vector<V3> at = CopiesOf(obj, p), tips = CopiesOf(obj, tip);
                    for (size_t c = 0; c < at.size(); ++c) {
                        points.push_back(at[c]);
                        normals.push_back(Minus(tips[c], at[c]));
                    }
                }
            }
        }
        auto nearest = [&](const V3& p) {
            size_t best = 0;
            for (size_t r = 1; r < points.size(); ++r)
                if (Distance(points[r], p) < Distance(points[best], p)) best = r;
            EXPECT_LT(Distance(points[best], p), 2e-5) << "a vertex off the patches";
            return best;
        };

        // The same triangles as the OBJ faces, corner for corner; the facet normal is unit
        // length and on the side of the counter-clockwise winding, as the surface's normal is.
        const ObjFile obj3 = ParseObj(ObjExportTexts(doc, n, "m.mtl").obj);
        ASSERT_EQ(obj3.f.size(), stl.triangles.size());
        for (size_t t = 0; t < stl.triangles.size(); ++t) {
            const Triangle& tri = stl.triangles[t];
            for (int k = 0; k < 3; ++k)
                EXPECT_LT(Distance(D(tri[k]), obj3.v[obj3.f[t][k].v]), 1e-6);
            const V3 facet = Cross(Minus(D(tri[1]), D(tri[0])), Minus(D(tri[2]), D(tri[0])));
            const V3 unit = D(stl.normals[t]);
            EXPECT_NEAR(Dot(unit, unit), 1.0, 1e-5);
            EXPECT_GT(Dot(unit, facet), 0.999 * std::sqrt(Dot(facet, facet)));
            EXPECT_GT(Dot(normals[nearest(D(tri[0]))], facet), 0.0);
        }

        // The glb: the very same corners, and each vertex's normal the surface's own.
        tinygltf::Model model;
        const std::vector<GlbObject> glb = ReadGlb(Glb(doc, n), model);
        ASSERT_EQ(glb.size(), 1u);
        ASSERT_EQ(glb[0].indices.size(), stl.triangles.size() * 3);
        for (size_t i = 0; i < glb[0].indices.size(); ++i)
            EXPECT_EQ(glb[0].positions.at(glb[0].indices[i]), stl.triangles[i / 3][i % 3]);
        // Two patches with no shared points: one vertex a grid point and copy.
        EXPECT_EQ(glb[0].positions.size(), points.size());
        for (size_t g = 0; g < glb[0].positions.size(); ++g) {
            const V3 nm = D(glb[0].normals[g]);
            EXPECT_NEAR(Dot(nm, nm), 1.0, 1e-5);
            EXPECT_GT(Dot(nm, normals[nearest(D(glb[0].positions[g]))]), 0.9999);
        }
    }
}

// A half circle from pole to pole (downward as the sphere command draws it, or upward), or a
// closed ring; lathed all the way round about Y.
Document Lathed(int shape) {
    Document doc = NewDocument();
    EditSwitches sw;
    if (shape == 0) {
        AddSphere(doc, sw);
        RebuildControlCaches(doc);
        return doc;
    }
    const bool ring = shape >= 2;
    const double turn = shape == 3 ? -1.0 : 1.0;
    shapefix::AddChain(doc, ring ? 5 : 4, ring, [&](int32_t t, float& x, float& y) {
        const double a = ring ? 2 * M_PI * t / 5 * turn : M_PI * t / 4;
        x = static_cast<float>(ring ? 2 + 0.6 * std::cos(a) : std::sin(a));
        y = static_cast<float>(ring ? 0.6 * std::sin(a) : -std::cos(a));
        if (!ring && (t == 0 || t == 4)) x = 0.0f;
    });
    LatheSettings settings;
    settings.axis = 2;
    settings.type = kLatheClose;
    settings.divLevel = 6;
    LatheFull(doc, sw, settings);
    RebuildControlCaches(doc);
    return doc;
}

TEST(MeshExport, ClosedSurfacesBecomeClosedMeshesFacingOutward) {
    struct Case {
        const char* what;
        int shape;
        int euler;    // V - E + F
        bool turned;  // lathed the other way round: a negative volume as evaluated
        bool smooth;  // tangent-continuous everywhere: no vertex split by its normals
    };
    for (const Case& c :
         {Case{"sphere", 0, 2, false, true}, Case{"upward sphere", 1, 2, true, false},
          Case{"torus", 2, 0, true, false}, Case{"torus the other way", 3, 0, false, false}}) {
        SCOPED_TRACE(c.what);
        Document doc = Lathed(c.shape);
        EXPECT_TRUE(BuildObjectMesh(doc.objects[0], 3).closed);
        EXPECT_EQ(BuildObjectMesh(doc.objects[0], 3).turned, c.turned);
        for (ControlPoint& p : doc.objects[0].points)
            p.x += 3.0f;  // so that the mirror copy stands apart
        RebuildControlCaches(doc);
        for (int32_t mirror : std::initializer_list<int32_t>{0, kMirrorX}) {
            doc.objects[0].mirrorFlags = mirror;
            const StlFile stl = ParseStl(Stl(doc, 5));
            // Vertices welded by their bits: each directed edge once, its reverse once.
            std::map<F3, int> ids;
            std::map<std::pair<int, int>, int> directed;
            double volume = 0;
            for (const Triangle& t : stl.triangles) {
                int id[3];
                for (int k = 0; k < 3; ++k)
                    id[k] = ids.emplace(t[k], static_cast<int>(ids.size())).first->second;
                for (int k = 0; k < 3; ++k)
                    ++directed[{id[k], id[(k + 1) % 3]}];
                volume += Dot(D(t[0]), Cross(D(t[1]), D(t[2]))) / 6;
            }
            for (const auto& [edge, count] : directed) {
                EXPECT_EQ(count, 1);
                EXPECT_EQ(directed.count({edge.second, edge.first}), 1u) << "open edge";
            }
            const int copies = mirror ? 2 : 1;
            EXPECT_EQ(static_cast<int>(ids.size() - directed.size() / 2 + stl.triangles.size()),
                      copies * c.euler);
            EXPECT_GT(volume, 0.0) << "facing inward";
            // The OBJ faces the same way.
            const ObjFile file = ParseObj(ObjExportTexts(doc, 5, "m.mtl").obj);
            double objVolume = 0;
            for (const auto& f : file.f)
                objVolume += Dot(file.v[f[0].v], Cross(file.v[f[1].v], file.v[f[2].v])) / 6;
            EXPECT_NEAR(objVolume, volume, 1e-3 * volume);
            // The glb shares the vertices of a smooth surface: one a welded STL vertex; a
            // crease keeps a vertex for each side.
            tinygltf::Model model;
            const std::vector<GlbObject> glb = ReadGlb(Glb(doc, 5), model);
            if (c.smooth) {
                EXPECT_EQ(glb.at(0).positions.size(), ids.size());
            }
            EXPECT_GE(glb.at(0).positions.size(), ids.size());
            EXPECT_LT(glb.at(0).positions.size(), 2 * ids.size());
        }
    }
    // The program's sphere: each pole one vertex.
    const StlFile sphere = ParseStl(Stl(Lathed(0), 4));
    std::map<F3, int> poles;
    for (const Triangle& t : sphere.triangles)
        for (const F3& p : t)
            if (std::fabs(p[0]) < 1e-6f && std::fabs(p[2]) < 1e-6f) ++poles[p];
    EXPECT_EQ(poles.size(), 2u);
}

TEST(MeshExport, GlbNamesObjectsAndMakesOneLinearMaterialPerColour) {
    Document doc = NewDocument();
    doc.objects[0].name = "\x83\x65\x83\x58\x83\x67";  // テスト in Shift_JIS
    doc.objects[0].color = {{1.0f, 0.5f, 0.0f, 1.0f}};
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    for (const char* name : {"empty", "same colour"}) {
        CreateObject(doc);
        doc.objects.back().name = name;
        doc.objects.back().color = {{name[0] == 'e' ? 0.2f : 1.0f, 0.5f, 0.0f, 1.0f}};
    }
    testdocs::AddQuadPatch(doc.objects[2], 1.0f);
    RebuildControlCaches(doc);
    tinygltf::Model model;
    const std::vector<GlbObject> glb = ReadGlb(Glb(doc, 2), model);
    ASSERT_EQ(glb.size(), 3u);
    EXPECT_EQ(glb[0].name, "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88");
    EXPECT_EQ(glb[1].name, "empty");
    EXPECT_TRUE(glb[1].indices.empty());
    EXPECT_EQ(model.nodes[1].mesh, -1);
    ASSERT_EQ(model.scenes.size(), 1u);
    EXPECT_EQ(model.scenes[0].nodes.size(), 3u);
    ASSERT_EQ(model.materials.size(), 2u);
    const int first = model.meshes[model.nodes[0].mesh].primitives[0].material;
    EXPECT_EQ(model.meshes[model.nodes[2].mesh].primitives[0].material, first);
    const tinygltf::Material& m = model.materials[first];
    const std::vector<double> linear{1.0, 0.214041, 0.0, 1.0};  // sRGB 0.5 is 0.214 linear
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(m.pbrMetallicRoughness.baseColorFactor[k], linear[k], 1e-6);
    EXPECT_EQ(m.pbrMetallicRoughness.metallicFactor, 0.0);
    EXPECT_EQ(m.pbrMetallicRoughness.roughnessFactor, 0.5);
    EXPECT_TRUE(m.doubleSided);
    EXPECT_NEAR(SrgbToLinear(0.04045), 0.04045 / 12.92, 1e-12);
    EXPECT_NEAR(SrgbToLinear(0.2), 0.0331048, 1e-6);
}

// Runs the Khronos validator on `files`; "" when node or the package cannot be had.
std::string Validate(const std::vector<std::string>& files) {
    const std::string dir =
        std::filesystem::path(ZARNI_CLI_PATH).parent_path().string() + "/gltf-validator";
    const std::string module = dir + "/node_modules/gltf-validator";
    if (std::system("node --version >/dev/null 2>&1") != 0) return "";
    if (!std::filesystem::exists(module)) {
        const std::string install = "npm install --prefix '" + dir +
                                    "' --no-audit --no-fund gltf-validator >/dev/null 2>&1";
        if (std::system(install.c_str()) != 0 || !std::filesystem::exists(module)) return "";
    }
    std::string command =
        "node -e \"const v = require(process.argv[1]); const fs = require('fs');"
        "(async () => { for (const f of process.argv.slice(2)) {"
        "  const r = await v.validateBytes(new Uint8Array(fs.readFileSync(f)));"
        "  console.log(r.issues.numErrors + ' ' + r.issues.numWarnings + ' ' +"
        "    r.issues.messages.filter(m => m.severity < 2).map(m => m.code + m.pointer)); }"
        "})().catch(e => { console.log('failed ' + e); });\" '" +
        module + "'";
    for (const std::string& f : files)
        command += " '" + f + "'";
    std::string report;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
            report.append(buffer, n);
        pclose(p);
    }
    return report.empty() ? "no report" : report;
}

TEST(MeshExport, GlbPassesTheKhronosValidator) {
    testing_files::TempFolder folder;
    Document bent = BentDocument(7);
    bent.objects[0].mirrorFlags = 1 | 2 | 8;
    bent.objects[0].windmillCount = 3;
    bent.objects[0].windmillAxis = 2;
    bent.objects[0].moveY = 2000;
    bent.objects[0].name = "\x83\x65\x83\x58\x83\x67";
    CreateObject(bent);  // an empty object: a node without a mesh
    std::vector<std::string> files;
    const Document docs[] = {bent, Lathed(0), Lathed(3), NewDocument()};
    for (const Document& doc : docs) {
        files.push_back(folder.File(std::to_string(files.size()) + ".glb"));
        std::string why;
        ASSERT_EQ(ExportGlb(doc, 4, files.back(), &why), 0) << why;
    }
    const std::string report = Validate(files);
    if (report.empty()) GTEST_SKIP() << "node or the gltf-validator package is not to be had";
    EXPECT_EQ(report, "0 0 \n0 0 \n0 0 \n0 0 \n");
}

TEST(MeshExport, BadInputWritesNothingNotEvenATemporaryFile) {
    testing_files::TempFolder folder;
    const std::string stl = folder.File("m.stl"), glb = folder.File("m.glb");
    Document damaged = BentDocument(1);
    damaged.objects[0].patches[0].edge2 = 999;
    const std::function<int(const Document&, int32_t, const std::string&, std::string*)> exports[] =
        {ExportStl, ExportGlb};
    for (const auto& write : exports) {
        for (const auto& [doc, level] : {std::pair{BentDocument(1), 0},
                                         std::pair{BentDocument(1), 21}, std::pair{damaged, 3}}) {
            std::string why;
            EXPECT_EQ(write(doc, level, stl, &why), -1);
            EXPECT_FALSE(why.empty());
        }
    }
    // A failed write keeps the old file, byte for byte.
    testing_files::Put(glb, "old");
    SetWriteFaultsForTesting(WriteFaults{100});
    EXPECT_EQ(ExportGlb(BentDocument(1), 3, glb), -1);
    EXPECT_EQ(ExportStl(BentDocument(1), 3, glb), -1);
    SetWriteFaultsForTesting(WriteFaults{});
    EXPECT_EQ(testing_files::Get(glb), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

// The mesh's grids are the views' own, bit for bit, in every patch's place: each normal (where
// the surface has one) and each vertex inside a patch, whichever thread evaluated it.
TEST(MeshExport, GridsAreTheViewsEvaluationBitForBit) {
    struct Case {
        Document doc;
        int32_t level;
    };
    for (const Case& c : {Case{BentDocument(3), 1}, Case{BentDocument(4), 7}, Case{Lathed(0), 20},
                          Case{Lathed(3), 13}}) {
        const PatchObject& obj = c.doc.objects[0];
        const ObjectMesh mesh = BuildObjectMesh(obj, c.level);
        const std::vector<float> params = GridParameters(c.level);
        const size_t stride = params.size(), grid = stride * stride, n = stride - 1;
        SCOPED_TRACE(std::to_string(obj.patches.size()) + " patches, level " +
                     std::to_string(c.level));
        ASSERT_EQ(mesh.normals.size(), obj.patches.size() * grid * 3);
        std::vector<float> points(obj.patches.size() * grid * 3), normals(points.size());
        for (size_t p = 0; p < obj.patches.size(); ++p) {
            float net[48];
            PatchFloats(obj.points.data(), obj.segments, obj.patches[p], net);
            EvaluatePatchGrid(net, params, &points[p * grid * 3], &normals[p * grid * 3]);
        }
        size_t checked = 0;
        for (size_t i = 0; i < normals.size(); i += 3) {
            if (normals[i] == 0 && normals[i + 1] == 0 && normals[i + 2] == 0) continue;
            for (int k = 0; k < 3; ++k) {
                const float facing = mesh.turned ? normals[i + k] : -normals[i + k];
                ASSERT_EQ(Bits(mesh.normals[i + k]), Bits(facing)) << "grid point " << i / 3;
            }
            ++checked;
        }
        EXPECT_GT(checked, normals.size() / 6);
        for (size_t t = 0; t < mesh.triangles.size(); t += 2) {
            const size_t g = static_cast<size_t>(mesh.triangles[t + 1]) % grid;
            const size_t i = g % stride, j = g / stride;
            if (i == 0 || j == 0 || i == n || j == n) continue;  // a vertex shared along an edge
            const size_t at = static_cast<size_t>(mesh.triangles[t + 1]) * 3;
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(Bits(mesh.vertices[static_cast<size_t>(mesh.triangles[t]) * 3 + k]),
                          Bits(points[at + k]));
        }
    }
}

// The exports' bytes are made on a second thread and written here a block at a time: every
// byte arrives once and in order, the maker stops soon after the writer gives up, and a
// maker's exception comes out here.
TEST(MeshExport, BytesStreamInOrderAndStopWithTheWriter) {
    constexpr size_t kBlock = BlockOut::kBlockBytes;
    struct Case {
        const char* name;
        size_t bytes;
        size_t record;     // made as records of this size; 0: with one Put
        int failAt;        // the delivery that fails; -1: none
        bool makerThrows;  // after the first block
    };
    const Case cases[] = {
        {"nothing", 0, 0, -1, false},
        {"one record", 50, 50, -1, false},
        {"records across blocks", 3 * kBlock + 7, 50, -1, false},
        {"one Put across blocks", 2 * kBlock + 1, 0, -1, false},
        {"records of a whole block", 3 * kBlock, kBlock, -1, false},
        {"writer gives up at once", 12 * kBlock, 12, 0, false},
        {"writer gives up later", 12 * kBlock, 12, 2, false},
        {"maker fails", 12 * kBlock, 12, -1, true},
    };
    auto byte = [](size_t i) { return static_cast<char>((i * 131 + i / 4099) & 0xff); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string expected(c.bytes, 0);
        for (size_t i = 0; i < c.bytes; ++i)
            expected[i] = byte(i);
        bool finished = false;
        auto make = [&](BlockOut& out) {
            if (c.record == 0) {
                out.Put(expected.data(), expected.size());
            } else {
                const size_t whole = c.bytes / c.record;
                out.Records(whole, c.record, [&](size_t r, char* p) {
                    if (c.makerThrows && r * c.record > kBlock) throw std::runtime_error("no");
                    std::memcpy(p, &expected[r * c.record], c.record);
                });
                out.Put(expected.data() + whole * c.record, c.bytes - whole * c.record);
            }
            finished = true;
        };
        std::string got;
        int deliveries = 0;
        auto deliver = [&](const char* data, size_t n) {
            EXPECT_LE(n, kBlock);
            if (deliveries++ == c.failAt) return false;
            got.append(data, n);
            return true;
        };
        if (c.makerThrows) {
            EXPECT_THROW(StreamBytes(make, deliver), std::runtime_error);
            EXPECT_FALSE(finished);
        } else if (c.failAt >= 0) {
            EXPECT_FALSE(StreamBytes(make, deliver));
            EXPECT_FALSE(finished) << "the maker ran on";
            EXPECT_EQ(deliveries, c.failAt + 1) << "delivered after the writer gave up";
            EXPECT_TRUE(expected.compare(0, got.size(), got) == 0);
        } else {
            EXPECT_TRUE(StreamBytes(make, deliver));
            EXPECT_TRUE(finished);
            EXPECT_TRUE(got == expected);
        }
    }
}

// Files of many blocks, larger than the writer lets build up unwritten, are the exports' bytes;
// a write failing at any point of them keeps the old file and leaves nothing else.
TEST(MeshExport, LargeExportsAreTheirBytesAndFailWhole) {
    testing_files::TempFolder folder;
    Document doc = BentDocument(9);
    doc.objects[0].mirrorFlags = 7 | kMirrorMove;
    doc.objects[0].windmillCount = 72;
    doc.objects[0].moveX = 2500;
    const int32_t level = 10;
    struct Export {
        int (*write)(const Document&, int32_t, const std::string&, std::string*);
        bool (*bytes)(const Document&, int32_t, std::string*, std::string*);
    };
    for (const Export& e : {Export{ExportStl, StlExportBytes}, Export{ExportGlb, GlbExportBytes}}) {
        std::string bytes, why;
        ASSERT_TRUE(e.bytes(doc, level, &bytes, &why)) << why;
        ASSERT_GT(bytes.size(), size_t{10} << 20);
        const std::string path = folder.File("m");
        ASSERT_EQ(e.write(doc, level, path, &why), 0) << why;
        EXPECT_TRUE(testing_files::Get(path) == bytes);
        for (const int64_t failAt :
             {int64_t{100}, int64_t{3 << 20} + 1, static_cast<int64_t>(bytes.size()) - 1}) {
            SCOPED_TRACE(failAt);
            testing_files::Put(path, "old");
            SetWriteFaultsForTesting(WriteFaults{failAt});
            EXPECT_EQ(e.write(doc, level, path, &why), -1);
            SetWriteFaultsForTesting(WriteFaults{});
            EXPECT_NE(why.find("No space"), std::string::npos) << why;
            EXPECT_EQ(testing_files::Get(path), "old");
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                                    std::filesystem::directory_iterator()),
                      1);
        }
    }
}

TEST(MeshExport, CommandLineWritesStlAndGlbAndRefusesBadInput) {
    testing_files::TempFolder folder;
    setenv("ZARNI_INI", folder.File("zarni.ini").c_str(), 1);
    testing_files::Put(folder.File("zarni.ini"), "[DefaultValue]\nDivLevel=3\n");
    ASSERT_EQ(WriteDocumentFile(BentDocument(5), folder.File("doc.zarni")), kFileOk);
    Document doc;  // as the file gives it back: colours are kept in bytes
    EditSwitches sw;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(doc, sw, clipboard, folder.File("doc.zarni"), {}), kFileOk);
    testing_files::Put(folder.File("damaged.zarni"), "Zarni! and then nothing sensible");
    auto run = [&](const std::string& args) {
        const int raw = std::system(
            (std::string(ZARNI_CLI_PATH) + " export " + args + " 2>" + folder.File("err")).c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const std::string in = folder.File("doc.zarni") + " ";
    ASSERT_EQ(run(in + folder.File("a.stl")), 0);
    EXPECT_TRUE(testing_files::Get(folder.File("a.stl")) == Stl(doc, 3));  // the settings' level
    ASSERT_EQ(run(in + folder.File("a.glb") + " --div 5"), 0);
    EXPECT_TRUE(testing_files::Get(folder.File("a.glb")) == Glb(doc, 5));
    struct Bad {
        std::string args;
        int status;
    };
    for (const Bad& bad :
         {Bad{in + folder.File("b.stl --div 0"), 2}, Bad{in + folder.File("b.glb --div 21"), 2},
          Bad{in + folder.File("b.stla"), 2}, Bad{in + folder.File("b.glb --size 9x9"), 2},
          Bad{folder.File("damaged.zarni ") + folder.File("b.stl"), 1},
          Bad{folder.File("damaged.zarni ") + folder.File("b.glb"), 1}}) {
        EXPECT_EQ(run(bad.args), bad.status) << bad.args;
        EXPECT_FALSE(testing_files::Get(folder.File("err")).empty()) << bad.args;
    }
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a.glb", "a.stl", "damaged.zarni", "doc.zarni", "err",
                                              "zarni.ini"}));
    unsetenv("ZARNI_INI");
}

}  // namespace
}  // namespace zarni
