// Vectors2D: the small geometry kit that movement, projectiles, collisions
// and bots are written in. Pure functions, no state.
#pragma once

namespace Vectors2D {

struct TVector {
    double x = 0;
    double y = 0;
};

struct TBox {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

double Min(double a, double b);
TVector Make(double x, double y);
TVector Zero();
TVector FromAngle(double a);
TVector Rotate(TVector v, double a);
TVector Add(TVector u, TVector v);
TVector Sub(TVector u, TVector v);
TVector Scale(TVector v, double s);
double Length(TVector v);
double LengthSquared(TVector v);
double Distance(TVector u, TVector v);
double DistanceSquared(TVector u, TVector v);
double Dot(TVector u, TVector v);
TVector Normalize(TVector v);
double AngleOf(TVector v);
TVector Project(TVector v, TVector d);
TVector Reject(TVector v, TVector d);
// The box of p[0..last].
TBox BoundingBox(const TVector* p, int last);
bool InBox(TVector q, const TBox& b, double margin);
int Side(TVector a, TVector b, TVector c);
bool SegmentsCross(TVector a1, TVector a2, TVector b1, TVector b2);
double MapRange(double v, double t1, double s1, double t0, double s0);

} // namespace Vectors2D

using TVector = Vectors2D::TVector;
