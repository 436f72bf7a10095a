#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace kelvo {

// Tells when serial ports or simulator links may have come or gone: it watches the device
// folder and the simulator's port folder, and checks every few seconds for a watched folder
// that did not exist before (the simulator creates its folder on first start). A burst of
// changes (udev creates a node, then sets its group) gives one signal.
class PortWatcher : public QObject {
    Q_OBJECT

  public:
    static constexpr int kSettleMilliseconds = 300;
    static constexpr int kRecheckMilliseconds = 3000;

    // /dev and the simulator's port folder.
    static QStringList defaultFolders();

    explicit PortWatcher(QObject* parent = nullptr);

    // Watches these folders instead of the ones watched now.
    void setFolders(const QStringList& folders);
    const QStringList& folders() const { return m_folders; }

  Q_SIGNALS:
    void portsMayHaveChanged();

  private:
    void watchExistingFolders(bool announceNewOnes);

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QTimer m_recheck;
    QStringList m_folders;
};

}  // namespace kelvo
