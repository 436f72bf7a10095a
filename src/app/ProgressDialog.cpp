#include "app/ProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace kelvo {

namespace {
constexpr int kSteps = 1000;
}

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Sheet),
      m_text(new QLabel(this)),
      m_bar(new QProgressBar(this)),
      m_rate(new QLabel(this)),
      m_cancel(new QPushButton(tr("Cancel"), this)) {
    setWindowModality(Qt::WindowModal);
    setWindowTitle(tr("Working"));
    setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(m_rate);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::reject);
}

void ProgressDialog::start(const QString& text) {
    m_text->setText(text);
    m_bar->setRange(0, 0);
    m_rate->clear();
    m_cancel->setEnabled(true);
}

void ProgressDialog::reject() {
    if (!m_cancel->isEnabled()) return;
    m_cancel->setEnabled(false);
    m_text->setText(tr("Cancelling…"));
    Q_EMIT cancelRequested();
}

void ProgressDialog::setFraction(double fraction) {
    if (!std::isfinite(fraction)) return;
    m_bar->setRange(0, kSteps);
    m_bar->setValue(static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * kSteps)));
}

void ProgressDialog::setRate(const QString& text) {
    m_rate->setText(text);
}

QString ProgressDialog::rate() const {
    return m_rate->text();
}

bool ProgressDialog::isBusyIndicator() const {
    return m_bar->maximum() == 0;
}

int ProgressDialog::percent() const {
    return isBusyIndicator() ? -1 : m_bar->value() * 100 / kSteps;
}

}  // namespace kelvo
