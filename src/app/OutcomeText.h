#pragma once

#include <QString>

#include "LoggerAccess/Outcome.h"

namespace kelvo {

// The reason of a failed operation, as the status line shows it.
inline QString reasonOf(const Outcome& outcome) {
    return QString::fromStdString(outcome.reason());
}

}  // namespace kelvo
