#pragma once

#include <QStringList>

class QComboBox;

namespace kelvo {

QStringList sortedCaseInsensitively(QStringList names);

// Replaces the items of a menu and selects the first of the wanted names that is an item;
// otherwise the selection stays where the menu puts it.
void replaceItems(QComboBox* menu, const QStringList& items, const QStringList& wanted);

}  // namespace kelvo
