#include "app/ConnectionAdvice.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace kelvo {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ConnectionAdvice", text);
}

QString groupOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (const struct group* owner = ::getgrgid(status.st_gid)) return owner->gr_name;
    }
    return QStringLiteral("dialout");
}

// Opening takes the port exclusively, so a second program gets EBUSY (root is let through).
bool openFailsBusy(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (descriptor >= 0) {
        ::close(descriptor);
        return false;
    }
    return errno == EBUSY;
}

QString processName(const QString& processFolder) {
    QFile comm(processFolder + QStringLiteral("/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
}

}  // namespace

QString ConnectionAdvice::portAccessProblem(const std::string& path) {
    const QString port = QString::fromStdString(path);
    if (path.empty()) return tr("No port is chosen.");
    if (::access(path.c_str(), R_OK | W_OK) != 0) {
        if (errno == ENOENT)
            return tr("The port %1 does not exist. Check that the cable is plugged in.").arg(port);
        if (errno == EACCES)
            return tr("You may not open %1. Add your user to the group '%2' "
                      "(sudo usermod -aG %2 $USER), then log out and in again.")
                .arg(port, groupOf(path));
        return {};
    }
    const QStringList holders = holdersOf(path);
    if (!holders.isEmpty())
        return tr("The port %1 is in use by %2. Close that program and connect again.")
            .arg(port, holders.join(QStringLiteral(", ")));
    if (openFailsBusy(path))
        return tr("The port %1 is in use by another program. Close it and connect again.")
            .arg(port);
    return {};
}

QString ConnectionAdvice::afterFailedConnect(const std::string& path) {
    const QString problem = portAccessProblem(path);
    if (!problem.isEmpty()) return problem;
    return tr(
        "The recorder did not answer. Check the cable at both ends, that the recorder is "
        "switched on, and that its line speed (baud rate) is set to one of the usual "
        "speeds.");
}

QStringList ConnectionAdvice::holdersOf(const std::string& path) {
    const QString target = QFileInfo(QString::fromStdString(path)).canonicalFilePath();
    QStringList holders;
    if (target.isEmpty()) return holders;
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& process : processes) {
        bool isNumber = false;
        process.toLongLong(&isNumber);
        if (!isNumber || process == self) continue;
        const QString folder = QStringLiteral("/proc/") + process;
        const QFileInfoList descriptors =
            QDir(folder + QStringLiteral("/fd"))
                .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& descriptor : descriptors) {
            if (descriptor.symLinkTarget() != target) continue;
            holders << QStringLiteral("%1 (%2)").arg(processName(folder), process);
            break;
        }
    }
    return holders;
}

}  // namespace kelvo
