#pragma once

#include <QObject>

namespace kelvo {

class LoggerWindow;
class PreferencesController;

class LoggerController : public QObject {
    Q_OBJECT

  public:
    explicit LoggerController(LoggerWindow& window);

    void showPrefsWindow();
    void preferencesPanelDidEnd();
    void checkForUpdate();
    PreferencesController* preferencesPanel() const { return m_preferencesPanel; }

  private:
    LoggerWindow& m_window;
    PreferencesController* m_preferencesPanel;
};

}  // namespace kelvo
