// Vectors2D: the small geometry kit that movement, projectiles, collisions
// and bots are written in. Pure functions, no state; the small ones are
// inline, as they run thousands of times a tick.
#pragma once

namespace Vectors2D {

struct TVector {
    double x = 0;
    double y = 0;
};

struct TBox {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

inline double Min(double a, double b) {
    return b >= a ? a : b;
}
inline TVector Make(double x, double y) {
    return {x, y};
}
inline TVector Zero() {
    return {0, 0};
}
TVector FromAngle(double a);
TVector Rotate(TVector v, double a);
// Rotate by an angle whose cosine c and sine s are already known: the same
// sums, so the same result to the last bit.
inline TVector Rotated(TVector v, double c, double s) {
    return {c * v.x - s * v.y, s * v.x + c * v.y};
}
inline TVector Add(TVector u, TVector v) {
    return {u.x + v.x, u.y + v.y};
}
inline TVector Sub(TVector u, TVector v) {
    return {u.x - v.x, u.y - v.y};
}
inline TVector Scale(TVector v, double s) {
    return {s * v.x, s * v.y};
}
double Length(TVector v);
inline double LengthSquared(TVector v) {
    return v.x * v.x + v.y * v.y;
}
double Distance(TVector u, TVector v);
inline double DistanceSquared(TVector u, TVector v) {
    const double dx = v.x - u.x, dy = v.y - u.y;
    return dx * dx + dy * dy;
}
inline double Dot(TVector u, TVector v) {
    return u.x * v.x + u.y * v.y;
}
TVector Normalize(TVector v);
double AngleOf(TVector v);
TVector Project(TVector v, TVector d);
TVector Reject(TVector v, TVector d);
// The box of p[0..last].
TBox BoundingBox(const TVector* p, int last);
bool InBox(TVector q, const TBox& b, double margin);
inline int Side(TVector a, TVector b, TVector c) {
    // A point on the line counts as the -1 side.
    return (b.y - a.y) * (c.x - a.x) >= (b.x - a.x) * (c.y - a.y) ? -1 : 1;
}
inline bool SegmentsCross(TVector a1, TVector a2, TVector b1, TVector b2) {
    return Side(a1, a2, b1) * Side(a1, a2, b2) < 1 && Side(b1, b2, a1) * Side(b1, b2, a2) < 1;
}
double MapRange(double v, double t1, double s1, double t0, double s0);

} // namespace Vectors2D

using TVector = Vectors2D::TVector;
