#pragma once

#include <QDialog>

namespace kelvo {

// The confirmation sheet shown before the recorder's flight memory is erased. Its result
// code is 1 only when the user confirmed; closing it any other way counts as cancel.
class WarningClearLoggerController : public QDialog {
    Q_OBJECT

  public:
    explicit WarningClearLoggerController(QWidget* parent = nullptr);

    void okAction();
    void cancelAction();
    int getReturnCode() const { return m_resultCode; }
    // Escape and the window's close button cancel.
    void reject() override { cancelAction(); }

  private:
    int m_resultCode = 0;
};

}  // namespace kelvo
