#include "app/WarningClearLoggerController.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvo {

WarningClearLoggerController::WarningClearLoggerController(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Erase Flights"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(tr("All flights will be erased from the recorder's memory. Flights "
                               "that were not downloaded are lost.\n\nErase the flights?"),
                            this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("Erase"), QDialogButtonBox::DestructiveRole);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::clicked, this, [this, cancel](QAbstractButton* button) {
        if (button == cancel)
            cancelAction();
        else
            okAction();
    });
}

void WarningClearLoggerController::okAction() {
    m_resultCode = 1;
    done(m_resultCode);
}

void WarningClearLoggerController::cancelAction() {
    m_resultCode = 0;
    done(m_resultCode);
}

}  // namespace kelvo
