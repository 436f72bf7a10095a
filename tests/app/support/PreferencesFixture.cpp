#include "support/PreferencesFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include "app/PreferencesStore.h"

namespace kelvo::test {

void writePreferencesFile(const QJsonObject& contents) {
    const QString path = PreferencesStore::filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QJsonDocument(contents).toJson());
}

void removePreferencesFile() {
    QFile::remove(PreferencesStore::filePath());
}

}  // namespace kelvo::test
