#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace kelvo::test {

// While it lives, answers every message box that opens with the button of that text and
// keeps the boxes' texts, so that a test drives the questions an action asks.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(QString button) : m_button(std::move(button)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start(5);
    }

    QStringList texts;

  private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        texts << box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().remove('&') == m_button) return button->click();
        }
    }

    QString m_button;
    QTimer m_timer;
};

}  // namespace kelvo::test
