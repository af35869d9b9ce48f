#pragma once
// Distances on a spherical Earth, and a flat picture of a small area.

#include <cstdint>

inline constexpr double kEarthRadiusMetres = 6371008.8;   // mean radius

// A point on the sphere as a vector from the centre, in metres. The chord
// between two such points differs from the great-circle distance by less than
// a micrometre below a kilometre, so near-point checks need no trigonometry.
struct SpherePoint {
    double x = 0, y = 0, z = 0;
};
SpherePoint ToSphere(double lat, double lon);
double ChordSquared(const SpherePoint& a, const SpherePoint& b);

// East and north metres from a reference position (equirectangular), fine for
// drawing an area of a few tens of kilometres.
class PlaneProjection {
public:
    PlaneProjection() = default;
    PlaneProjection(double refLat, double refLon);
    double east(double lon) const { return (lon - refLon_) * metresPerDegreeLon_; }
    double north(double lat) const { return (lat - refLat_) * metresPerDegreeLat_; }

private:
    double refLat_ = 0, refLon_ = 0;
    double metresPerDegreeLat_ = 0, metresPerDegreeLon_ = 0;
};
