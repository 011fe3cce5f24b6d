#include "sim/vehicle_shape.h"

#include <algorithm>

using namespace Vectors2D;

bool PointInsideVehicle(const TTank& t, TVector p, double* depth) {
    const TVector q = Rotate(Sub(p, t.Position), -t.Heading);
    double minX = t.BodyCorners[0].x, maxX = minX, minY = t.BodyCorners[0].y, maxY = minY;
    for (const TVector& c : t.BodyCorners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    // Written as "within" so that a point or a body that is no number is
    // outside: nothing that is NaN hits or gets pushed.
    if (!(q.x >= minX && q.x <= maxX && q.y >= minY && q.y <= maxY)) return false;
    if (depth) *depth = std::min({q.x - minX, maxX - q.x, q.y - minY, maxY - q.y});
    return true;
}

bool SegmentEntersVehicle(const TTank& t, TVector p, TVector prev) {
    const TVector from = Add(prev, t.Step);
    for (int k = 0; k < 4; ++k) {
        const TVector a = t.WorldCorners[k];
        const TVector b = t.WorldCorners[NextCorner(k)];
        // The corners go round counter-clockwise: inside is to the left.
        if (SegmentsCross(from, p, a, b) && Side(a, b, p) > 0) return true;
    }
    return false;
}
