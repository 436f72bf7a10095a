#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bytes.h"

namespace kelvo {

class LoggerData;

// The text encodings that waypoint files come in.
enum class TextEncoding { Utf8, Windows1252 };

// Base of the waypoint and route file formats: reads a file into LoggerData, writes
// LoggerData into a file, and says what the format can hold. The base versions of the
// format operations only log that they were called, so every operation is safe on every
// format.
class ImportFile {
  public:
    ImportFile() = default;
    virtual ~ImportFile() = default;

    // Class identity; each format answers its own (the base has none).
    static std::optional<std::string> getFileExtension() { return std::nullopt; }
    static std::optional<std::string> getFileDescription() { return std::nullopt; }

    // The bytes decoded to UTF-8, or nothing when they are not valid in the encoding. A
    // UTF-8 byte-order mark is dropped.
    static std::optional<std::string> makeStringFromData(ByteSpan bytes, TextEncoding encoding);
    // UTF-8 when the bytes are valid UTF-8 (byte-order mark dropped), else Windows-1252:
    // how files from other programs are read, since every byte sequence decodes.
    static std::string decodeText(ByteSpan bytes);
    // The lines of the decoded bytes; undecodable bytes give no lines.
    static std::vector<std::string> separateDataIntoArrayOfLines(ByteSpan bytes,
                                                                 TextEncoding encoding);
    // The lines of a UTF-8 text without their ends, in order. A line ends at LF, CR, CR LF
    // (one end), U+0085, U+2028 or U+2029; a final line end adds no empty line, and the
    // empty text has no lines.
    static std::vector<std::string> separateStringIntoArrayOfLines(std::string_view text);

    // The line end that the formats write.
    const std::string& lineTerminator() const { return m_lineTerminator; }
    // The comment line a format may put at the top of a file it writes.
    std::string getFileHeader() const;

    // Adds what the bytes hold to the container's collections.
    virtual void parseData(ByteSpan bytes, LoggerData& loggerData);
    // The whole file's bytes, or nothing when the format makes no file of this data. The
    // container is absent when no logger is connected.
    virtual std::optional<Bytes> makeDataFromLoggerData(const LoggerData* loggerData);

    // Whether a file that yields no waypoint is an error (importing it would empty the
    // waypoint list) or a list the caller decides about.
    enum class EmptyFile { Refused, Allowed };
    // Whether a file with lines that cannot be read is an error, or the rest is taken and
    // the lines are listed in badLines().
    enum class BadLines { Refused, Skipped };
    // Reads the whole file (through readInputFile) and parses it. A file that cannot be
    // read, that has a line that cannot be read when such lines are refused, or that
    // yields no waypoint when such files are refused, changes nothing and answers why,
    // naming the file (and the line); empty when the file was read.
    std::string parseFile(const std::filesystem::path& path, LoggerData& loggerData,
                          EmptyFile empty = EmptyFile::Refused, BadLines bad = BadLines::Refused);
    // The lines the last parse could not take, each as "line N: why".
    const std::vector<std::string>& badLines() const { return m_badLines; }
    // Writes the format's bytes atomically; false when there were none or writing failed.
    bool makeFile(const std::filesystem::path& path, const LoggerData* loggerData);

    virtual bool canExportInfo() const { return false; }
    virtual bool canExportWaypoints() const { return false; }
    virtual bool canExportRoutes() const { return false; }
    virtual bool canExportDeclaration() const { return false; }
    // Logger information alone does not count.
    bool canExport() const;

  protected:
    // Notes a line (counted from 1 in the whole file) that the parse could not take. A
    // format that notes lines clears them when its parse begins.
    void addBadLine(std::size_t lineNumber, std::string_view reason);
    void clearBadLines() { m_badLines.clear(); }

  private:
    std::string m_lineTerminator = "\r\n";
    std::vector<std::string> m_badLines;
};

}  // namespace kelvo
