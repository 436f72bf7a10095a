#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "LoggerAccess/Outcome.h"

namespace kelvo {

class LXNAVLink;

// A flight fetched in base64 blocks, a window of blocks at a time, as newer firmware sends
// it: each block carries the running check value over the base64 text of all blocks so far,
// a lost or damaged block is asked for again, and the last check value covers the decoded
// file. Quicker than rows; older firmware does not answer it at all.
class LXNAVBlockTransfer {
  public:
    // The bytes so far and the file's size.
    using Progress = std::function<void(std::uint64_t bytes, std::uint64_t size)>;

    explicit LXNAVBlockTransfer(LXNAVLink& link) : m_link(link) {}

    // The file of the given size; nothing when the recorder did not answer the request at
    // all (its firmware lacks the block transfer).
    std::optional<Outcome> fetch(const std::string& file, std::uint64_t size, std::string& contents,
                                 const Progress& progress);

    static std::optional<std::string> decodeBase64(std::string_view text);

  private:
    struct Block {
        std::string text;  // base64
        std::int32_t crc = 0;
    };

    // Takes blocks of the window [first, end) as they come, until the window is whole or
    // the recorder paused; then asks for each one missing. False when one stays missing.
    bool receiveWindow(std::size_t first, std::size_t end, bool opening);
    // The block of a FILE_DATA answer and its number, when it is intact and in [first, end).
    static std::optional<std::pair<std::size_t, Block>> blockOf(
        const std::vector<std::string>& arguments, std::size_t first, std::size_t end);
    // Asks for the block again (twice at most); false when it did not come.
    bool askAgain(std::size_t number);
    // Checks the final check value and the size, and confirms the file to the recorder.
    Outcome finish(const std::string& file, std::uint64_t size, const std::string& decoded,
                   std::string& contents);
    // Tells the recorder to stop sending and drops what is still on the way.
    Outcome abandon(Outcome outcome);

    LXNAVLink& m_link;
    std::map<std::size_t, Block> m_blocks;  // of the window under way, by number
    bool m_answered = false;                // a block came since the request
};

}  // namespace kelvo
