// An independent evaluation of the patches and their symmetry copies, in doubles from the
// Bernstein form, that the mesh exports' tests measure their vertices and normals against.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/document.h"
#include "tests/core/test_documents.h"

namespace zarni::meshref {

using V3 = std::array<double, 3>;

struct Corner {
    int v = 0;  // 0-based
    int n = 0;
};

struct ObjFile {
    std::vector<V3> v, vn;
    std::vector<std::array<Corner, 3>> f;
    std::vector<std::vector<int>> l;
    std::vector<std::string> objects, materialsUsed, mtllib;
    std::vector<size_t> facesBefore;  // faces written before each "o"
};

// An OBJ text as lists of its vertices, normals, faces (0-based), polylines and names.
inline ObjFile ParseObj(const std::string& text) {
    ObjFile obj;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string tag;
        words >> tag;
        if (tag == "v" || tag == "vn") {
            V3 p;
            words >> p[0] >> p[1] >> p[2];
            (tag == "v" ? obj.v : obj.vn).push_back(p);
        } else if (tag == "f") {
            std::array<Corner, 3> face;
            int count = 0;
            std::string corner;
            while (words >> corner) {
                const size_t slash = corner.find("//");
                EXPECT_NE(slash, std::string::npos) << line;
                if (count < 3) {
                    face[count].v = std::stoi(corner.substr(0, slash)) - 1;
                    face[count].n = std::stoi(corner.substr(slash + 2)) - 1;
                }
                ++count;
            }
            EXPECT_EQ(count, 3) << line;
            for (const Corner& c : face) {
                EXPECT_LT(c.v, static_cast<int>(obj.v.size())) << "forward reference: " << line;
                EXPECT_LT(c.n, static_cast<int>(obj.vn.size())) << "forward reference: " << line;
            }
            obj.f.push_back(face);
        } else if (tag == "l") {
            std::vector<int> ids;
            int id;
            while (words >> id)
                ids.push_back(id - 1);
            obj.l.push_back(ids);
        } else if (tag == "o") {
            obj.objects.push_back(line.substr(2));
            obj.facesBefore.push_back(obj.f.size());
        } else if (tag == "usemtl") {
            obj.materialsUsed.push_back(line.substr(7));
        } else if (tag == "mtllib") {
            obj.mtllib.push_back(line.substr(7));
        }
    }
    return obj;
}

// A patch point and its derivatives from the Bernstein form, in doubles.
inline void Bernstein(double t, double b[4], double d[4]) {
    const double s = 1 - t;
    b[0] = s * s * s, b[1] = 3 * t * s * s, b[2] = 3 * t * t * s, b[3] = t * t * t;
    d[0] = -3 * s * s, d[1] = 3 * s * s - 6 * t * s, d[2] = 6 * t * s - 3 * t * t, d[3] = 3 * t * t;
}

inline void PatchAt(const PatchObject& obj, const Patch& q, double u, double v, V3& point,
                    V3& normal) {
    const std::array<int32_t, 16> net = PatchNet(obj.segments, q);
    double bu[4], du[4], bv[4], dv[4];
    Bernstein(u, bu, du);
    Bernstein(v, bv, dv);
    V3 pu{}, pv{};
    point = {};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const ControlPoint& cp = obj.points[net[r * 4 + c]];
            const double xyz[3] = {cp.x, cp.y, cp.z};
            for (int k = 0; k < 3; ++k) {
                point[k] += bv[r] * bu[c] * xyz[k];
                pu[k] += bv[r] * du[c] * xyz[k];
                pv[k] += dv[r] * bu[c] * xyz[k];
            }
        }
    }
    normal = {pu[1] * pv[2] - pu[2] * pv[1], pu[2] * pv[0] - pu[0] * pv[2],
              pu[0] * pv[1] - pu[1] * pv[0]};
}

inline double Distance(const V3& a, const V3& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

inline V3 Cross(const V3& a, const V3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline V3 Minus(const V3& a, const V3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline double Dot(const V3& a, const V3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The copies the symmetry settings make, as functions of a point: mirror, then turn, then move.
inline std::vector<V3> CopiesOf(const PatchObject& obj, const V3& p) {
    std::vector<V3> out;
    const int mirror = obj.mirrorFlags & 7;
    for (int t = 0; t <= ((obj.mirrorFlags & kMirrorMove) ? 1 : 0); ++t) {
        for (int k = 0; k < obj.windmillCount; ++k) {
            const double a = ((k * 360) / obj.windmillCount) * M_PI / 180.0;
            for (int c = 0; c <= 7; ++c) {
                if (c & ~mirror) continue;
                V3 q{c & 1 ? -p[0] : p[0], c & 2 ? -p[1] : p[1], c & 4 ? -p[2] : p[2]};
                // Turns about Y only in these tests.
                EXPECT_TRUE(obj.windmillAxis == 2 || obj.windmillCount == 1);
                if (obj.windmillAxis == 2) {
                    q = {std::cos(a) * q[0] + std::sin(a) * q[2], q[1],
                         -std::sin(a) * q[0] + std::cos(a) * q[2]};
                }
                if (t == 1) {
                    q[0] += obj.moveX / 1000.0, q[1] += obj.moveY / 1000.0;
                    q[2] += obj.moveZ / 1000.0;
                }
                out.push_back(q);
            }
        }
    }
    return out;
}

// Two bent patches that share no points, with random control points, and one free curve.
inline Document BentDocument(uint32_t seed) {
    Document doc = NewDocument();
    PatchObject& obj = doc.objects[0];
    testdocs::AddQuadPatch(obj, 0.5f);
    testdocs::AddQuadPatch(obj, 2.0f);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> jitter(-0.4f, 0.4f);
    for (ControlPoint& p : obj.points) {
        p.x += 0.3f + jitter(rng);
        p.y += jitter(rng);
        p.z += jitter(rng);
    }
    RebuildControlCaches(doc);
    return doc;
}

inline size_t FreeSegments(const PatchObject& obj) {
    std::set<int32_t> edges;
    for (const Patch& q : obj.patches)
        edges.insert({q.edge0, q.edge1, q.edge2, q.edge3});
    return obj.segments.size() - edges.size();
}

}  // namespace zarni::meshref
