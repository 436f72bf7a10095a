#include "LoggerAccess/LX/LXTrackFile.h"

#include <istream>
#include <sstream>
#include <streambuf>

#include "LoggerAccess/LX/convert_fil2igc.h"
#include "base/AtomicFile.h"

namespace kelvo {
namespace {

// A read-only, seekable stream buffer over bytes in memory (no copy).
class MemoryBuffer : public std::streambuf {
  public:
    explicit MemoryBuffer(ByteSpan bytes) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
        setg(begin, begin, begin + bytes.size());
    }

  protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override {
        if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
        const off_type base = direction == std::ios_base::beg   ? 0
                              : direction == std::ios_base::cur ? gptr() - eback()
                                                                : egptr() - eback();
        return seekpos(pos_type(base + offset), which);
    }

    pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
        const off_type offset = position;
        if (!(which & std::ios_base::in) || offset < 0 || offset > egptr() - eback()) {
            return pos_type(off_type(-1));
        }
        setg(eback(), eback() + offset, egptr());
        return position;
    }
};

}  // namespace

NativeConversion LXTrackFile::convert(ByteSpan nativeData) {
    MemoryBuffer buffer(nativeData);
    std::istream input(&buffer);
    std::ostringstream output;
    Fil2IgcResult result = convert_fil2igc(input, output);
    return {std::move(output).str(), std::move(result.incomplete)};
}

Fil2IgcResult LXTrackFile::translateToIGC() {
    NativeConversion conversion = convert(m_nativeData);
    m_igcData = std::move(conversion.igc);
    return {std::move(conversion.incomplete)};
}

bool LXTrackFile::writeToFile(const std::filesystem::path& path) const {
    if (m_igcData.empty()) return false;
    return writeFileAtomically(path, m_igcData);
}

bool LXTrackFile::convertNativeData(ByteSpan nativeData, const std::filesystem::path& igcPath) {
    LXTrackFile trackFile(Bytes(nativeData.begin(), nativeData.end()));
    trackFile.translateToIGC();
    return trackFile.writeToFile(igcPath);
}

}  // namespace kelvo
