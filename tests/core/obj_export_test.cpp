// Wavefront OBJ export: vertices on the patches (evaluated here independently), symmetry copies
// with their windings, face and polyline counts, a closed lathed surface as one closed mesh,
// names and materials, and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "formats/native_file.h"
#include "formats/obj_export.h"
#include "model/document.h"
#include "model/tessellation.h"
#include "ops/lathe.h"
#include "tests/core/mesh_reference.h"
#include "tests/core/shape_fixtures.h"
#include "tests/core/temp_folder.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

using namespace meshref;

TEST(ObjExport, VerticesLieOnThePatchesOfEveryCopyAndWindingsFollowTheNormals) {
    for (int32_t flags : {0, 1, 1 | 4 | 8, 7}) {  // none, X, X and Z with a move copy, X Y Z
        Document doc = BentDocument(static_cast<uint32_t>(flags) + 11);
        PatchObject& obj = doc.objects[0];
        obj.mirrorFlags = flags;
        obj.windmillCount = flags == 0 ? 3 : 1;
        obj.windmillAxis = 2;
        obj.moveX = 2500, obj.moveY = -1000, obj.moveZ = 750;
        const int n = 5;
        const ObjFile file = ParseObj(ObjExportTexts(doc, n, "m.mtl").obj);
        SCOPED_TRACE(flags);

        // Every grid point of every patch of every copy is a vertex, and nothing else is.
        std::vector<V3> expected;
        for (const Patch& q : obj.patches) {
            for (int j = 0; j <= n; ++j) {
                for (int i = 0; i <= n; ++i) {
                    V3 p, unused;
                    PatchAt(obj, q, static_cast<double>(i) / n, static_cast<double>(j) / n, p,
                            unused);
                    for (const V3& c : CopiesOf(obj, p))
                        expected.push_back(c);
                }
            }
        }
        const size_t copies = expected.size() / (obj.patches.size() * (n + 1) * (n + 1));
        EXPECT_EQ(static_cast<int32_t>(copies), SymmetryCopyCount(obj));
        std::vector<bool> used(file.v.size(), false);
        for (const std::array<Corner, 3>& face : file.f)
            for (const Corner& c : face)
                used[c.v] = true;
        size_t surfaceVertices = 0;
        for (size_t i = 0; i < file.v.size(); ++i) {
            if (!used[i]) continue;  // polyline vertices
            ++surfaceVertices;
            double best = 1e9;
            for (const V3& e : expected)
                best = std::min(best, Distance(e, file.v[i]));
            EXPECT_LT(best, 2e-5) << "vertex " << i + 1 << " lies on no patch";
        }
        // Unshared patches: one vertex per grid point and copy.
        EXPECT_EQ(surfaceVertices, expected.size());

        // Two triangles per quad of every patch and copy; one polyline per free curve and copy.
        EXPECT_EQ(file.f.size(), copies * obj.patches.size() * n * n * 2);
        ASSERT_EQ(file.l.size(), copies * FreeSegments(obj));
        for (const std::vector<int>& line : file.l)
            EXPECT_EQ(line.size(), static_cast<size_t>(n + 1));

        // Each corner normal is unit length, lies across the surface and is on the side that the
        // triangle's counter-clockwise winding faces, mirrored copies included.
        for (const std::array<Corner, 3>& face : file.f) {
            const V3 geometric = Cross(Minus(file.v[face[1].v], file.v[face[0].v]),
                                       Minus(file.v[face[2].v], file.v[face[0].v]));
            const double area2 = std::sqrt(Dot(geometric, geometric));
            for (const Corner& c : face) {
                const V3& nm = file.vn[c.n];
                EXPECT_NEAR(Dot(nm, nm), 1.0, 1e-4);
                EXPECT_GT(Dot(nm, geometric), 0.5 * area2);
            }
        }
    }
}

TEST(ObjExport, NormalsComeFromTheSurface) {
    Document doc = BentDocument(3);
    const PatchObject& obj = doc.objects[0];
    const int n = 4;
    const ObjFile file = ParseObj(ObjExportTexts(doc, n, "m.mtl").obj);
    // Without symmetry: each corner's normal is the surface normal at its own vertex.
    size_t checked = 0;
    for (const std::array<Corner, 3>& face : file.f) {
        for (const Corner& c : face) {
            double best = 1e9;
            V3 normal{};
            for (const Patch& q : obj.patches) {
                for (int j = 0; j <= n; ++j) {
                    for (int i = 0; i <= n; ++i) {
                        V3 p, nm;
                        PatchAt(obj, q, double(i) / n, double(j) / n, p, nm);
                        const double d = Distance(p, file.v[c.v]);
                        if (d < best) best = d, normal = nm;
                    }
                }
            }
            // The triangles, and so their normals, face the side of -(dP/du x dP/dv).
            const double len = std::sqrt(Dot(normal, normal));
            EXPECT_LT(Dot(file.vn[c.n], normal) / len, -0.9999);
            ++checked;
        }
    }
    EXPECT_EQ(checked, file.f.size() * 3);
}

// Every undirected edge of the triangles and how many triangles use it.
std::map<std::pair<int, int>, int> EdgeUses(const ObjFile& file) {
    std::map<std::pair<int, int>, int> uses;
    for (const std::array<Corner, 3>& face : file.f) {
        for (int k = 0; k < 3; ++k) {
            const int a = face[k].v, b = face[(k + 1) % 3].v;
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    }
    return uses;
}

TEST(ObjExport, ClosedLathedSurfaceIsOneClosedMesh) {
    // A closed wavy ring beside the Y axis, turned all the way round: a torus.
    Document doc = NewDocument();
    shapefix::AddChain(doc, 5, true, [](int32_t t, float& x, float& y) {
        const float a = static_cast<float>(t) * 2.0f * static_cast<float>(M_PI) / 5.0f;
        x = 2.0f + 0.7f * std::cos(a);
        y = 0.7f * std::sin(a);
    });
    EditSwitches sw;
    LatheSettings settings;
    settings.axis = 2;
    settings.type = kLatheClose;
    settings.divLevel = 6;
    LatheFull(doc, sw, settings);
    RebuildControlCaches(doc);
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.patches.size(), 30u);
    for (int n : {1, 3, 6}) {
        const ObjFile file = ParseObj(ObjExportTexts(doc, n, "m.mtl").obj);
        EXPECT_EQ(file.f.size(), 30u * n * n * 2);
        const std::map<std::pair<int, int>, int> uses = EdgeUses(file);
        for (const auto& [edge, count] : uses)
            EXPECT_EQ(count, 2) << "edge " << edge.first + 1 << "-" << edge.second + 1;
        // A torus: V - E + F = 0, every vertex written once.
        EXPECT_EQ(static_cast<long>(file.v.size()) - static_cast<long>(uses.size()) +
                      static_cast<long>(file.f.size()),
                  0);
        EXPECT_EQ(file.v.size(), 30u * n * n);
    }
    // With a mirror copy the two closed meshes stay apart, each closed.
    doc.objects[0].mirrorFlags = kMirrorY;
    const ObjFile twice = ParseObj(ObjExportTexts(doc, 3, "m.mtl").obj);
    EXPECT_EQ(twice.v.size(), 2u * 30 * 9);
    for (const auto& [edge, count] : EdgeUses(twice))
        EXPECT_EQ(count, 2);
}

TEST(ObjExport, ObjectsAreNamedInUtf8AndShareMaterialsByColour) {
    Document doc = NewDocument();
    doc.objects[0].name = "\x83\x65\x83\x58\x83\x67";  // テスト in Shift_JIS
    doc.objects[0].color = {{1.0f, 0.5f, 0.0f, 1.0f}};
    CreateObject(doc);
    doc.objects[1].name = "two\tparts\nhere";
    doc.objects[1].color = {{0.2f, 0.4f, 0.6f, 1.0f}};
    testdocs::AddQuadPatch(doc.objects[1], 0.0f);
    CreateObject(doc);
    doc.objects[2].name = "";
    doc.objects[2].color = {{1.0f, 0.5f, 0.0f, 1.0f}};
    // A colour less than a byte away from the first keeps a material of its own.
    CreateObject(doc);
    doc.objects[3].name = "near";
    doc.objects[3].color = {{1.0f, 0.501f, 0.0f, 1.0f}};
    RebuildControlCaches(doc);

    const ObjTexts texts = ObjExportTexts(doc, 2, "scene.mtl");
    const ObjFile file = ParseObj(texts.obj);
    EXPECT_EQ(file.mtllib, std::vector<std::string>{"scene.mtl"});
    EXPECT_EQ(file.objects, (std::vector<std::string>{"\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88",
                                                      "two_parts_here", "OBJ_003", "near"}));
    ASSERT_EQ(file.materialsUsed.size(), 4u);
    EXPECT_EQ(file.materialsUsed[0], file.materialsUsed[2]);
    EXPECT_NE(file.materialsUsed[0], file.materialsUsed[1]);
    EXPECT_NE(file.materialsUsed[0], file.materialsUsed[3]);
    // Only the second object has geometry: its faces come after its own "o" line.
    EXPECT_EQ(file.facesBefore, (std::vector<size_t>{0, 0, 8, 8}));

    // The material file defines each used material once, with the object's colour.
    std::map<std::string, V3> kd;
    std::istringstream in(texts.mtl);
    std::string line, current;
    while (std::getline(in, line)) {
        if (line.rfind("newmtl ", 0) == 0) {
            current = line.substr(7);
            EXPECT_EQ(kd.count(current), 0u) << current;
            kd[current] = {};
        } else if (line.rfind("Kd ", 0) == 0) {
            std::istringstream w(line.substr(3));
            w >> kd[current][0] >> kd[current][1] >> kd[current][2];
        }
    }
    EXPECT_EQ(kd.size(), 3u);
    for (size_t o = 0; o < 4; ++o) {
        ASSERT_EQ(kd.count(file.materialsUsed[o]), 1u) << file.materialsUsed[o];
        const V3& c = kd[file.materialsUsed[o]];
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(c[k], doc.objects[o].color[k], 1e-6);
    }
}

TEST(ObjExport, CollapsedEdgesCloseTheMeshWithoutEmptyTriangles) {
    // A patch whose top edge is one point (all four control points the same index): the
    // triangles along it would have two equal corners and are left out.
    Document doc = NewDocument();
    PatchObject& obj = doc.objects[0];
    testdocs::AddQuadPatch(obj, 0.0f);
    Segment& top = obj.segments[obj.patches[0].edge1];
    top.p1 = top.p2 = top.p3 = top.p0;
    RebuildControlCaches(doc);
    const int n = 4;
    const ObjFile file = ParseObj(ObjExportTexts(doc, n, "m.mtl").obj);
    EXPECT_EQ(file.f.size(), static_cast<size_t>(n * n * 2 - n));
    for (const std::array<Corner, 3>& face : file.f) {
        EXPECT_NE(face[0].v, face[1].v);
        EXPECT_NE(face[1].v, face[2].v);
        EXPECT_NE(face[0].v, face[2].v);
        // Normals at the pole are the limit from inside, never zero.
        for (const Corner& c : face)
            EXPECT_NEAR(Dot(file.vn[c.n], file.vn[c.n]), 1.0, 1e-4);
    }
}

class ObjCli : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ZARNI_INI", folder_.File("zarni.ini").c_str(), 1); }
    void TearDown() override { unsetenv("ZARNI_INI"); }

    int Run(const std::string& args) const {
        const std::string command = std::string(ZARNI_CLI_PATH) + " " + args + " >" +
                                    folder_.File("out") + " 2>" + folder_.File("err");
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    bool Exists(const std::string& name) const {
        struct stat st;
        return stat(folder_.File(name).c_str(), &st) == 0;
    }

    testing_files::TempFolder folder_;
};

TEST_F(ObjCli, ExportsTheMeshWithItsMaterialFile) {
    const Document doc = BentDocument(5);
    ASSERT_EQ(WriteDocumentFile(doc, folder_.File("doc.zarni")), kFileOk);
    // The settings' level by default.
    testing_files::Put(folder_.File("zarni.ini"), "[DefaultValue]\nDivLevel=3\n");
    ASSERT_EQ(Run(folder_.File("doc.zarni") + " " + folder_.File("mesh.obj")), 2);
    ASSERT_EQ(Run("export " + folder_.File("doc.zarni") + " " + folder_.File("mesh.obj")), 0);
    const ObjFile byDefault = ParseObj(testing_files::Get(folder_.File("mesh.obj")));
    EXPECT_EQ(byDefault.f.size(), 2u * 3 * 3 * 2);
    EXPECT_EQ(byDefault.mtllib, std::vector<std::string>{"mesh.mtl"});
    EXPECT_NE(testing_files::Get(folder_.File("mesh.mtl")).find("newmtl"), std::string::npos);

    ASSERT_EQ(
        Run("export " + folder_.File("doc.zarni") + " " + folder_.File("mesh.obj") + " --div 7"),
        0);
    const std::string seven = testing_files::Get(folder_.File("mesh.obj"));
    EXPECT_EQ(seven, ObjExportTexts(doc, 7, "mesh.mtl").obj);

    // Bad options are refused before anything is written.
    for (const char* bad :
         {" --div 0", " --div 21", " --div x", " --div", " --pov 3.7", " --size 10x10"}) {
        EXPECT_EQ(Run("export " + folder_.File("doc.zarni") + " " + folder_.File("bad.obj") + bad),
                  2)
            << bad;
        EXPECT_FALSE(Exists("bad.obj")) << bad;
        EXPECT_FALSE(Exists("bad.mtl")) << bad;
    }
    EXPECT_EQ(Run("export " + folder_.File("doc.zarni") + " " + folder_.File("x.inc --div 3")), 2);
    // A folder that does not exist: a failure, nothing claimed.
    EXPECT_EQ(Run("export " + folder_.File("doc.zarni") + " " + folder_.File("no/mesh.obj")), 1);
}

TEST(ObjExport, MaterialFileSitsBesideTheMesh) {
    EXPECT_EQ(MaterialPathFor("/a/b.c/mesh.obj"), "/a/b.c/mesh.mtl");
    EXPECT_EQ(MaterialPathFor("/a/b.c/mesh"), "/a/b.c/mesh.mtl");
    testing_files::TempFolder folder;
    const std::string path = folder.File("same.mtl");
    std::string why;
    EXPECT_EQ(ExportObj(NewDocument(), 3, path, &why), -1);
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace zarni
