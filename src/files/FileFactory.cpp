#include "files/FileFactory.h"

#include <algorithm>

#include "base/Text.h"
#include "files/CUPFile.h"
#include "files/DA4File.h"
#include "files/DBTFile.h"

namespace kelvo {

FileFactory& FileFactory::shared() {
    static FileFactory instance;
    return instance;
}

void FileFactory::registerBuiltinFiletypes() {
    registerFile<DBTFile>();
    registerFile<DA4File>();
    registerFile<CUPFile>();
}

void FileFactory::registerFile(FileType fileType) {
    fileType.extension = toUpperAscii(fileType.extension);
    const auto known = std::find_if(
        m_registeredFiles.begin(), m_registeredFiles.end(),
        [&](const FileType& registered) { return registered.extension == fileType.extension; });
    if (known != m_registeredFiles.end()) {
        *known = std::move(fileType);
    } else {
        m_registeredFiles.push_back(std::move(fileType));
    }
}

std::vector<std::string> FileFactory::getRegisteredFiles() const {
    std::vector<std::string> extensions;
    for (const FileType& fileType : m_registeredFiles) extensions.push_back(fileType.extension);
    return extensions;
}

std::unique_ptr<ImportFile> FileFactory::getFileInstanceWithExtension(
    std::string_view extension) const {
    if (extension.starts_with('.')) extension.remove_prefix(1);
    const std::string key = toUpperAscii(extension);
    for (const FileType& fileType : m_registeredFiles) {
        if (fileType.extension == key) return fileType.create();
    }
    return nullptr;
}

}  // namespace kelvo
