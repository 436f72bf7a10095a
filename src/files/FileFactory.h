#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/ImportFile.h"

namespace kelvo {

// What the registry knows of a format class: its identity and how to make an instance.
struct FileType {
    std::string extension;
    std::optional<std::string> description;
    std::function<std::unique_ptr<ImportFile>()> create;
};

// The process-wide registry of waypoint file formats, keyed by upper-case extension. It is
// filled by explicit calls (registerBuiltinFiletypes) and used on the main thread.
class FileFactory {
  public:
    // The shared instance, created on the first call.
    static FileFactory& shared();

    FileFactory(const FileFactory&) = delete;
    FileFactory& operator=(const FileFactory&) = delete;

    // DBTFile, DA4File, CUPFile, in this order.
    void registerBuiltinFiletypes();
    // Formats from outside the application would register here; there are none.
    void registerPlugins() {}

    // A later format with the same extension (in any case) replaces the earlier one, in
    // its place.
    void registerFile(FileType fileType);
    template <typename Format>
    void registerFile() {
        registerFile(FileType{Format::getFileExtension().value(), Format::getFileDescription(),
                              [] { return std::make_unique<Format>(); }});
    }

    void clearRegisteredFiles() { m_registeredFiles.clear(); }
    // The registered extensions in upper case, in the order of registration.
    std::vector<std::string> getRegisteredFiles() const;
    // A new instance of the format registered under the extension (in any case, with or
    // without its leading dot), or null.
    std::unique_ptr<ImportFile> getFileInstanceWithExtension(std::string_view extension) const;

  private:
    FileFactory() = default;

    std::vector<FileType> m_registeredFiles;
};

}  // namespace kelvo
