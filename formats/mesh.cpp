// The shared mesh of the exports: patches evaluated on the views' grid, vertices welded along
// shared edges, the winding that faces outward, and the check for a closed surface.
#include "formats/mesh.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "model/invariants.h"
#include "platform/cp932.h"

namespace zarni {

namespace {

// de Casteljau on four points: the point at t and the difference of the last two intermediate
// points. Lane by lane these are the operations of PatchPointAt (model/tessellation.cpp), so
// the results are its own bit for bit.
inline void CasteljauWithTangent(const FloatLanes p[4], float t, FloatLanes& point,
                                 FloatLanes& tangent) {
    const float s = 1.0f - t;
    const FloatLanes a0 = s * p[0] + t * p[1], a1 = s * p[1] + t * p[2], a2 = s * p[2] + t * p[3];
    const FloatLanes b0 = s * a0 + t * a1, b1 = s * a1 + t * a2;
    point = s * b0 + t * b1;
    tangent = b1 - b0;
}

// The four rows of a patch net at one u: their points and u tangents, which every grid point
// of that column shares.
struct GridColumn {
    FloatLanes point[4];
    FloatLanes tangent[4];
};

// EvaluatePatchGrid's points and normals, bit for bit, with the steps along u made once a
// column instead of once a point.
void EvaluateGrid(const float* net, const std::vector<float>& params, GridColumn* columns,
                  float* points, float* normals) {
    const size_t stride = params.size();
    FloatLanes rows[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const float* at = net + (r * 4 + c) * 3;
            rows[r][c] = FloatLanes{at[0], at[1], at[2], 0.0f};
        }
    for (size_t i = 0; i < stride; ++i)
        for (int r = 0; r < 4; ++r)
            CasteljauWithTangent(rows[r], params[i], columns[i].point[r], columns[i].tangent[r]);
    for (size_t j = 0; j < stride; ++j) {
        const float v = params[j];
        for (size_t i = 0; i < stride; ++i) {
            const size_t at = (j * stride + i) * 3;
            FloatLanes point, dv, du, unused;
            CasteljauWithTangent(columns[i].point, v, point, dv);
            CasteljauWithTangent(columns[i].tangent, v, du, unused);
            std::memcpy(points + at, &point, 12);
            UnitNormal(du, dv, normals + at);
        }
    }
}

// Four control point indices of a curve, in one fixed direction.
struct CurveKey {
    std::array<int32_t, 4> p;
    bool operator==(const CurveKey& o) const { return p == o.p; }
};
struct CurveKeyHash {
    size_t operator()(const CurveKey& k) const {
        uint64_t h = 1469598103934665603ull;
        for (int32_t v : k.p)
            h = (h ^ static_cast<uint32_t>(v)) * 1099511628211ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

// What is known of one curve: where its inner vertices start, and how the patches that have it
// as an edge run along it.
struct CurveRecord {
    int32_t base = -1;     // first of its n - 1 inner vertices; -1 before they are made
    int32_t edgeUses = 0;  // patches that have it as an edge
    int32_t runs = 0;      // +1 for each such patch running it in key order, -1 the other way
};

class MeshBuilder {
  public:
    MeshBuilder(const PatchObject& obj, int32_t steps)
        : obj_(obj),
          n_(steps),
          params_(GridParameters(steps)),
          pointVertex_(obj.points.size(), -1) {}

    ObjectMesh Build() {
        const size_t grid = params_.size() * params_.size(), patches = obj_.patches.size();
        ReserveFilledOnce(mesh_.vertices,
                          (patches * grid + obj_.segments.size() * params_.size()) * 3);
        ReserveFilledOnce(mesh_.normals, patches * grid * 3);
        // Every quad's two triangles at most, written in place and cut to those kept.
        ReserveFilledOnce(mesh_.triangles, patches * static_cast<size_t>(n_ * n_) * 12);
        mesh_.triangles.resize(mesh_.triangles.capacity());
        ReserveFilledOnce(gridPoints_, patches * grid * 3);
        gridPoints_.resize(patches * grid * 3);
        mesh_.normals.resize(patches * grid * 3);
        AddPatches();
        std::vector<float>().swap(gridPoints_);
        mesh_.triangles.resize(trianglesKept_ * 6);
        std::vector<uint8_t> edgeOfPatch(obj_.segments.size(), 0);
        for (const Patch& q : obj_.patches)
            for (int32_t e : {q.edge0, q.edge1, q.edge2, q.edge3})
                edgeOfPatch[e] = 1;
        for (size_t s = 0; s < obj_.segments.size(); ++s)
            if (!edgeOfPatch[s]) AddFreeSegment(obj_.segments[s]);
        mesh_.closed = !obj_.patches.empty() && EdgesPaired();
        if (mesh_.closed && Volume() < 0.0) TurnOver();
        return std::move(mesh_);
    }

  private:
    int32_t NewVertex(const float* at) {
        const int32_t index = static_cast<int32_t>(mesh_.vertices.size() / 3);
        mesh_.vertices.insert(mesh_.vertices.end(), at, at + 3);
        return index;
    }

    int32_t PointVertex(int32_t point, const float* at) {
        int32_t& v = pointVertex_[point];
        if (v < 0) v = NewVertex(at);
        return v;
    }

    // All four control points in one place, whether or not they are one point: the sphere's
    // poles are the pole point with the two handles of the arc it sweeps.
    bool FoldedToAPoint(const std::array<int32_t, 4>& cp) const {
        const ControlPoint& a = obj_.points[cp[0]];
        for (int k = 1; k < 4; ++k) {
            const ControlPoint& b = obj_.points[cp[k]];
            if (b.x != a.x || b.y != a.y || b.z != a.z) return false;
        }
        return true;
    }

    // The vertices of the n + 1 grid parameters along the curve of control points `cp`, whose
    // positions lie `posStride` floats apart from `pos`; their indices go `outStride` apart.
    // `run` is +1 when the triangles run along the curve from cp[0] to cp[3] as the edge of a
    // patch, -1 the other way, 0 for a curve that is no patch edge.
    void CurveVertices(const std::array<int32_t, 4>& cp, const float* pos, size_t posStride,
                       int32_t* out, size_t outStride, int run) {
        const size_t n = static_cast<size_t>(n_);
        if (FoldedToAPoint(cp)) {
            // No edge for another patch to meet: one vertex, which the curve's far end shares
            // unless it has one of its own already (a pole the lathe left as several points).
            const int32_t v = PointVertex(cp[0], pos);
            if (pointVertex_[cp[3]] < 0) pointVertex_[cp[3]] = v;
            for (size_t k = 0; k <= n; ++k)
                out[k * outStride] = v;
            return;
        }
        out[0] = PointVertex(cp[0], pos);
        out[n * outStride] = PointVertex(cp[3], pos + n * posStride);
        const std::array<int32_t, 4> back{{cp[3], cp[2], cp[1], cp[0]}};
        const bool reversed = back < cp;
        CurveRecord& record = curves_[CurveKey{reversed ? back : cp}];
        if (run != 0) {
            ++record.edgeUses;
            record.runs += reversed ? -run : run;
        }
        if (n < 2) return;
        if (record.base < 0) {
            record.base = static_cast<int32_t>(mesh_.vertices.size() / 3);
            for (size_t m = 1; m < n; ++m)
                NewVertex(pos + (reversed ? n - m : m) * posStride);
        }
        for (size_t k = 1; k < n; ++k)
            out[k * outStride] = record.base + static_cast<int32_t>(reversed ? n - k : k) - 1;
    }

    // Both threads evaluate the patches' grids, claiming them one at a time in order; this one
    // welds each patch as soon as its grid is there (the welding numbers the vertices patch by
    // patch, as one thread would) and evaluates the next unclaimed grid while it waits.
    void AddPatches() {
        const size_t patches = obj_.patches.size();
        std::atomic<size_t> next{0};
        std::vector<std::atomic<bool>> ready(patches);
        auto evaluateNext = [&](GridColumn* columns) {
            const size_t p = next.fetch_add(1);
            if (p >= patches) return false;
            EvaluatePatch(p, columns);
            ready[p].store(true, std::memory_order_release);
            return true;
        };
        std::vector<GridColumn> mine(params_.size()), helpers(params_.size());
        std::thread helper;
        try {
            helper = std::thread([&] {
                while (evaluateNext(helpers.data())) {
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one evaluates every grid itself.
        }
        struct Join {
            std::thread& thread;
            ~Join() {
                if (thread.joinable()) thread.join();
            }
        } join{helper};
        for (size_t p = 0; p < patches; ++p) {
            while (!ready[p].load(std::memory_order_acquire))
                if (!evaluateNext(mine.data())) std::this_thread::yield();
            AddPatch(obj_.patches[p], p);
        }
    }

    // The points and normals of patch `p` on the grid, into gridPoints_ and mesh_.normals at
    // the patch's place; the normals turned to the side the triangles face.
    void EvaluatePatch(size_t p, GridColumn* columns) {
        const size_t stride = params_.size();
        const size_t grid = stride * stride;
        float cp[48];
        PatchFloats(obj_.points.data(), obj_.segments, obj_.patches[p], cp);
        float* normals = mesh_.normals.data() + p * grid * 3;
        EvaluateGrid(cp, params_, columns, gridPoints_.data() + p * grid * 3, normals);
        for (size_t j = 0; j < stride; ++j) {
            for (size_t i = 0; i < stride; ++i) {
                float* nm = normals + (j * stride + i) * 3;
                // Where the surface folds to a point (a pole) the derivatives give no normal;
                // the normal just inside the patch is its limit there.
                if (nm[0] == 0.0f && nm[1] == 0.0f && nm[2] == 0.0f) {
                    const float u = params_[i] + (0.5f - params_[i]) * 1e-3f;
                    const float v = params_[j] + (0.5f - params_[j]) * 1e-3f;
                    float unused[3];
                    PatchPointAt(cp, u, v, unused, nm);
                }
                // The triangles face the other side of dP/du x dP/dv.
                for (int k = 0; k < 3; ++k)
                    nm[k] = -nm[k];
            }
        }
    }

    void AddPatch(const Patch& q, size_t index) {
        const std::array<int32_t, 16> net = PatchNet(obj_.segments, q);
        const size_t stride = params_.size();
        const size_t grid = stride * stride;
        const size_t normalBase = index * grid;

        gridVertex_.resize(grid);
        int32_t* g = gridVertex_.data();
        const float* p = gridPoints_.data() + normalBase * 3;
        const size_t n = static_cast<size_t>(n_);
        // Around the patch the triangles run down the u = 1 edge, back along v = 0, up the
        // u = 0 edge and forward along v = 1.
        CurveVertices({{net[0], net[1], net[2], net[3]}}, p, 3, g, 1, -1);
        CurveVertices({{net[12], net[13], net[14], net[15]}}, p + n * stride * 3, 3, g + n * stride,
                      1, +1);
        CurveVertices({{net[0], net[4], net[8], net[12]}}, p, stride * 3, g, stride, +1);
        CurveVertices({{net[3], net[7], net[11], net[15]}}, p + n * 3, stride * 3, g + n, stride,
                      -1);
        for (size_t j = 1; j < n; ++j)
            for (size_t i = 1; i < n; ++i)
                g[j * stride + i] = NewVertex(p + (j * stride + i) * 3);

        // Quad (i, j) .. (i + 1, j + 1) split along the diagonal the views' strips use.
        const int32_t nb = static_cast<int32_t>(normalBase);
        for (size_t j = 0; j < n; ++j) {
            for (size_t i = 0; i < n; ++i) {
                const size_t a = j * stride + i, b = a + 1, d = a + stride, c = d + 1;
                AddTriangle(g[a], nb + a, g[d], nb + d, g[b], nb + b);
                AddTriangle(g[b], nb + b, g[d], nb + d, g[c], nb + c);
            }
        }
    }

    void AddTriangle(int32_t v0, size_t n0, int32_t v1, size_t n1, int32_t v2, size_t n2) {
        if (v0 == v1 || v1 == v2 || v0 == v2) return;
        const float* a = &mesh_.vertices[static_cast<size_t>(v0) * 3];
        const float* b = &mesh_.vertices[static_cast<size_t>(v1) * 3];
        const float* c = &mesh_.vertices[static_cast<size_t>(v2) * 3];
        double e1[3], e2[3];
        for (int k = 0; k < 3; ++k) {
            e1[k] = static_cast<double>(b[k]) - a[k];
            e2[k] = static_cast<double>(c[k]) - a[k];
        }
        const double facet[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                 e1[0] * e2[1] - e1[1] * e2[0]};
        const double length2 = facet[0] * facet[0] + facet[1] * facet[1] + facet[2] * facet[2];
        // Collapsed to a line or a point: nothing to see, and no direction to face.
        if (!(length2 > 0.0)) return;
        // A corner whose patch gave no normal at all (a patch folded flat) takes the triangle's.
        for (size_t nm : {n0, n1, n2}) {
            float* to = &mesh_.normals[nm * 3];
            if (to[0] == 0.0f && to[1] == 0.0f && to[2] == 0.0f) {
                const double length = std::sqrt(length2);
                for (int k = 0; k < 3; ++k)
                    to[k] = static_cast<float>(facet[k] / length);
            }
        }
        int32_t* t = &mesh_.triangles[trianglesKept_++ * 6];
        t[0] = v0, t[1] = static_cast<int32_t>(n0);
        t[2] = v1, t[3] = static_cast<int32_t>(n1);
        t[4] = v2, t[5] = static_cast<int32_t>(n2);
    }

    void AddFreeSegment(const Segment& s) {
        const std::array<int32_t, 4> cp{{s.p0, s.p1, s.p2, s.p3}};
        float ctrl[12];
        SegmentFloats(obj_.points.data(), s, ctrl);
        const size_t stride = params_.size();
        points_.resize(stride * 3);
        for (size_t i = 0; i < stride; ++i)
            CubicAt(ctrl, params_[i], points_.data() + i * 3);
        gridVertex_.resize(stride);
        CurveVertices(cp, points_.data(), 3, gridVertex_.data(), 1, 0);
        // A curve folded onto one vertex draws nothing.
        std::vector<int32_t> line;
        for (size_t i = 0; i < stride; ++i)
            if (line.empty() || line.back() != gridVertex_[i]) line.push_back(gridVertex_[i]);
        if (line.size() < 2) return;
        mesh_.lines.push_back(static_cast<int32_t>(line.size()));
        mesh_.lines.insert(mesh_.lines.end(), line.begin(), line.end());
    }

    // Every patch edge is the edge of exactly one other patch, which runs it the other way.
    // Inside a patch the quads pair their edges already; the vertices of a shared edge are
    // shared, so this makes every triangle edge meet exactly one other, reversed.
    bool EdgesPaired() const {
        for (const auto& [key, record] : curves_)
            if (record.edgeUses != 0 && (record.edgeUses != 2 || record.runs != 0)) return false;
        return true;
    }

    // Six times the volume the triangles enclose, positive when they face outward.
    double Volume() const {
        double sum = 0.0;
        const float* v = mesh_.vertices.data();
        for (size_t t = 0; t < mesh_.triangles.size(); t += 6) {
            const float* a = v + static_cast<size_t>(mesh_.triangles[t]) * 3;
            const float* b = v + static_cast<size_t>(mesh_.triangles[t + 2]) * 3;
            const float* c = v + static_cast<size_t>(mesh_.triangles[t + 4]) * 3;
            sum += a[0] * (static_cast<double>(b[1]) * c[2] - static_cast<double>(b[2]) * c[1]) +
                   a[1] * (static_cast<double>(b[2]) * c[0] - static_cast<double>(b[0]) * c[2]) +
                   a[2] * (static_cast<double>(b[0]) * c[1] - static_cast<double>(b[1]) * c[0]);
        }
        return sum;
    }

    void TurnOver() {
        for (size_t t = 0; t < mesh_.triangles.size(); t += 6) {
            std::swap(mesh_.triangles[t + 2], mesh_.triangles[t + 4]);
            std::swap(mesh_.triangles[t + 3], mesh_.triangles[t + 5]);
        }
        for (float& c : mesh_.normals)
            c = -c;
        mesh_.turned = true;
    }

    const PatchObject& obj_;
    const int32_t n_;
    const std::vector<float> params_;
    std::vector<int32_t> pointVertex_;
    std::unordered_map<CurveKey, CurveRecord, CurveKeyHash> curves_;
    size_t trianglesKept_ = 0;
    std::vector<float> gridPoints_;  // the grid points of every patch, in patch order
    std::vector<float> points_;
    std::vector<int32_t> gridVertex_;
    ObjectMesh mesh_;
};

}  // namespace

ObjectMesh BuildObjectMesh(const PatchObject& obj, int32_t steps) {
    return MeshBuilder(obj, TessellationSteps(steps)).Build();
}

void OnTwoThreads(size_t count, const std::function<void(size_t, size_t)>& work) {
    const size_t half = count / 2;
    std::exception_ptr failed;
    std::thread second;
    if (half > 0) {
        try {
            second = std::thread([&] {
                try {
                    work(half, count);
                } catch (...) {
                    failed = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one does it all.
        }
    }
    if (!second.joinable()) {
        work(0, count);
        return;
    }
    try {
        work(0, half);
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (failed) std::rethrow_exception(failed);
}

namespace {

// Thrown into `make` at its next block once the writer has given up.
struct Stopped {};

// Without a second thread: each full block is delivered at once.
class DirectOut final : public BlockOut {
  public:
    explicit DirectOut(const std::function<bool(const char*, size_t)>& deliver)
        : deliver_(deliver), block_(new char[kBlockBytes]) {
        start_ = at_ = block_.get();
        end_ = start_ + kBlockBytes;
    }
    bool Finish() { return Deliver(); }

  private:
    void Swap() override {
        if (!Deliver()) throw Stopped();
    }
    bool Deliver() {
        const size_t n = static_cast<size_t>(at_ - start_);
        at_ = start_;
        return n == 0 || deliver_(start_, n);
    }

    const std::function<bool(const char*, size_t)>& deliver_;
    std::unique_ptr<char[]> block_;
};

// Full blocks queued from the making thread to the writing one, which hands them back empty.
class PipedOut final : public BlockOut {
  public:
    PipedOut() {
        for (auto& b : blocks_)
            b.reset(new char[kBlockBytes]);
        for (size_t b = 1; b < kBlocks; ++b)
            empty_.push_back(blocks_[b].get());
        start_ = at_ = blocks_[0].get();
        end_ = start_ + kBlockBytes;
    }

    // The making thread's end: its last bytes, or the exception that ended it.
    void Finish(std::exception_ptr failed) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failed && at_ > start_) full_.push_back({start_, static_cast<size_t>(at_ - start_)});
        failed_ = failed;
        done_ = true;
        changed_.notify_all();
    }

    // Delivers the blocks as they come until the making thread is done or `deliver` fails.
    bool Drain(const std::function<bool(const char*, size_t)>& deliver) {
        for (;;) {
            Piece piece;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return done_ || !full_.empty(); });
                if (failed_ || full_.empty()) return !failed_;
                piece = full_.front();
                full_.pop_front();
            }
            if (!deliver(piece.data, piece.size)) {
                Stop();
                return false;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            empty_.push_back(piece.data);
            changed_.notify_all();
        }
    }

    void Stop() {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

    // After the making thread has ended: the exception that ended it, if any.
    std::exception_ptr failed() {
        std::lock_guard<std::mutex> lock(mutex_);
        return failed_;
    }

  private:
    struct Piece {
        char* data = nullptr;
        size_t size = 0;
    };
    // Enough for the maker to fill one block while the writer writes another.
    static constexpr size_t kBlocks = 4;

    void Swap() override {
        std::unique_lock<std::mutex> lock(mutex_);
        full_.push_back({start_, static_cast<size_t>(at_ - start_)});
        at_ = start_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return stopped_ || !empty_.empty(); });
        if (stopped_) throw Stopped();
        start_ = at_ = empty_.back();
        end_ = start_ + kBlockBytes;
        empty_.pop_back();
    }

    std::unique_ptr<char[]> blocks_[kBlocks];
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> full_;
    std::vector<char*> empty_;
    bool stopped_ = false;
    bool done_ = false;
    std::exception_ptr failed_;
};

}  // namespace

void BlockOut::Put(const void* data, size_t n) {
    const char* from = static_cast<const char*>(data);
    while (n > 0) {
        if (at_ == end_) Swap();
        const size_t part = std::min(n, static_cast<size_t>(end_ - at_));
        std::memcpy(at_, from, part);
        at_ += part;
        from += part;
        n -= part;
    }
}

bool StreamBytes(const std::function<void(BlockOut&)>& make,
                 const std::function<bool(const char*, size_t)>& deliver) {
    PipedOut piped;
    std::thread maker;
    try {
        maker = std::thread([&] {
            std::exception_ptr failed;
            try {
                make(piped);
            } catch (const Stopped&) {
            } catch (...) {
                failed = std::current_exception();
            }
            piped.Finish(failed);
        });
    } catch (const std::system_error&) {
        DirectOut direct(deliver);
        try {
            make(direct);
        } catch (const Stopped&) {
            return false;
        }
        return direct.Finish();
    }
    bool ok;
    try {
        ok = piped.Drain(deliver);
    } catch (...) {
        piped.Stop();
        maker.join();
        throw;
    }
    // The writer's errno (a full disk) is the reason its caller reports.
    const int error = errno;
    maker.join();
    if (std::exception_ptr failed = piped.failed()) std::rethrow_exception(failed);
    errno = error;
    return ok;
}

std::string MeshObjectName(const PatchObject& obj, size_t index) {
    std::string name = Cp932ToUtf8(obj.name.c_str());
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    if (name.find_first_not_of(' ') == std::string::npos) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "OBJ_%03zu", index + 1);
        name = fallback;
    }
    return name;
}

std::string MeshExportProblem(const Document& doc, int32_t divLevel) {
    if (divLevel < 1 || divLevel > 20) {
        return "the subdivision level " + std::to_string(divLevel) + " is not between 1 and 20";
    }
    for (size_t o = 0; o < doc.objects.size(); ++o) {
        std::string why;
        if (!ObjectIndicesValid(doc.objects[o], &why)) {
            return "the document is damaged (object " + std::to_string(o + 1) + ": " + why + ")";
        }
    }
    return "";
}

}  // namespace zarni
