#include "app/EntryValidator.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

namespace kelvo {

namespace {

bool finishesEntry(const QEvent* event) {
    // A context menu of the field takes the focus only for a moment.
    if (event->type() == QEvent::FocusOut)
        return static_cast<const QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
    if (event->type() != QEvent::KeyPress) return false;
    switch (static_cast<const QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;
        default:
            return false;
    }
}

}  // namespace

EntryValidator::EntryValidator(Check check, QObject* parent)
    : QValidator(parent), m_check(std::move(check)) {}

QValidator::State EntryValidator::validate(QString& input, int&) const {
    return problem(input).isEmpty() ? Acceptable : Intermediate;
}

EntryValidator* EntryValidator::attachTo(QLineEdit* field, Check check) {
    auto* validator = new EntryValidator(std::move(check), field);
    field->setValidator(validator);
    field->installEventFilter(validator);
    return validator;
}

bool EntryValidator::refusesToFinish(QLineEdit* field, const QEvent* event) {
    if (!field || !finishesEntry(event)) return false;
    const auto* validator = qobject_cast<const EntryValidator*>(field->validator());
    if (!validator) return false;
    const QString problem = validator->problem(field->text());
    field->setToolTip(problem);
    if (problem.isEmpty()) return false;
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), problem, field);
    return true;
}

bool EntryValidator::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the field cannot be refused; the reason shows all the same.
    return refusesToFinish(qobject_cast<QLineEdit*>(watched), event) &&
           event->type() != QEvent::FocusOut;
}

}  // namespace kelvo
