#pragma once

#include <QStringList>
#include <QTreeView>

namespace kelvo {

// A tree view that keeps its expanded top-level rows when the model is reset (a reload of
// the routes, a deleted route): the rows whose first column shows the same text as an
// expanded row before are expanded again.
class OutlineView : public QTreeView {
    Q_OBJECT

  public:
    using QTreeView::QTreeView;

    void setModel(QAbstractItemModel* model) override;

  private:
    void rememberExpandedRows();
    void expandRememberedRows();

    QStringList m_expanded;
    QMetaObject::Connection m_aboutToBeReset;
    QMetaObject::Connection m_reset;
};

}  // namespace kelvo
