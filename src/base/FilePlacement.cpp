#include "base/FilePlacement.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "base/Format.h"

namespace kelvo {

namespace fs = std::filesystem;

namespace {

// Numbers tried for "NAME (n).EXT" before giving up.
constexpr int kLastFreeNumber = 999;

// Whether anything, a dangling link included, has the name.
bool isTaken(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

fs::path numberedName(const fs::path& taken, int number) {
    return taken.parent_path() /
           stringf("%s (%d)%s", taken.stem().c_str(), number, taken.extension().c_str());
}

bool sameContents(const fs::path& first, const fs::path& second) {
    std::error_code error;
    const auto size = fs::file_size(first, error);
    if (error || fs::file_size(second, error) != size || error) return false;
    std::ifstream a(first, std::ios::binary);
    std::ifstream b(second, std::ios::binary);
    std::vector<char> bufferA(1 << 16);
    std::vector<char> bufferB(bufferA.size());
    while (a && b) {
        a.read(bufferA.data(), std::streamsize(bufferA.size()));
        b.read(bufferB.data(), std::streamsize(bufferB.size()));
        if (a.gcount() != b.gcount() ||
            !std::equal(bufferA.begin(), bufferA.begin() + a.gcount(), bufferB.begin()))
            return false;
    }
    return a.eof() && b.eof();
}

// The name Keep Both gave beside the target earlier that holds the written contents.
fs::path identicalBeside(const fs::path& written, const fs::path& target) {
    for (int number = 2; number <= kLastFreeNumber; ++number) {
        const fs::path candidate = numberedName(target, number);
        if (!isTaken(candidate)) break;
        if (sameContents(written, candidate)) return candidate;
    }
    return {};
}

}  // namespace

PlacedFile placeWrittenFile(const fs::path& written, const fs::path& target,
                            const ExistingFileQuestion& existing) {
    std::error_code error;
    fs::path destination = target;
    Placement placement = Placement::Written;
    if (isTaken(target)) {
        if (sameContents(written, target)) {
            fs::remove(written, error);
            return {Placement::Identical, target, {}};
        }
        const ExistingFile choice = existing ? existing(target) : ExistingFile::Skip;
        if (choice == ExistingFile::Skip) {
            fs::remove(written, error);
            return {Placement::Skipped, {}, {}};
        }
        if (choice == ExistingFile::KeepBoth) {
            if (fs::path identical = identicalBeside(written, target); !identical.empty()) {
                fs::remove(written, error);
                return {Placement::Identical, std::move(identical), {}};
            }
            destination = freeNameBeside(target);
            placement = Placement::KeptBoth;
        }
    }
    if (!destination.empty()) fs::rename(written, destination, error);
    if (destination.empty() || error) {
        fs::remove(written, error);
        return {placement, {}, "could not write " + target.string()};
    }
    return {placement, destination, {}};
}

fs::path freeNameBeside(const fs::path& taken) {
    for (int number = 2; number <= kLastFreeNumber; ++number) {
        fs::path candidate = numberedName(taken, number);
        if (!isTaken(candidate)) return candidate;
    }
    return {};
}

fs::path partNameBeside(const fs::path& target) {
    return target.parent_path() /
           stringf(".%s.%d.part", target.filename().c_str(), static_cast<int>(::getpid()));
}

std::string folderProblem(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (!fs::exists(status)) return "the folder " + folder.string() + " does not exist";
    if (!fs::is_directory(status)) return folder.string() + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return "the folder " + folder.string() + " cannot be written";
    }
    return {};
}

}  // namespace kelvo
