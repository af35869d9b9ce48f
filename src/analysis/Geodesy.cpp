#include "analysis/Geodesy.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

} // namespace

SpherePoint ToSphere(double lat, double lon)
{
    const double p = lat * kRadiansPerDegree, l = lon * kRadiansPerDegree;
    const double c = std::cos(p);
    return {kEarthRadiusMetres * c * std::cos(l), kEarthRadiusMetres * c * std::sin(l),
            kEarthRadiusMetres * std::sin(p)};
}

double ChordSquared(const SpherePoint& a, const SpherePoint& b)
{
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

PlaneProjection::PlaneProjection(double refLat, double refLon)
    : refLat_(refLat), refLon_(refLon), metresPerDegreeLat_(kEarthRadiusMetres * kRadiansPerDegree),
      metresPerDegreeLon_(kEarthRadiusMetres * kRadiansPerDegree * std::cos(refLat * kRadiansPerDegree))
{
}
