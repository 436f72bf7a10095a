#include "app/CheckedEntryDelegate.h"

#include <QEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QTimer>

#include "app/EntryValidator.h"

namespace kelvo {

QWidget* CheckedEntryDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* field = qobject_cast<QLineEdit*>(editor);
    const auto* checking = dynamic_cast<const EntryChecking*>(index.model());
    if (field && checking) {
        const QPersistentModelIndex cell(index);
        field->setValidator(new EntryValidator(
            [checking, cell](const QString& text) { return checking->entryProblem(cell, text); },
            field));
    }
    return editor;
}

bool CheckedEntryDelegate::eventFilter(QObject* editor, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(editor);
    if (!EntryValidator::refusesToFinish(field, event))
        return QStyledItemDelegate::eventFilter(editor, event);
    // The item view would close the editor and drop the text; the focus comes back instead.
    if (event->type() == QEvent::FocusOut)
        QTimer::singleShot(0, field, [field] { field->setFocus(); });
    return true;
}

}  // namespace kelvo
