#pragma once

#include <filesystem>
#include <string>

#include "LoggerAccess/LX/convert_fil2igc.h"
#include "LoggerAccess/NativeConversion.h"
#include "base/Bytes.h"

namespace kelvo {

// A downloaded LX native flight and its IGC text. The conversion runs from memory to
// memory, so nothing passes through shared temporary files and conversions may run side
// by side.
class LXTrackFile {
  public:
    LXTrackFile() = default;
    explicit LXTrackFile(Bytes nativeData) : m_nativeData(std::move(nativeData)) {}

    // The IGC text of a native flight, and whether the flight was complete.
    static NativeConversion convert(ByteSpan nativeData);
    // Converts and writes the IGC file atomically; false when nothing could be written.
    static bool convertNativeData(ByteSpan nativeData, const std::filesystem::path& igcPath);

    const Bytes& nativeData() const { return m_nativeData; }
    void setNativeData(Bytes data) { m_nativeData = std::move(data); }
    const std::string& igcData() const { return m_igcData; }
    void setIGCData(std::string data) { m_igcData = std::move(data); }

    // Converts nativeData into igcData and answers whether the flight was complete.
    Fil2IgcResult translateToIGC();
    // Writes the IGC text atomically; false when there is none or the write failed.
    bool writeToFile(const std::filesystem::path& path) const;

  private:
    Bytes m_nativeData;
    std::string m_igcData;
};

}  // namespace kelvo
