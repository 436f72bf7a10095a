#include "app/PreferencesStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>
#include <mutex>

namespace kelvo {

namespace {

// Serialises the read-modify-write of a setter against reads from other threads.
std::mutex& storeMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

QString PreferencesStore::filePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/preferences.json");
}

QJsonValue PreferencesStore::value(const QString& key) {
    std::lock_guard lock(storeMutex());
    return load().value(key);
}

bool PreferencesStore::setValue(const QString& key, const QJsonValue& value) {
    std::lock_guard lock(storeMutex());
    QJsonObject object = load();
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return save(object);
}

bool PreferencesStore::flush() {
    std::lock_guard lock(storeMutex());
    return save(load());
}

QJsonObject PreferencesStore::load() {
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.isObject() ? document.object() : QJsonObject{};
}

bool PreferencesStore::save(const QJsonObject& object) {
    const QString path = filePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
    return file.commit();
}

}  // namespace kelvo
