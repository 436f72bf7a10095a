#pragma once

#include <QJsonObject>
#include <QString>

namespace kelvo::test {

// Replaces the whole preferences file (a fresh store for {}), for tests that need stored
// values of the wrong type.
void writePreferencesFile(const QJsonObject& contents);
void removePreferencesFile();

}  // namespace kelvo::test
