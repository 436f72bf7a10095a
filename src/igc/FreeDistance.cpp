#include "igc/FreeDistance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kelvo {

namespace {

constexpr double kSemiMajorAxis = 6378.137;      // WGS-84 a [km]
constexpr double kSemiMinorAxis = 6356.7523142;  // WGS-84 b [km]
constexpr double kEccentricitySquared =
    1.0 - kSemiMinorAxis * kSemiMinorAxis / (kSemiMajorAxis * kSemiMajorAxis);
// No curve on the ellipsoid bends more sharply than its meridian at the equator, whose radius
// of curvature is b^2/a. A geodesic bends only as the surface does, so a geodesic whose chord
// is c is at most as long as the arc of that radius over c.
constexpr double kLeastCurvatureRadius = kSemiMinorAxis * kSemiMinorAxis / kSemiMajorAxis;
// Covers the rounding of the bound and the half millimetre that Vincenty's formula may err by.
constexpr double kBoundMargin = 1e-5;  // [km]
constexpr double kUnreached = -std::numeric_limits<double>::infinity();
constexpr std::size_t kLegs = FreeDistance::kPoints - 1;
// Blocks small enough to bound tightly, few enough for their pairs to stay cheap.
constexpr std::size_t kMinimumBlockSize = 16;
constexpr std::size_t kMostBlocks = 512;

struct Point3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Earth-centred coordinates [km] of a fix on the ellipsoid's surface.
Point3 earthCentred(const Position& position) {
    const double sinLatitude = std::sin(position.latitudeRadians());
    const double cosLatitude = std::cos(position.latitudeRadians());
    const double primeVertical =
        kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySquared * sinLatitude * sinLatitude);
    return {primeVertical * cosLatitude * std::cos(position.longitudeRadians()),
            primeVertical * cosLatitude * std::sin(position.longitudeRadians()),
            primeVertical * (1.0 - kEccentricitySquared) * sinLatitude};
}

// [km], never less than the geodesic between the two points.
double geodesicBound(const Point3& a, const Point3& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    const double halfChord = std::sqrt(dx * dx + dy * dy + dz * dz) / 2.0;
    return 2.0 * kLeastCurvatureRadius *
               std::asin(std::min(1.0, halfChord / kLeastCurvatureRadius)) +
           kBoundMargin;
}

struct Path {
    double distance = kUnreached;
    std::array<std::size_t, FreeDistance::kPoints> fixes{};
};

class FreeDistanceSearch {
  public:
    explicit FreeDistanceSearch(std::span<const TracePosition> fixes)
        : m_fixes(fixes),
          m_blockSize(std::max(kMinimumBlockSize, (fixes.size() + kMostBlocks - 1) / kMostBlocks)),
          m_blockCount((fixes.size() + m_blockSize - 1) / m_blockSize) {
        m_points.reserve(fixes.size());
        for (const auto& fix : fixes) m_points.push_back(earthCentred(fix.position()));
        boundBlocks();
    }

    Path run() {
        Path best = improved(pathThroughCentres());
        best.distance = measure(best);
        boundPathsThroughBlocks();
        const Path searched = searchFixes(best.distance);
        if (searched.distance > best.distance) best = searched;
        return best;
    }

  private:
    double distance(std::size_t from, std::size_t to) const {
        const double measured = m_fixes[from].position().distanceTo(m_fixes[to].position());
        return std::isnan(measured) ? 0.0 : measured;
    }
    double bound(std::size_t from, std::size_t to) const {
        return geodesicBound(m_points[from], m_points[to]);
    }
    double measure(const Path& path) const {
        double total = 0.0;
        for (std::size_t leg = 0; leg < kLegs; ++leg)
            total += distance(path.fixes[leg], path.fixes[leg + 1]);
        return total;
    }
    std::size_t blockBegin(std::size_t block) const { return block * m_blockSize; }
    std::size_t blockEnd(std::size_t block) const {
        return std::min(m_fixes.size(), (block + 1) * m_blockSize);
    }
    std::size_t centre(std::size_t block) const {
        return (blockBegin(block) + blockEnd(block) - 1) / 2;
    }
    // Bounds every distance from a fix of one block to a fix of the other.
    double blockBound(std::size_t from, std::size_t to) const {
        return m_blockBounds[from * m_blockCount + to];
    }

    // Each block's radius around its centre fix, and the bound between any two blocks.
    void boundBlocks() {
        m_radii.assign(m_blockCount, 0.0);
        for (std::size_t block = 0; block < m_blockCount; ++block) {
            for (std::size_t i = blockBegin(block); i < blockEnd(block); ++i)
                m_radii[block] = std::max(m_radii[block], bound(centre(block), i));
        }
        m_blockBounds.assign(m_blockCount * m_blockCount, 0.0);
        for (std::size_t from = 0; from < m_blockCount; ++from) {
            for (std::size_t to = from; to < m_blockCount; ++to) {
                m_blockBounds[from * m_blockCount + to] =
                    bound(centre(from), centre(to)) + m_radii[from] + m_radii[to];
            }
        }
    }

    // A good path to beat: the best over the block centres alone.
    Path pathThroughCentres() const {
        std::vector<std::vector<double>> reach(FreeDistance::kPoints,
                                               std::vector<double>(m_blockCount, 0.0));
        std::vector<std::vector<std::size_t>> previous(FreeDistance::kPoints,
                                                       std::vector<std::size_t>(m_blockCount, 0));
        for (std::size_t point = 1; point < FreeDistance::kPoints; ++point) {
            for (std::size_t to = 0; to < m_blockCount; ++to) {
                for (std::size_t from = 0; from <= to; ++from) {
                    const double centres = blockBound(from, to) - m_radii[from] - m_radii[to];
                    const double length = reach[point - 1][from] + centres;
                    if (length > reach[point][to]) {
                        reach[point][to] = length;
                        previous[point][to] = from;
                    }
                }
            }
        }
        const auto& last = reach.back();
        std::size_t block =
            static_cast<std::size_t>(std::max_element(last.begin(), last.end()) - last.begin());
        Path path;
        for (std::size_t point = FreeDistance::kPoints; point-- > 0;) {
            path.fixes[point] = centre(block);
            block = previous[point][block];
        }
        path.distance = measure(path);
        return path;
    }

    // Moves one point at a time to the fix near it, between its neighbours, that lengthens
    // the path most, until no move helps.
    Path improved(Path path) const {
        for (bool moved = true; moved;) {
            moved = false;
            for (std::size_t point = 0; point < FreeDistance::kPoints; ++point) {
                moved = movedToBetterFix(path, point) || moved;
            }
        }
        return path;
    }
    bool movedToBetterFix(Path& path, std::size_t point) const {
        auto& fixes = path.fixes;
        const bool start = point == 0;
        const bool finish = point + 1 == FreeDistance::kPoints;
        const std::size_t block = fixes[point] / m_blockSize;
        const std::size_t first =
            std::max(start ? 0 : fixes[point - 1], blockBegin(block == 0 ? 0 : block - 1));
        const std::size_t last = std::min(finish ? m_fixes.size() - 1 : fixes[point + 1],
                                          blockEnd(std::min(block + 1, m_blockCount - 1)) - 1);
        const auto legs = [&](std::size_t i, auto&& length) {
            return (start ? 0.0 : length(fixes[point - 1], i)) +
                   (finish ? 0.0 : length(i, fixes[point + 1]));
        };
        const auto exact = [this](std::size_t a, std::size_t b) { return distance(a, b); };
        const auto most = [this](std::size_t a, std::size_t b) { return bound(a, b); };
        double best = legs(fixes[point], exact);
        bool moved = false;
        for (std::size_t i = first; i <= last; ++i) {
            if (legs(i, most) <= best) continue;
            const double length = legs(i, exact);
            if (length > best) {
                path.distance += length - best;
                best = length;
                fixes[point] = i;
                moved = true;
            }
        }
        return moved;
    }

    // m_before[p][b]: at most the length of a path from a start to point p in block b;
    // m_after[p][b]: at most the length from point p in block b to a finish.
    void boundPathsThroughBlocks() {
        m_before.assign(FreeDistance::kPoints, std::vector<double>(m_blockCount, 0.0));
        m_after.assign(FreeDistance::kPoints, std::vector<double>(m_blockCount, 0.0));
        for (std::size_t point = 1; point < FreeDistance::kPoints; ++point) {
            for (std::size_t to = 0; to < m_blockCount; ++to) {
                for (std::size_t from = 0; from <= to; ++from) {
                    m_before[point][to] = std::max(
                        m_before[point][to], m_before[point - 1][from] + blockBound(from, to));
                }
            }
        }
        for (std::size_t point = kLegs; point-- > 0;) {
            for (std::size_t from = 0; from < m_blockCount; ++from) {
                for (std::size_t to = from; to < m_blockCount; ++to) {
                    m_after[point][from] = std::max(m_after[point][from],
                                                    blockBound(from, to) + m_after[point + 1][to]);
                }
            }
        }
    }

    // The dynamic programme over the fixes: reach[p][j] is the longest path from a start to
    // point p at fix j. A block (or a pair of blocks, or a pair of fixes) is skipped when even
    // its bound cannot reach the mark; every path longer than the mark passes all of these.
    Path searchFixes(double mark) {
        const std::size_t n = m_fixes.size();
        std::vector<std::vector<double>> reach(FreeDistance::kPoints,
                                               std::vector<double>(n, kUnreached));
        std::vector<std::vector<std::size_t>> previous(FreeDistance::kPoints,
                                                       std::vector<std::size_t>(n, 0));
        std::vector<double> bestInBlock(m_blockCount, kUnreached);
        for (std::size_t block = 0; block < m_blockCount; ++block) {
            if (m_after[0][block] < mark) continue;
            std::fill(reach[0].begin() + static_cast<std::ptrdiff_t>(blockBegin(block)),
                      reach[0].begin() + static_cast<std::ptrdiff_t>(blockEnd(block)), 0.0);
            bestInBlock[block] = 0.0;
        }
        std::vector<std::size_t> sources;
        for (std::size_t point = 1; point < FreeDistance::kPoints; ++point) {
            const std::vector<double> mostToAnchor = mostToAnchors(reach[point - 1]);
            std::vector<double> bestNext(m_blockCount, kUnreached);
            for (std::size_t to = 0; to < m_blockCount; ++to) {
                const double after = m_after[point][to];
                if (m_before[point][to] + after < mark) continue;
                // The source blocks that could reach the mark, the likeliest first, so that
                // the fixes' lengths grow early and spare the measurements of the rest.
                sources.clear();
                for (std::size_t from = 0; from <= to; ++from) {
                    if (bestInBlock[from] + blockBound(from, to) + after >= mark)
                        sources.push_back(from);
                }
                std::sort(sources.begin(), sources.end(), [&](std::size_t a, std::size_t b) {
                    return bestInBlock[a] + blockBound(a, to) > bestInBlock[b] + blockBound(b, to);
                });
                for (const std::size_t from : sources) {
                    extend(point, {from, to, mostToAnchor[from], after, mark}, reach, previous);
                }
                for (std::size_t j = blockBegin(to); j < blockEnd(to); ++j)
                    bestNext[to] = std::max(bestNext[to], reach[point][j]);
            }
            bestInBlock = std::move(bestNext);
        }
        const auto& last = reach.back();
        Path path;
        std::size_t fix =
            static_cast<std::size_t>(std::max_element(last.begin(), last.end()) - last.begin());
        path.distance = last[fix];
        if (path.distance == kUnreached) return path;
        for (std::size_t point = FreeDistance::kPoints; point-- > 0;) {
            path.fixes[point] = fix;
            fix = previous[point][fix];
        }
        return path;
    }

    // The last fix of a block anchors it: the longest path to any of its fixes plus the leg
    // on to the anchor bounds, with the anchor's distance to a fix j, every path from the
    // block to j (the triangle inequality). Unlike a bound by the block's radius, it is
    // tight on a straight glide, where the anchor's own path to j is as long.
    std::size_t anchor(std::size_t block) const { return blockEnd(block) - 1; }
    std::vector<double> mostToAnchors(const std::vector<double>& reach) const {
        std::vector<double> most(m_blockCount, kUnreached);
        for (std::size_t block = 0; block < m_blockCount; ++block) {
            for (std::size_t i = blockBegin(block); i < blockEnd(block); ++i) {
                if (reach[i] == kUnreached) continue;
                most[block] = std::max(most[block], reach[i] + bound(i, anchor(block)));
            }
        }
        return most;
    }

    struct BlockPair {
        std::size_t from;
        std::size_t to;
        double mostToAnchor;  // of the block `from`
        double after;         // at most the length from a fix of `to` on to a finish
        double mark;
    };

    void extend(std::size_t point, const BlockPair& blocks, std::vector<std::vector<double>>& reach,
                std::vector<std::vector<std::size_t>>& previous) const {
        const auto& from = reach[point - 1];
        auto& to = reach[point];
        for (std::size_t j = blockBegin(blocks.to); j < blockEnd(blocks.to); ++j) {
            const double blockMost = blocks.mostToAnchor + bound(anchor(blocks.from), j);
            if (blockMost <= to[j] || blockMost + blocks.after < blocks.mark) continue;
            const std::size_t lastSource = std::min(blockEnd(blocks.from), j + 1);
            for (std::size_t i = blockBegin(blocks.from); i < lastSource; ++i) {
                if (from[i] == kUnreached) continue;
                const double most = from[i] + bound(i, j);
                if (most <= to[j] || most + blocks.after < blocks.mark) continue;
                const double length = from[i] + distance(i, j);
                if (length > to[j]) {
                    to[j] = length;
                    previous[point][j] = i;
                }
            }
        }
    }

    std::span<const TracePosition> m_fixes;
    std::vector<Point3> m_points;
    std::size_t m_blockSize;
    std::size_t m_blockCount;
    std::vector<double> m_radii;
    std::vector<double> m_blockBounds;
    std::vector<std::vector<double>> m_before;
    std::vector<std::vector<double>> m_after;
};

}  // namespace

std::optional<FreeDistance> FreeDistance::of(std::span<const TracePosition> fixes) {
    if (fixes.empty()) return std::nullopt;
    const Path path = FreeDistanceSearch(fixes).run();
    FreeDistance free{path.distance, path.fixes, {}};
    for (std::size_t point = 0; point < kPoints; ++point)
        free.points[point] = fixes[path.fixes[point]];
    return free;
}

}  // namespace kelvo
