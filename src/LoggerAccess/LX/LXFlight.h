#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace kelvo {

// The pilot and glider half of the recorder's declaration block (118 bytes), kept byte for
// byte. The class name of class code 7 travels in a block of its own and is kept beside.
class LXFlight {
  public:
    static constexpr std::size_t kSize = 118;
    static constexpr std::uint8_t kOtherClass = 7;

    static std::size_t blockSize() { return kSize; }

    LXFlight() = default;
    // Copies 118 bytes from the offset; what lies past the buffer stays 0.
    LXFlight(ByteSpan data, std::size_t offset);

    void setData(ByteSpan data);
    const std::array<std::uint8_t, kSize>& nativeFlight() const { return m_flight; }
    Bytes data() const { return Bytes(m_flight.begin(), m_flight.end()); }

    std::string pilot() const { return text(kPilot); }
    std::string glider() const { return text(kGlider); }
    std::string registration() const { return text(kRegistration); }
    std::string competitionRegistration() const { return text(kCompetitionId); }
    std::string observer() const { return text(kObserver); }
    std::string GPS() const;

    // Cut or padded with spaces to the field's size less one, then a NUL.
    void setPilot(std::string_view value) { setText(kPilot, value); }
    void setGlider(std::string_view value) { setText(kGlider, value); }
    void setRegistration(std::string_view value) { setText(kRegistration, value); }
    void setCompetitionRegistration(std::string_view value) { setText(kCompetitionId, value); }
    void setObserver(std::string_view value) { setText(kObserver, value); }
    // NUL-padded, all 60 bytes usable.
    void setGPS(std::string_view value);

    std::uint8_t razred() const { return m_flight[45]; }
    // The declaration's class index (0 no class ... 9 Oldtimer) from and to the class code.
    int competitionClass() const;
    void setCompetitionClass(int classIndex);
    const std::string& competitionClassDescription() const { return m_classDescription; }
    void setCompetitionClassDescription(std::string description) {
        m_classDescription = std::move(description);
    }

    std::uint16_t ID() const { return getU16LE(m_flight, 0); }
    void setID(std::uint16_t id) { putU16LE(m_flight, 0, id); }
    std::uint8_t GPSDatum() const { return m_flight[56]; }
    void setGPSDatum(std::uint8_t datum) { m_flight[56] = datum; }
    std::uint8_t fixAccuracy() const { return m_flight[57]; }
    void setFixAccuracy(std::uint8_t accuracy) { m_flight[57] = accuracy; }

    std::string toString() const;

  private:
    struct Field {
        std::size_t offset;
        std::size_t size;
    };
    static constexpr Field kPilot{2, 19};
    static constexpr Field kGlider{21, 12};
    static constexpr Field kRegistration{33, 8};
    static constexpr Field kCompetitionId{41, 4};
    static constexpr Field kObserver{46, 10};
    static constexpr Field kGps{58, 60};

    std::string text(Field field) const;
    void setText(Field field, std::string_view value);

    std::array<std::uint8_t, kSize> m_flight{};
    std::string m_classDescription;

  public:
    // Characters each text field keeps (the last byte of each but the GPS text is its NUL).
    static constexpr std::size_t kPilotLength = kPilot.size - 1;
    static constexpr std::size_t kGliderLength = kGlider.size - 1;
    static constexpr std::size_t kRegistrationLength = kRegistration.size - 1;
    static constexpr std::size_t kCompetitionIdLength = kCompetitionId.size - 1;
    static constexpr std::size_t kObserverLength = kObserver.size - 1;
    static constexpr std::size_t kGpsLength = kGps.size;
};

}  // namespace kelvo
