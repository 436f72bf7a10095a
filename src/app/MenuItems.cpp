#include "app/MenuItems.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <algorithm>

namespace kelvo {

QStringList sortedCaseInsensitively(QStringList names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

void replaceItems(QComboBox* menu, const QStringList& items, const QStringList& wanted) {
    const QSignalBlocker blocker(menu);
    menu->clear();
    menu->addItems(items);
    for (const QString& name : wanted) {
        const int index = menu->findText(name);
        if (index >= 0) {
            menu->setCurrentIndex(index);
            return;
        }
    }
}

}  // namespace kelvo
