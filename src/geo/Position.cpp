#include "geo/Position.h"

#include <cmath>
#include <limits>

namespace kelvo {

namespace {

// WGS-84, with the derived constants in the form the distance has always been computed with.
constexpr double kSemiMajorAxis = 6378137.0;     // a [m]
constexpr double kSemiMinorAxis = 6356752.3142;  // b [m]
constexpr double kFlattening = (kSemiMajorAxis - kSemiMinorAxis) / kSemiMajorAxis;
constexpr double kAxesSquaredDifference = 272331606681.9453;  // a^2 - b^2
constexpr double kSemiMinorAxisSquared = 40408299984087.055;  // b^2
constexpr int kMaxVincentyIterations = 19;
constexpr double kEarthDiameterKm = 12756.0;

double toRadians(double degrees) {
    return kPi * degrees / 180.0;
}
double toDegrees(double radians) {
    return radians * 180.0 / kPi;
}

}  // namespace

Position Position::fromDegrees(double latitudeDegrees, double longitudeDegrees, double elevation) {
    return fromRadians(toRadians(latitudeDegrees), toRadians(longitudeDegrees), elevation);
}

Position Position::fromRadians(double latitudeRadians, double longitudeRadians, double elevation) {
    Position position;
    position.m_latitude = latitudeRadians;
    position.m_longitude = longitudeRadians;
    position.m_elevation = elevation;
    return position;
}

double Position::latitudeDegrees() const {
    return toDegrees(m_latitude);
}
double Position::longitudeDegrees() const {
    return toDegrees(m_longitude);
}
void Position::setLatitudeDegrees(double degrees) {
    m_latitude = toRadians(degrees);
}
void Position::setLongitudeDegrees(double degrees) {
    m_longitude = toRadians(degrees);
}

bool Position::isEqualTo(const Position& other) const {
    return latitude().isEqualTo(other.latitude()) && longitude().isEqualTo(other.longitude());
}

double Position::distanceToUsingVincenty(const Position& other) const {
    const double f = kFlattening;
    const double reducedU1 = std::atan((1.0 - f) * std::tan(m_latitude));
    const double reducedU2 = std::atan((1.0 - f) * std::tan(other.m_latitude));
    const double sinU1 = std::sin(reducedU1);
    const double cosU1 = std::cos(reducedU1);
    const double sinU2 = std::sin(reducedU2);
    const double cosU2 = std::cos(reducedU2);

    const double lonDifference = other.m_longitude - m_longitude;
    double lambda = lonDifference;
    double sinSigma = 0.0;
    double cosSigma = 0.0;
    double sigma = 0.0;
    double cosSqAlpha = 0.0;
    double cos2SigmaM = 0.0;
    // At least one pass is made, so a longitude difference of exactly 2 pi still measures.
    for (int iteration = 1;; ++iteration) {
        const double sinLambda = std::sin(lambda);
        const double cosLambda = std::cos(lambda);
        const double a = cosU2 * sinLambda;
        const double b = cosU1 * sinU2 - sinU1 * cosU2 * cosLambda;
        sinSigma = std::sqrt(a * a + b * b);
        if (sinSigma == 0.0) return 0.0;  // coincident points
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cosSqAlpha = 1.0 - sinAlpha * sinAlpha;
        cos2SigmaM = cosSigma - 2.0 * sinU1 * sinU2 / cosSqAlpha;
        if (std::isnan(cos2SigmaM)) cos2SigmaM = 0.0;  // equatorial line
        const double c = f / 16.0 * cosSqAlpha * (4.0 + f * (4.0 - 3.0 * cosSqAlpha));
        const double previous = lambda;
        lambda =
            lonDifference +
            (1.0 - c) * f * sinAlpha *
                (sigma + c * sinSigma *
                             (cos2SigmaM + c * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
        if (std::fabs(lambda - previous) <= 1e-12) break;
        if (iteration == kMaxVincentyIterations) return std::numeric_limits<double>::quiet_NaN();
    }

    const double uSq = cosSqAlpha * kAxesSquaredDifference / kSemiMinorAxisSquared;
    const double bigA =
        1.0 + uSq / 16384.0 * (4096.0 + uSq * (-768.0 + uSq * (320.0 - 175.0 * uSq)));
    const double bigB = uSq / 1024.0 * (256.0 + uSq * (-128.0 + uSq * (74.0 - 47.0 * uSq)));
    const double deltaSigma =
        bigB * sinSigma *
        (cos2SigmaM + bigB / 4.0 *
                          (cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM) -
                           bigB / 6.0 * cos2SigmaM * (-3.0 + 4.0 * sinSigma * sinSigma) *
                               (-3.0 + 4.0 * cos2SigmaM * cos2SigmaM)));
    return kSemiMinorAxis * bigA * (sigma - deltaSigma) / 1000.0;
}

double Position::distanceToUsingHaversine(const Position& other) const {
    const double sinHalfLat = std::sin((m_latitude - other.m_latitude) / 2.0);
    const double sinHalfLon = std::sin((m_longitude - other.m_longitude) / 2.0);
    const double h = sinHalfLat * sinHalfLat +
                     std::cos(m_latitude) * std::cos(other.m_latitude) * sinHalfLon * sinHalfLon;
    // Rounding can lift h a hair above 1 for antipodal points, outside asin's domain.
    return kEarthDiameterKm * std::asin(std::sqrt(std::fmin(h, 1.0)));
}

double Position::bearingFrom(const Position& other) const {
    if (isEqualTo(other)) return 0.0;
    const double lonDifference = m_longitude - other.m_longitude;
    const double y = std::sin(lonDifference) * std::cos(m_latitude);
    const double x = std::cos(other.m_latitude) * std::sin(m_latitude) -
                     std::sin(other.m_latitude) * std::cos(m_latitude) * std::cos(lonDifference);
    double bearing = toDegrees(std::atan2(y, x));
    if (bearing < 0.0) bearing += 360.0;
    // A tiny negative angle plus 360 rounds to 360, which is north again.
    return bearing >= 360.0 ? 0.0 : bearing;
}

}  // namespace kelvo
