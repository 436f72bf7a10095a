#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>

#include "LoggerAccess/Logger.h"
#include "base/TransferRate.h"

class QThread;
class QWidget;

namespace kelvo {

class ProgressDialog;

// Runs one device operation at a time on a worker thread of its own behind the modal
// progress sheet, which keeps the user from starting a second one; Cancel on the sheet asks
// the running operation to stop.
//
// A worker changes only the driver and its data. It hands every change of a view to the
// GUI thread as a step carrying the values it needs, and waits until the step has been
// carried out, so the views change in the order the worker asks for. The frozen view does
// not repaint while a worker runs, as it shows the driver's collections in place.
class DeviceOperationRunner : public QObject {
    Q_OBJECT

  public:
    DeviceOperationRunner(ProgressDialog& panel, QWidget& frozenView);
    // Waits for a worker that still runs; only reached when the window goes without closing.
    ~DeviceOperationRunner() override;

    // Shows the progress sheet with the text and runs the body on a new worker thread;
    // refused (and logged) while another operation runs.
    void start(const QString& text, std::function<void()> body);
    // Runs the step on the GUI thread; a worker waits until it has been carried out.
    void onGui(const std::function<void()>& step);
    // Removes the progress sheet; the worker's last view steps call it where they need.
    void removeProgressWindow();
    // Returns once the running operation, if any, has finished.
    void waitUntilFinished();
    // The driver's progress handler: reports from any thread reach the sheet on the GUI
    // thread.
    ProgressHandler progressHandler();
    // The flight of a batch that downloads now and the batch's size, so that the driver's
    // progress of one flight moves the batch's one bar; (0, 1) outside a batch.
    void setBatchPosition(std::size_t flight, std::size_t count);

    bool isOperationRunning() const { return m_worker != nullptr; }
    bool progressWindowVisible() const { return m_progressWindowVisible; }

  Q_SIGNALS:
    // A worker has ended and every view update it asked for has been carried out.
    void operationFinished();
    // The progress sheet was shown or removed.
    void progressWindowChanged();

  private:
    void showProgressWindow();
    void workerDidFinish();
    struct BatchPosition {
        std::size_t flight = 0;
        std::size_t count = 1;
    };
    // The fraction of the operation (of the whole batch while several flights download)
    // and the transfer's rate and time left, with the flight of a batch.
    void reportProgress(const Progress& progress, BatchPosition position);

    ProgressDialog& m_progressPanel;
    QWidget& m_frozenView;
    QThread* m_worker = nullptr;
    bool m_progressWindowVisible = false;
    TransferRate m_transferRate;  // of the operation, or of the batch's flight m_rateFlight
    std::size_t m_rateFlight = 0;
    std::atomic<std::size_t> m_batchFlight{0};
    std::atomic<std::size_t> m_batchSize{1};
};

}  // namespace kelvo
