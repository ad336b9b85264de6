#include "bsp.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_set>
#include <utility>

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

    // The axis of a plane facing straight along one, else -1.
    static int AxisOf(const Plane& plane)
    {
        const Vec3& n = plane.normal;
        return n.y == 0 && n.z == 0 ? 0 : n.x == 0 && n.z == 0 ? 1 : n.x == 0 && n.y == 0 ? 2 : -1;
    }

    // Per axis, the lowest and the highest corner of every piece, each
    // sorted: the pieces reaching either side of an axial plane are then
    // counted by two binary searches instead of a pass over every corner.
    class AxialCounter {
    public:
        explicit AxialCounter(const std::vector<Piece>& pieces)
        {
            for (int axis = 0; axis < 3; ++axis) {
                for (const Piece& piece : pieces) {
                    double lowest = std::numeric_limits<double>::max(), highest = -lowest;
                    for (const Vec3& p : piece.corners) {
                        lowest = std::min(lowest, p[axis]);
                        highest = std::max(highest, p[axis]);
                    }
                    low[axis].push_back(lowest);
                    high[axis].push_back(highest);
                }
                std::sort(low[axis].begin(), low[axis].end());
                std::sort(high[axis].begin(), high[axis].end());
            }
        }

        // As CountSide for a plane facing along +axis or -axis: a piece
        // reaches a side when its extreme corner does.
        size_t Count(const Plane& plane, int axis, bool front) const
        {
            const double sign = plane.normal[axis], distance = plane.distance;
            if (front)
                return CountSorted(sign > 0 ? high[axis] : low[axis], sign > 0,
                                   [&](double c) { return sign * c - distance > -kTouch; });
            return CountSorted(sign > 0 ? low[axis] : high[axis], sign < 0,
                               [&](double c) { return sign * c - distance < kTouch; });
        }

    private:
        // How many of the sorted values pass `in`, which holds for every
        // value from some point on (`upwards`) or up to some point.
        template <typename In>
        static size_t CountSorted(const std::vector<double>& values, bool upwards, In in)
        {
            if (upwards)
                return size_t(values.end() - std::partition_point(values.begin(), values.end(),
                                                                  [&](double c) { return !in(c); }));
            return size_t(std::partition_point(values.begin(), values.end(), in) - values.begin());
        }

        std::vector<double> low[3], high[3];
    };

    // The plane that leaves the fuller side emptiest, then cuts fewest
    // brushes; planes facing along an axis are tried first, and the others
    // only when none of those divides the pieces. False when no plane
    // leaves fewer brushes on both sides.
    static bool Choose(const std::vector<Piece>& pieces, Split& best)
    {
        return ChooseAmong(pieces, true, best) || ChooseAmong(pieces, false, best);
    }

    static bool ChooseAmong(const std::vector<Piece>& pieces, bool axial, Split& best)
    {
        const size_t n = pieces.size();
        std::pair<size_t, size_t> bestScore{n, 2 * n};
        bool found = false;
        std::unordered_set<uint32_t> tried;
        std::optional<AxialCounter> counter;
        for (const Piece& piece : pieces)
            for (size_t i = 0; i < piece.brush->planes.size(); ++i) {
                const Plane& plane = piece.brush->planes[i];
                const int axis = AxisOf(plane);
                if ((axis >= 0) != axial || !tried.insert(piece.brush->planeIndices[i]).second)
                    continue;
                if (axial && !counter)
                    counter.emplace(pieces);
                const size_t front = axial ? counter->Count(plane, axis, true) : CountSide(pieces, plane, true);
                const size_t back = axial ? counter->Count(plane, axis, false) : CountSide(pieces, plane, false);
                if (front == n || back == n)
                    continue;
                const std::pair<size_t, size_t> score{std::max(front, back), front + back};
                if (!found || score < bestScore) {
                    bestScore = score;
                    best = {piece.brush->planeIndices[i], plane};
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
