#include "app/PortWatcher.h"

#include <QDir>

#include "LoggerAccess/SerialPortDictionary.h"

namespace kelvo {

QStringList PortWatcher::defaultFolders() {
    return {QStringLiteral("/dev"),
            QString::fromStdString(SerialPortDictionary::defaultSimulatorPortFolder().string())};
}

PortWatcher::PortWatcher(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &PortWatcher::portsMayHaveChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
    m_recheck.setInterval(kRecheckMilliseconds);
    connect(&m_recheck, &QTimer::timeout, this, [this] { watchExistingFolders(true); });
    m_recheck.start();
    setFolders(defaultFolders());
}

void PortWatcher::setFolders(const QStringList& folders) {
    if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
    m_folders = folders;
    watchExistingFolders(false);
}

void PortWatcher::watchExistingFolders(bool announceNewOnes) {
    const QStringList watched = m_watcher.directories();
    bool appeared = false;
    for (const QString& folder : m_folders) {
        if (watched.contains(folder) || !QDir(folder).exists()) continue;
        appeared |= m_watcher.addPath(folder);
    }
    // A folder that appears may already hold a link.
    if (appeared && announceNewOnes) m_settle.start();
}

}  // namespace kelvo
