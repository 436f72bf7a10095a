#include "LoggerAccess/Volkslogger/DBB.h"

#include <algorithm>

namespace kelvo::vl {
namespace {

struct SetLayout {
    int recordLength;
    int keyLength;
};

// Sets 0 to 3: waypoints, pilots, a set this system does not use, routes.
constexpr SetLayout kLayouts[] = {{13, 6}, {16, 16}, {7, 7}, {144, 14}};

bool validSet(int set) {
    return set >= 0 && set < DBB::kSets;
}

}  // namespace

DBB::DBB() {
    block.fill(0xFF);
    fdf.fill(0xFF);
    for (HEADER& h : header) h = HEADER{0, -1, -1, kNoOffset, kNoOffset};
    for (std::size_t set = 0; set < std::size(kLayouts); ++set) {
        header[set].recordLength = kLayouts[set].recordLength;
        header[set].keyLength = kLayouts[set].keyLength;
    }
}

DBB DBB::fromImage(ByteSpan image) {
    DBB dbb;
    const ByteSpan blockPart = image.first(std::min<std::size_t>(image.size(), kBlockSize));
    std::copy(blockPart.begin(), blockPart.end(), dbb.block.begin());
    if (image.size() > kBlockSize) {
        const ByteSpan formPart =
            image.subspan(kBlockSize, std::min<std::size_t>(image.size() - kBlockSize, kFormSize));
        std::copy(formPart.begin(), formPart.end(), dbb.fdf.begin());
    }
    dbb.open_dbb();
    return dbb;
}

void DBB::open_dbb() {
    for (int set = 0; set < kSets; ++set) {
        const std::size_t entry = 6 * static_cast<std::size_t>(set);
        if (block[entry] == 0xFF && block[entry + 1] == 0xFF) continue;
        header[set].first = getU16BE(block, entry);
        header[set].last = getU16BE(block, entry + 2);
        header[set].recordLength = block[entry + 4];
        header[set].keyLength = block[entry + 5];
    }
}

void DBB::add_ds(int set, ByteSpan record) {
    if (!validSet(set)) return;
    HEADER& h = header[set];
    if (h.recordLength <= 0 || record.size() < static_cast<std::size_t>(h.recordLength)) return;
    if (m_dbCursor + h.recordLength > kBlockSize - 1 || h.last != kNoOffset) return;
    if (h.recordCount == 0) h.first = static_cast<std::uint16_t>(m_dbCursor);
    std::copy_n(record.begin(), h.recordLength, block.begin() + m_dbCursor);
    m_dbCursor += h.recordLength;
    ++h.recordCount;
}

void DBB::close_db(int set) {
    if (!validSet(set)) return;
    HEADER& h = header[set];
    h.last = static_cast<std::uint16_t>(h.first + (h.recordCount - 1) * h.recordLength);
    const std::size_t entry = 6 * static_cast<std::size_t>(set);
    putU16BE(block, entry, h.first);
    putU16BE(block, entry + 2, h.last);
    block[entry + 4] = static_cast<std::uint8_t>(h.recordLength);
    block[entry + 5] = static_cast<std::uint8_t>(h.keyLength);
}

void DBB::add_fdf(int id, ByteSpan data) {
    const int total = static_cast<int>(data.size()) + 2;
    if (total > 0xFF || m_fdfCursor + total > kFormSize) return;
    fdf[m_fdfCursor] = static_cast<std::uint8_t>(total);
    fdf[m_fdfCursor + 1] = static_cast<std::uint8_t>(id);
    std::copy(data.begin(), data.end(), fdf.begin() + m_fdfCursor + 2);
    m_fdfCursor += total;
}

int DBB::fdf_findfield(std::uint8_t id) const {
    int position = 0;
    while (position + 1 < kFormSize) {
        if (fdf[position + 1] == id) return position;
        const int length = fdf[position];
        if (length == 0 || position + length > kFormSize - 1) return -1;
        position += length;
    }
    return -1;
}

std::optional<ByteSpan> DBB::fieldData(std::uint8_t id) const {
    const int position = fdf_findfield(id);
    if (position < 0) return std::nullopt;
    const std::size_t start = static_cast<std::size_t>(position) + 2;
    const std::size_t length = fdf[position] < 2 ? 0 : fdf[position] - 2u;
    return ByteSpan(fdf).subspan(start, std::min(length, fdf.size() - start));
}

std::vector<ByteSpan> DBB::records(int set, std::size_t minimumLength) const {
    std::vector<ByteSpan> result;
    if (!validSet(set)) return result;
    const HEADER& h = header[set];
    if (h.first == kNoOffset || h.recordLength <= 0 || h.last < h.first) return result;
    const std::size_t length = static_cast<std::size_t>(h.recordLength);
    if (length < minimumLength) return result;
    const std::size_t count = (h.last - h.first) / length + 1;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t offset = h.first + k * length;
        if (offset + length > block.size()) break;
        result.push_back(ByteSpan(block).subspan(offset, length));
    }
    return result;
}

Bytes DBB::image() const {
    Bytes image(block.begin(), block.end());
    image.insert(image.end(), fdf.begin(), fdf.end());
    return image;
}

}  // namespace kelvo::vl
