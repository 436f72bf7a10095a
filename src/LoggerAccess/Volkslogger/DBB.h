#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/Bytes.h"

namespace kelvo::vl {

// Builder and parser of the 16384-byte Volkslogger database image: a 12288-byte block with
// an eight-entry data-set directory and the records, followed by a 4096-byte form area of
// declaration fields. Multi-byte numbers are big-endian; unused bytes are 0xFF.
class DBB {
  public:
    static constexpr int kBlockSize = 12288;
    static constexpr int kFormSize = 4096;
    static constexpr int kImageSize = kBlockSize + kFormSize;
    static constexpr int kSets = 8;
    static constexpr int kDirectorySize = 6 * kSets;
    static constexpr std::uint16_t kNoOffset = 0xFFFF;

    static constexpr int kWaypointSet = 0;
    static constexpr int kPilotSet = 1;
    static constexpr int kRouteSet = 3;

    struct HEADER {
        int recordCount;
        int recordLength;
        int keyLength;
        std::uint16_t first;  // offset of the first record, kNoOffset when empty
        std::uint16_t last;   // offset of the last record, kNoOffset while open
    };

    DBB();
    // A parser over an image; a short image reads as if padded with 0xFF.
    static DBB fromImage(ByteSpan image);

    // Reads the directory of the block into the set headers.
    void open_dbb();
    // Appends a record to an open set; a record that does not fit is dropped.
    void add_ds(int set, ByteSpan record);
    // Closes a set and writes its directory entry.
    void close_db(int set);
    // Appends a form field (length byte, id, data) when it fits.
    void add_fdf(int id, ByteSpan data);
    // Position of a field in the form area, or -1; its data start two bytes after it.
    int fdf_findfield(std::uint8_t id) const;
    // The data of a field, cut at the end of the form area; nothing when absent.
    std::optional<ByteSpan> fieldData(std::uint8_t id) const;
    // The records of a set that lie wholly inside the block, each at least minimumLength
    // bytes long; empty for an empty set.
    std::vector<ByteSpan> records(int set, std::size_t minimumLength) const;

    Bytes image() const;

    std::array<std::uint8_t, kBlockSize> block;
    std::array<std::uint8_t, kFormSize> fdf;
    std::array<HEADER, kSets> header;

  private:
    int m_dbCursor = kDirectorySize;
    int m_fdfCursor = 0;
};

}  // namespace kelvo::vl
