#pragma once

#include <QAbstractItemModelTester>
#include <memory>
#include <vector>

#include "app/ConnectionController.h"
#include "app/DatabaseTransfer.h"
#include "app/DeclarationForm.h"
#include "app/DeviceOperationRunner.h"
#include "app/FlightDownloads.h"
#include "app/FlightList.h"
#include "app/ImportExportFlow.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/WaypointRouteTaskEditor.h"
#include "base/Delay.h"
#include "support/ScriptedLogger.h"

namespace kelvo::test {

// A main window with its controller, a scripted driver in the type menu and one port,
// every model watched by a QAbstractItemModelTester, and pauses and time-outs shortened by
// the scale (a hundredfold unless a real device protocol needs more room).
class ControllerFixture {
  public:
    explicit ControllerFixture(PortDictionary ports = {{"ttyScripted", "/dev/scripted"}},
                               double delayScale = 0.01);
    ~ControllerFixture();

    // Chooses the logger type, refreshing the port menu.
    void chooseLoggerType(const QString& name);
    // Connects the scripted driver; false when the connect worker did not finish.
    bool connectScripted();
    // Waits for the running worker to end (at once when none runs).
    bool waitForOperation();
    // Selects the tab as a click would and waits for what it starts.
    bool selectTab(int tab);
    // Connects the scripted driver and selects the tab; false when a worker did not finish.
    bool connectAndSelect(int tab);
    void selectFlightRows(const std::vector<int>& rows);
    void selectTaskRow(int row);

    std::shared_ptr<Script> script = std::make_shared<Script>();
    LoggerWindow window;
    LoggerController controller{window};

  private:
    ScopedDelayScale m_fastPauses;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;
};

}  // namespace kelvo::test
