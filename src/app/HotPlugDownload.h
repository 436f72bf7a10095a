#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <string>

namespace kelvo {

class LoggerController;

// "Download new flights when a recorder is connected": when the port of a recorder that
// answered before appears while the application runs and the preference is on, the port is
// connected with its remembered type, the flight list read and the new flights downloaded
// into the flights folder, each step the operation the pilot's own buttons start, with its
// progress and the download's summary. One operation at a time: a port that appears while
// an operation runs waits for its end; one that appears while a recorder is connected or
// another port is being served is left alone. The status line says which.
class HotPlugDownload : public QObject {
    Q_OBJECT

  public:
    explicit HotPlugDownload(LoggerController& controller);

    // The ports there now are not news.
    void notePresentPorts();
    // Ports may have come or gone.
    void portsDidChange();
    // Takes the next step after each device operation.
    void operationDidFinish();

  Q_SIGNALS:
    // A recorder's port that appeared has been served: its flights downloaded, or the steps
    // ended early with the reason in the status line.
    void didEnd();

  private:
    enum class Step { Idle, Waiting, Connecting, Reading, Downloading };

    struct Appeared {
        QString port;
        QString type;  // that answered there last
    };

    // The first port that appeared since the last look and has a remembered type.
    Appeared appearedRecorderPort();
    void begin(const Appeared& recorder);
    void afterConnect();
    void afterReading();
    void end(const QString& status = {});

    LoggerController& m_controller;
    std::map<std::string, std::string> m_present;  // name to path
    Step m_step = Step::Idle;
    Appeared m_recorder;
};

}  // namespace kelvo
