#include "geometry.h"

bool SamePlane(const Plane& a, const Plane& b)
{
    return Dot(a.normal, b.normal) > 1 - 1e-9 && std::fabs(a.distance - b.distance) < kOnPlane;
}

Polygon PlaneSquare(const Plane& plane)
{
    const Vec3& n = plane.normal;
    // Any direction not along the normal gives the square's first side.
    const Vec3 helper = std::fabs(n.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    const Vec3 u = Normalized(Cross(helper, n)) * (kWorldLimit * 16);
    const Vec3 v = Cross(n, u);  // u, v, n right-handed: counter-clockwise seen from the front
    const Vec3 centre = n * plane.distance;
    return {centre - u - v, centre + u - v, centre + u + v, centre - u + v};
}

void Split(const Polygon& polygon, const Plane& plane, Polygon* front, Polygon* back)
{
    std::vector<double> distances;
    bool anyFront = false, anyBack = false;
    for (const Vec3& p : polygon) {
        const double d = plane.To(p);
        distances.push_back(std::fabs(d) <= kOnPlane ? 0 : d);
        anyFront |= d > kOnPlane;
        anyBack |= d < -kOnPlane;
    }
    if (front)
        front->clear();
    if (back)
        back->clear();
    if (!anyFront && !anyBack)
        return;
    const size_t count = polygon.size();
    for (size_t i = 0; i < count; ++i) {
        const Vec3& p = polygon[i];
        const double d = distances[i];
        if (d >= 0 && front && anyFront)
            front->push_back(p);
        if (d <= 0 && back && anyBack)
            back->push_back(p);
        const double next = distances[(i + 1) % count];
        if ((d > 0 && next < 0) || (d < 0 && next > 0)) {
            const Vec3 cut = p + (polygon[(i + 1) % count] - p) * (d / (d - next));
            if (front)
                front->push_back(cut);
            if (back)
                back->push_back(cut);
        }
    }
    if (front && front->size() < 3)
        front->clear();
    if (back && back->size() < 3)
        back->clear();
}

Polygon Behind(const Polygon& polygon, const Plane& plane)
{
    bool anyFront = false;
    for (const Vec3& p : polygon)
        anyFront |= plane.To(p) > kOnPlane;
    if (!anyFront)
        return polygon;
    Polygon back;
    Split(polygon, plane, nullptr, &back);
    return back;
}

double Area(const Polygon& polygon)
{
    Vec3 sum;
    for (size_t i = 1; i + 1 < polygon.size(); ++i)
        sum = sum + Cross(polygon[i] - polygon[0], polygon[i + 1] - polygon[0]);
    return Length(sum) / 2;
}

Vec3 Centre(const Polygon& polygon)
{
    Vec3 sum;
    for (const Vec3& p : polygon)
        sum = sum + p;
    return polygon.empty() ? sum : sum * (1.0 / double(polygon.size()));
}

Polygon Cleaned(const Polygon& polygon)
{
    Polygon points;
    for (const Vec3& p : polygon)
        if (points.empty() || Length(p - points.back()) > kOnPlane)
            points.push_back(p);
    while (points.size() > 1 && Length(points.front() - points.back()) <= kOnPlane)
        points.pop_back();
    // A corner whose neighbours' line passes through it adds nothing.
    for (bool removed = true; removed && points.size() >= 3;) {
        removed = false;
        for (size_t i = 0; i < points.size() && points.size() >= 3; ++i) {
            const Vec3& before = points[(i + points.size() - 1) % points.size()];
            const Vec3& after = points[(i + 1) % points.size()];
            const Vec3 edge = after - before;
            const double length = Length(edge);
            if (length <= kOnPlane || Length(Cross(points[i] - before, edge)) / length <= kOnPlane) {
                points.erase(points.begin() + long(i));
                removed = true;
            }
        }
    }
    return points.size() >= 3 ? points : Polygon();
}

std::vector<Polygon> FacesOf(const std::vector<Plane>& planes)
{
    std::vector<Polygon> faces;
    for (size_t i = 0; i < planes.size(); ++i) {
        Polygon face = PlaneSquare(planes[i]);
        for (size_t j = 0; j < planes.size() && !face.empty(); ++j)
            if (j != i)
                face = Behind(face, planes[j]);
        faces.push_back(face);
    }
    return faces;
}

std::vector<Vec3> CornersOf(const std::vector<Plane>& planes)
{
    std::vector<Vec3> corners;
    for (const Polygon& face : FacesOf(planes))
        corners.insert(corners.end(), face.begin(), face.end());
    return corners;
}
