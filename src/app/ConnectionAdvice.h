#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace kelvo {

// What a pilot can do when a recorder could not be reached: the one place that turns what
// the application can find out about a port (missing, no permission, held by another
// program, silent) into a message that says what to do next.
class ConnectionAdvice {
  public:
    // Why the port cannot be opened (none chosen, missing, no permission and how to get it,
    // held by another program); empty when nothing is known against it.
    static QString portAccessProblem(const std::string& path);

    // The message after every connect attempt failed: the port's problem, or else that the
    // recorder stayed silent and what to check.
    static QString afterFailedConnect(const std::string& path);

    // The other processes that hold the file open, as "name (process id)"; only those whose
    // descriptors this user may see.
    static QStringList holdersOf(const std::string& path);
};

}  // namespace kelvo
