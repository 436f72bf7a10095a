#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QProgressBar;

namespace kelvo {

// The modal progress sheet shown while a device operation runs: a busy indicator until the
// driver reports a fraction, then a real progress bar, and Cancel.
class ProgressDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ProgressDialog(QWidget* parent = nullptr);

    // Starts an operation: the text and the busy indicator.
    void start(const QString& text);
    // 0.0 .. 1.0 of the operation done.
    void setFraction(double fraction);
    // The transfer's rate and time left ("1.9 kB/s, 0:42 left").
    void setRate(const QString& text);
    QString rate() const;
    bool isBusyIndicator() const;
    int percent() const;
    // Cancel, or Escape.
    void reject() override;

  Q_SIGNALS:
    // Cancel (or Escape): the operation is asked to stop; the sheet closes when it has.
    void cancelRequested();

  private:
    QLabel* m_text;
    QProgressBar* m_bar;
    QLabel* m_rate;
    QPushButton* m_cancel;
};

}  // namespace kelvo
