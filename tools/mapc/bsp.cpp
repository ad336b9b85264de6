#include "bsp.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace {

// How far each side's region reaches past its splitting plane.
constexpr double kTouch = 1e-3;
// Deeper than any useful tree; the loader takes up to 1024.
constexpr int kMaxDepth = 64;

// The part of a brush inside a node's region.
struct Piece {
    const BspBrush* brush;
    std::vector<Plane> planes;
    std::vector<Vec3> corners;
};

class BspBuilder {
public:
    explicit BspBuilder(MapWriter& out) : out(out) {}

    void Build(const std::vector<BspBrush>& brushes)
    {
        if (brushes.empty())
            return;
        std::vector<Piece> pieces;
        for (const BspBrush& brush : brushes)
            pieces.push_back({&brush, brush.planes, CornersOf(brush.planes)});
        const int32_t root = Child(pieces, 0);
        // The tree starts at node 0 even when one leaf holds everything.
        if (root < 0)
            out.Node(root, root, brushes[0].planeIndices[0]);
    }

private:
    struct Split {
        uint32_t planeIndex;
        Plane plane;
    };

    // The piece's part on one side, widened by kTouch; false when it has none.
    static bool Side(const Piece& piece, const Plane& plane, bool front, Piece& part)
    {
        double lowest = std::numeric_limits<double>::max(), highest = -lowest;
        for (const Vec3& p : piece.corners) {
            lowest = std::min(lowest, plane.To(p));
            highest = std::max(highest, plane.To(p));
        }
        if (front ? highest <= -kTouch : lowest >= kTouch)
            return false;
        part = piece;
        if (front ? lowest >= -kTouch : highest <= kTouch)
            return true;  // wholly on this side
        part.planes.push_back(front ? Plane{-plane.normal, kTouch - plane.distance}
                                    : Plane{plane.normal, plane.distance + kTouch});
        part.corners = CornersOf(part.planes);
        return !part.corners.empty();
    }

    static size_t CountSide(const std::vector<Piece>& pieces, const Plane& plane, bool front)
    {
        size_t count = 0;
        for (const Piece& piece : pieces) {
            bool in = false;
            for (const Vec3& p : piece.corners)
                in |= front ? plane.To(p) > -kTouch : plane.To(p) < kTouch;
            count += in;
        }
        return count;
    }

    // The plane that leaves the fuller side emptiest, then cuts fewest
    // brushes, axis-aligned ones first; false when none leaves fewer
    // brushes on both sides.
    static bool Choose(const std::vector<Piece>& pieces, Split& best)
    {
        const size_t n = pieces.size();
        std::tuple<size_t, size_t, bool> bestScore{n, 2 * n, true};
        bool found = false;
        std::vector<uint32_t> tried;
        for (const Piece& piece : pieces)
            for (size_t i = 0; i < piece.brush->planes.size(); ++i) {
                const uint32_t index = piece.brush->planeIndices[i];
                if (std::find(tried.begin(), tried.end(), index) != tried.end())
                    continue;
                tried.push_back(index);
                const Plane& plane = piece.brush->planes[i];
                const size_t front = CountSide(pieces, plane, true), back = CountSide(pieces, plane, false);
                if (front == n || back == n)
                    continue;
                const Vec3& normal = plane.normal;
                const bool axial = std::fabs(normal.x) == 1 || std::fabs(normal.y) == 1 || std::fabs(normal.z) == 1;
                const std::tuple<size_t, size_t, bool> score{std::max(front, back), front + back, !axial};
                if (!found || score < bestScore) {
                    bestScore = score;
                    best = {index, plane};
                    found = true;
                }
            }
        return found;
    }

    int32_t Leaf(const std::vector<Piece>& pieces)
    {
        std::vector<uint32_t> listed;
        for (const Piece& piece : pieces)
            listed.push_back(piece.brush->index);
        std::sort(listed.begin(), listed.end());
        listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
        out.Leaf(out.Count(kLumpLeafBrushes), uint32_t(listed.size()));
        for (uint32_t brush : listed)
            out.LeafBrush(brush);
        return -int32_t(out.Count(kLumpBspLeaves));
    }

    // The child value for a region holding these pieces: 0 when empty.
    // Each side holds fewer brushes than its parent, so the tree ends.
    int32_t Child(const std::vector<Piece>& pieces, int depth)
    {
        if (pieces.empty())
            return 0;
        Split split;
        if (pieces.size() == 1 || depth == kMaxDepth || !Choose(pieces, split))
            return Leaf(pieces);
        // Parents come before their children.
        const uint32_t node = out.Count(kLumpBspNodes);
        out.Node(0, 0, split.planeIndex);
        std::vector<Piece> front, back;
        for (const Piece& piece : pieces) {
            Piece part;
            if (Side(piece, split.plane, true, part))
                front.push_back(part);
            if (Side(piece, split.plane, false, part))
                back.push_back(part);
        }
        MapBspNodeRecord record{{}, Child(front, depth + 1), Child(back, depth + 1), split.planeIndex};
        out.Set<kLumpBspNodes>(node, record);
        return int32_t(node);
    }

    MapWriter& out;
};

}  // namespace

void WriteBsp(const std::vector<BspBrush>& brushes, MapWriter& out)
{
    BspBuilder(out).Build(brushes);
}
