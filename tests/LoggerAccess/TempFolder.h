#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvo-test-XXXXXX");
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Writes a file (creating its folders) and answers its path.
    std::filesystem::path write(const std::filesystem::path& relative, const std::string& text) {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::filesystem::path folder(const std::filesystem::path& relative) {
        std::filesystem::create_directories(m_path / relative);
        return m_path / relative;
    }
    void link(const std::filesystem::path& relative, const std::filesystem::path& target) {
        std::filesystem::create_directories((m_path / relative).parent_path());
        std::filesystem::create_symlink(target, m_path / relative);
    }

  private:
    std::filesystem::path m_path;
};

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
