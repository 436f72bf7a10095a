#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/Outcome.h"

namespace kelvo {

class Declaration;
class LXNAVLink;

// The recorder's declaration: IGC header and task rows (pilot, co-pilot, glider type and
// registration, competition id and class; the C records of the task between take-off and
// landing placeholders) and, for task points that have one, the observation zone. Written
// a row at a time, each confirmed by the recorder, and read back the same way. The
// recorder has no negative answer: a row it did not take is one it does not confirm.
class LXNAVDeclaration {
  public:
    // Characters of a text or point name written (each row stays a short IGC line), and task
    // points, start and finish included.
    static constexpr std::size_t kTextLength = 32;
    static constexpr std::size_t kMaxTaskPoints = 12;

    explicit LXNAVDeclaration(LXNAVLink& link) : m_link(link) {}

    Outcome write(const Declaration& declaration, std::chrono::sys_seconds now);
    Outcome read(Declaration& declaration);

    static DeclarationLimits limits();
    // The rows of a declaration already fitted to the limits.
    static std::vector<std::string> rowsOf(const Declaration& declaration,
                                           std::chrono::sys_seconds now);
    // What the rows declare; rows it does not know are passed over.
    static Declaration declarationOf(const std::vector<std::string>& rows);

  private:
    bool confirmed(std::size_t row);

    LXNAVLink& m_link;
};

}  // namespace kelvo
