#include "app/OutlineView.h"

namespace kelvo {

void OutlineView::setModel(QAbstractItemModel* model) {
    disconnect(m_aboutToBeReset);
    disconnect(m_reset);
    QTreeView::setModel(model);
    if (!model) return;
    m_aboutToBeReset = connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
                               &OutlineView::rememberExpandedRows);
    // Connected after the view's own reset, so that it expands what the reset collapsed.
    m_reset =
        connect(model, &QAbstractItemModel::modelReset, this, &OutlineView::expandRememberedRows);
}

void OutlineView::rememberExpandedRows() {
    m_expanded.clear();
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QModelIndex index = model()->index(row, 0);
        if (isExpanded(index)) m_expanded.append(index.data().toString());
    }
}

void OutlineView::expandRememberedRows() {
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QModelIndex index = model()->index(row, 0);
        if (m_expanded.contains(index.data().toString())) expand(index);
    }
}

}  // namespace kelvo
