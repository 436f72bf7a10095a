#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace kelvo {

// What to do when a file's target holds a file of other content.
enum class ExistingFile { Replace, KeepBoth, Skip };
// Asked with the taken path.
using ExistingFileQuestion = std::function<ExistingFile(const std::filesystem::path& taken)>;

// Where a written file went.
enum class Placement { Written, Identical, KeptBoth, Skipped };

struct PlacedFile {
    Placement placement = Placement::Written;
    std::filesystem::path file;  // the file that holds the contents; empty when skipped
    std::string error;           // why nothing could be placed; empty when placed

    explicit operator bool() const { return error.empty(); }
};

// Puts a file, written whole under a temporary name beside its target, in place without
// replacing anything silently. Contents that the target holds already are not written
// again. A file of other content at the target (a link counts as one, dangling or not) is
// replaced, kept beside the new file or kept instead of it, as the question answers;
// without a question it is kept. Keeping both writes nothing when a name it gave before
// ("NAME (2).EXT", ...) holds the contents already. The written file is moved into place
// or removed.
PlacedFile placeWrittenFile(const std::filesystem::path& written,
                            const std::filesystem::path& target,
                            const ExistingFileQuestion& existing = {});

// "NAME (2).EXT", or the first higher number that is free beside the taken file; empty
// when none is.
std::filesystem::path freeNameBeside(const std::filesystem::path& taken);

// A name in the target's folder to write the file under until it is complete:
// ".NAME.PID.part".
std::filesystem::path partNameBeside(const std::filesystem::path& target);

// Why no file can be written at the target, naming its folder (missing, not a folder or
// not writable); empty when one can.
std::string folderProblem(const std::filesystem::path& target);

}  // namespace kelvo
