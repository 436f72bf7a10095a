#include "app/LoggerController.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerWindow.h"
#include "app/PreferencesController.h"

namespace kelvo {

LoggerController::LoggerController(LoggerWindow& window)
    : QObject(&window), m_window(window), m_preferencesPanel(new PreferencesController(&window)) {
    connect(m_window.preferencesAction, &QAction::triggered, this,
            &LoggerController::showPrefsWindow);
    connect(m_window.checkForUpdateAction, &QAction::triggered, this,
            &LoggerController::checkForUpdate);
    connect(m_window.quitAction, &QAction::triggered, &m_window, &QWidget::close);
    connect(m_preferencesPanel, &QDialog::finished, this,
            &LoggerController::preferencesPanelDidEnd);
}

void LoggerController::showPrefsWindow() {
    m_preferencesPanel->open();
}

void LoggerController::preferencesPanelDidEnd() {
    KelvoPrefsBasedFormatter::applyTimeZonePreference();
}

void LoggerController::checkForUpdate() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://kelvo.org/kelvo/updates/1.1.2/")));
}

}  // namespace kelvo
