#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TriangleFlight.h"
#include "base/UtcDate.h"
#include "igc/FlightExport.h"

namespace kelvo {
namespace {

// An element of a written file: its name, attributes and text, in document order.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;
};

std::string unescapedXml(std::string text) {
    for (const auto& [entity, character] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}}) {
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + 1)) {
            text.replace(at, entity.size(), character);
        }
    }
    return text;
}

// Reads the few forms the writers use (declaration, start and end tags with quoted
// attributes, text); fails the test on anything ill-formed: a stray '&' or '<', a tag
// closed out of order, or an element left open.
std::vector<Element> parsedXml(const std::string& xml) {
    std::vector<Element> elements;
    std::vector<std::size_t> open;
    std::size_t at = xml.find("?>") + 2;
    while (at < xml.size()) {
        const std::size_t tag = xml.find('<', at);
        const std::string text = xml.substr(at, tag - at);
        const std::size_t amp = text.find('&');
        EXPECT_TRUE(amp == std::string::npos || text.find(';', amp) != std::string::npos) << text;
        if (!open.empty()) elements[open.back()].text += unescapedXml(text);
        if (tag == std::string::npos) break;
        const std::size_t end = xml.find('>', tag);
        std::string inside = xml.substr(tag + 1, end - tag - 1);
        EXPECT_EQ(inside.find('<'), std::string::npos) << inside;
        at = end + 1;
        if (inside.starts_with("/")) {
            EXPECT_TRUE(!open.empty() && elements[open.back()].name == inside.substr(1)) << inside;
            if (!open.empty()) open.pop_back();
            continue;
        }
        const bool empty = inside.ends_with("/");
        if (empty) inside.pop_back();
        std::istringstream words(inside);
        Element element;
        words >> element.name;
        for (std::string attribute; words >> attribute;) {
            const std::size_t equals = attribute.find("=\"");
            EXPECT_NE(equals, std::string::npos) << attribute;
            if (equals == std::string::npos) continue;
            element.attributes[attribute.substr(0, equals)] =
                unescapedXml(attribute.substr(equals + 2, attribute.size() - equals - 3));
        }
        elements.push_back(element);
        if (!empty) open.push_back(elements.size() - 1);
    }
    EXPECT_TRUE(open.empty());
    return elements;
}

std::vector<Element> named(const std::vector<Element>& elements, const std::string& name) {
    std::vector<Element> found;
    for (const auto& element : elements)
        if (element.name == name) found.push_back(element);
    return found;
}

class FlightExportTest : public ::testing::Test {
  protected:
    FlightExportTest() {
        triangle.flight.pilot = "Anna & <Bo> \"Keller\"";
        trace = triangle.trace();
        for (const auto& fix : trace.points())
            if (fix.isValid()) valid.push_back(fix);
    }
    test::TriangleFlight triangle;  // one fix of it is invalid
    KelvoTrace trace;
    std::vector<TracePosition> valid;
};

TEST_F(FlightExportTest, KmlIsAnAbsoluteTrackOfEveryValidFixWithItsTime) {
    const auto kml = parsedXml(FlightExport::text(trace, FlightExport::Format::Kml));
    ASSERT_FALSE(kml.empty());
    EXPECT_EQ(kml[0].name, "kml");
    EXPECT_EQ(named(kml, "altitudeMode").at(0).text, "absolute");
    EXPECT_EQ(named(kml, "name").at(0).text.find("Anna & <Bo> \"Keller\""), 0u);
    const auto times = named(kml, "when");
    const auto coordinates = named(kml, "gx:coord");
    ASSERT_EQ(times.size(), valid.size());
    ASSERT_EQ(coordinates.size(), valid.size());
    ASSERT_LT(valid.size(), trace.points().size());
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const Position position = valid[i].position();
        double longitude = 0, latitude = 0, altitude = 0;
        std::istringstream(coordinates[i].text) >> longitude >> latitude >> altitude;
        EXPECT_NEAR(longitude, position.longitudeDegrees(), 1e-6);
        EXPECT_NEAR(latitude, position.latitudeDegrees(), 1e-6);
        EXPECT_EQ(altitude, position.elevation());
        EXPECT_EQ(times[i].text, isoUtc(valid[i].timeStamp()));
    }
}

TEST_F(FlightExportTest, GpxIsOneTrackSegmentOfEveryValidFixWithElevationAndTime) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "kelvo-export-test.gpx";
    ASSERT_TRUE(FlightExport::write(trace, FlightExport::Format::Gpx, path));
    std::ifstream in(path);
    const std::string written((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(path);
    const auto gpx = parsedXml(written);
    ASSERT_FALSE(gpx.empty());
    EXPECT_EQ(gpx[0].name, "gpx");
    EXPECT_EQ(gpx[0].attributes.at("version"), "1.1");
    EXPECT_EQ(gpx[0].attributes.at("xmlns"), "http://www.topografix.com/GPX/1/1");
    EXPECT_EQ(named(gpx, "trk").size(), 1u);
    EXPECT_EQ(named(gpx, "trkseg").size(), 1u);
    EXPECT_EQ(named(gpx, "name").at(0).text.find("Anna & <Bo> \"Keller\""), 0u);
    const auto points = named(gpx, "trkpt");
    const auto elevations = named(gpx, "ele");
    const auto times = named(gpx, "time");
    ASSERT_EQ(points.size(), valid.size());
    ASSERT_EQ(elevations.size(), valid.size());
    ASSERT_EQ(times.size(), valid.size());
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const Position position = valid[i].position();
        EXPECT_NEAR(std::stod(points[i].attributes.at("lat")), position.latitudeDegrees(), 1e-6);
        EXPECT_NEAR(std::stod(points[i].attributes.at("lon")), position.longitudeDegrees(), 1e-6);
        EXPECT_EQ(std::stod(elevations[i].text), position.elevation());
        EXPECT_EQ(times[i].text, isoUtc(valid[i].timeStamp()));
    }
    EXPECT_EQ(FlightExport::formatNamed("GPX"), FlightExport::Format::Gpx);
    EXPECT_FALSE(FlightExport::formatNamed("kmz"));
}

}  // namespace
}  // namespace kelvo
