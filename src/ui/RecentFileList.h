#pragma once

#include <QString>
#include <QStringList>

// The most-recently-used files of the File menu, newest first, kept in the
// settings section "Recent File List" as "File1" to "File4".
class RecentFileList {
public:
    static constexpr int kSize = 4;

    // Reads the list from the settings.
    void Load();
    // Puts the path first (once), drops what falls off the end, and stores the list.
    void Add(const QString& path);
    void Remove(const QString& path);

    const QStringList& Files() const { return files_; }

private:
    void Save() const;
    QStringList files_;
};
