#pragma once

#include <QStyledItemDelegate>

namespace kelvo {

// A model whose editable cells tell why they would refuse a typed text.
class EntryChecking {
  public:
    // Empty when the cell would take the text.
    virtual QString entryProblem(const QModelIndex& index, const QString& text) const = 0;

  protected:
    ~EntryChecking() = default;
};

// Edits the cells of an EntryChecking model so that a refused entry never passes silently:
// Return, Enter or Tab on it shows the reason at the cell and the editor stays open with
// the text; leaving the cell keeps the editor open too. Escape gives the old value back.
// Models without the checks are edited as by QStyledItemDelegate.
class CheckedEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* editor, QEvent* event) override;
};

}  // namespace kelvo
