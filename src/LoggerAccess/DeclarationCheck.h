#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace kelvo {

class Declaration;
class Logger;

// What a recorder family's declaration record can hold. A written declaration is compared
// with what was meant as the recorder can hold it: texts cut to their field's length in
// the recorder's 8-bit character set, coordinates at the record's resolution.
struct DeclarationLimits {
    // Characters each text field keeps; 0: the record has no such field, it is not compared.
    std::array<std::size_t, 4> pilotLength{};
    std::size_t gliderIDLength = 0;
    std::size_t gliderTypeLength = 0;
    std::size_t competitionIDLength = 0;
    std::size_t pointNameLength = 0;  // of the home point and the task points
    bool upperCase = false;           // the recorder keeps its texts in capitals
    double coordinateResolution = 0;  // [degrees]
    // Task points the record holds, start and finish included; of a longer task it keeps
    // the first ones and the finish.
    std::size_t maxTaskPoints = 0;
    bool keepsHomeElevation = false;
    bool keepsHomePoint = true;
    // The recorder can tell its task when the declaration is read back (the driver says so
    // after each read); otherwise only the other fields are verified.
    bool reportsTask = true;
    // The recorder takes its texts in plain ASCII without control characters and without
    // "$", "*", "!", "\", "^" or "~" (DeclarationFit cleans them).
    bool asciiTexts = false;
    // A recorder that keeps its task as text has room for taskNameBytes bytes of the task
    // points' names, less taskBytesPerPoint for each point (0: no such budget).
    std::size_t taskNameBytes = 0;
    std::size_t taskBytesPerPoint = 0;
    // The observation-zone values the record keeps for each task point.
    struct ZoneFields {
        bool lineWidth = false;
        bool cylinderRadius = false;
        bool sectorRadius = false;
        bool sectorDirection = false;
    } zones;

    // A recorder that takes its declaration as text sentences: two pilots and every text
    // of textLength characters in plain ASCII, coordinates in thousandths of a minute, no
    // home point.
    static DeclarationLimits ofTextSentences(std::size_t textLength, std::size_t maxTaskPoints);
};

// One field the recorder holds otherwise than meant.
struct DeclarationDifference {
    std::string field;  // "Pilot 1", "Glider ID", "Task point 2", ...
    std::string meant;
    std::string held;

    bool operator==(const DeclarationDifference&) const = default;
};

// The outcome of reading a written declaration back.
struct DeclarationVerification {
    enum class Verdict {
        Verified,       // the recorder holds what was meant
        Differs,        // it holds something else: see differences
        NotVerifiable,  // this family's declaration cannot be read back
        ItemsVerified,  // the recorder holds what was meant, but cannot report its task
        NotReadBack,    // no intact declaration came back
    };
    Verdict verdict = Verdict::NotVerifiable;
    std::vector<DeclarationDifference> differences;
    std::string readFailure;  // why nothing came back (NotReadBack)

    // Verified, or the declaration cannot be read back at all: nothing the pilot must mend.
    bool acceptable() const {
        return verdict == Verdict::Verified || verdict == Verdict::NotVerifiable ||
               verdict == Verdict::ItemsVerified;
    }
    // One line for the pilot: "written and verified", "written, not verifiable", "written;
    // this unit cannot report its task, items verified", or what went wrong with each
    // differing field.
    std::string text() const;
};

// Compares a written declaration with what the recorder holds, field by field.
class DeclarationCheck {
  public:
    // The fields of held that differ from meant as the recorder can hold it. Fields the
    // record does not keep, a home point or task that was not meant, and a task the recorder
    // cannot report, are not compared.
    static std::vector<DeclarationDifference> compare(const Declaration& meant,
                                                      const Declaration& held,
                                                      const DeclarationLimits& limits);

    // Reads the declaration back from the recorder (after a successful write, in the same
    // connection) and compares it with the one the logger data held before. The logger data
    // then holds what the recorder holds.
    static DeclarationVerification verifyWritten(Logger& logger);
};

}  // namespace kelvo
