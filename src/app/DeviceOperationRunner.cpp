#include "app/DeviceOperationRunner.h"

#include <QEventLoop>
#include <QThread>
#include <QWidget>

#include "app/ProgressDialog.h"
#include "base/Cancellation.h"
#include "base/Log.h"

namespace kelvo {

DeviceOperationRunner::DeviceOperationRunner(ProgressDialog& panel, QWidget& frozenView)
    : m_progressPanel(panel), m_frozenView(frozenView) {
    QObject::connect(&m_progressPanel, &ProgressDialog::cancelRequested, this,
                     [] { requestCancellation(); });
}

DeviceOperationRunner::~DeviceOperationRunner() {
    if (m_worker) {
        // A worker that still waits for a view update cannot get it any more.
        m_worker->wait();
        delete m_worker;
    }
}

void DeviceOperationRunner::onGui(const std::function<void()>& step) {
    if (QThread::currentThread() == thread())
        step();
    else
        QMetaObject::invokeMethod(this, step, Qt::BlockingQueuedConnection);
}

void DeviceOperationRunner::start(const QString& text, std::function<void()> body) {
    if (m_worker) {
        logLine("An operation is still running; the new one is not started.");
        return;
    }
    clearCancellation();
    m_transferRate = TransferRate();
    m_rateFlight = 0;
    m_progressPanel.start(text);
    showProgressWindow();
    m_worker = QThread::create(std::move(body));
    QObject::connect(m_worker, &QThread::finished, this, &DeviceOperationRunner::workerDidFinish);
    m_worker->start();
}

void DeviceOperationRunner::workerDidFinish() {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    Q_EMIT operationFinished();
}

void DeviceOperationRunner::waitUntilFinished() {
    if (!m_worker) return;
    QEventLoop loop;
    QObject::connect(this, &DeviceOperationRunner::operationFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

ProgressHandler DeviceOperationRunner::progressHandler() {
    return [this](const Progress& progress) {
        // The batch position of the report, not of the time the GUI thread gets it.
        const BatchPosition position{m_batchFlight, m_batchSize};
        QMetaObject::invokeMethod(
            this, [this, progress, position] { reportProgress(progress, position); },
            Qt::QueuedConnection);
    };
}

void DeviceOperationRunner::setBatchPosition(std::size_t flight, std::size_t count) {
    m_batchSize = count;
    m_batchFlight = flight;
}

void DeviceOperationRunner::reportProgress(const Progress& progress, BatchPosition position) {
    if (progress.fraction) {
        m_progressPanel.setFraction((static_cast<double>(position.flight) + *progress.fraction) /
                                    static_cast<double>(position.count));
    }
    if (progress.bytes == 0) return;
    // Each flight of a batch is a transfer of its own.
    if (position.flight != m_rateFlight) m_transferRate = TransferRate();
    m_rateFlight = position.flight;
    m_transferRate.update(progress.bytes, progress.fraction);
    QString text = QString::fromStdString(m_transferRate.text());
    if (position.count > 1)
        text = tr("Flight %1 of %2: %3").arg(position.flight + 1).arg(position.count).arg(text);
    m_progressPanel.setRate(text);
}

void DeviceOperationRunner::showProgressWindow() {
    m_frozenView.setUpdatesEnabled(false);
    m_progressPanel.open();
    m_progressWindowVisible = true;
    Q_EMIT progressWindowChanged();
}

void DeviceOperationRunner::removeProgressWindow() {
    m_progressPanel.hide();
    m_progressWindowVisible = false;
    m_frozenView.setUpdatesEnabled(true);
    Q_EMIT progressWindowChanged();
}

}  // namespace kelvo
