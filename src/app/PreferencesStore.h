#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace kelvo {

// The per-user typed key-value store: one JSON object in a file of the per-user
// configuration folder. Every read loads the file again and every write replaces it
// atomically, so the main thread and a worker thread always see the latest values.
class PreferencesStore {
  public:
    static QString filePath();

    // The stored value, or an undefined value when the key or the file is missing or the
    // file does not hold a JSON object.
    static QJsonValue value(const QString& key);

    // Stores the value (an undefined value removes the key) and writes the file at once;
    // false when the file could not be written.
    static bool setValue(const QString& key, const QJsonValue& value);

    // Writes the current contents again; false when the file could not be written.
    static bool flush();

  private:
    static QJsonObject load();
    static bool save(const QJsonObject& object);
};

}  // namespace kelvo
