#include "LoggerAccess/LX/LXMemory.h"

#include <algorithm>
#include <utility>

#include "base/Log.h"

namespace kelvo {

LXMemory LXMemory::makeDefaultMemoryInfo() {
    LXMemory memory;
    memory.setStartPos(0);
    memory.setStartPage(8);
    memory.setEndPos(32768);
    memory.setEndPage(15);
    return memory;
}

void LXMemory::setData(ByteSpan data) {
    std::copy_n(data.begin(), std::min(data.size(), kSize), m_lsize.begin());
}

void LXMemory::swap() {
    std::swap(m_lsize[0], m_lsize[1]);
    std::swap(m_lsize[3], m_lsize[4]);
}

void LXMemory::log() const {
    logLine("Memory info contains the following data");
    logf("startpos = %d (0x%X)", startPos(), startPos());
    logf("startpage = %d (0x%X)", startPage(), startPage());
    logf("endpos = %d (0x%X)", endPos(), endPos());
    logf("endpage = %d (0x%X)", endPage(), endPage());
}

}  // namespace kelvo
