#include "ui/RecentFileList.h"

#include <QFileInfo>

#include <string>

#include "platform/Settings.h"

namespace {
constexpr const char* kSection = "Recent File List";

std::string EntryName(int index) { return "File" + std::to_string(index + 1); }

// The same file reached by two spellings of its path is one entry.
QString Normalised(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
}  // namespace

void RecentFileList::Load() {
    files_.clear();
    Settings& settings = GetSettings();
    for (int i = 0; i < kSize; ++i) {
        const QString path = QString::fromStdString(settings.GetString(kSection, EntryName(i), ""));
        if (!path.isEmpty() && !files_.contains(path)) {
            files_ << path;
        }
    }
}

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const QString entry = Normalised(path);
    files_.removeAll(entry);
    files_.prepend(entry);
    while (files_.size() > kSize) {
        files_.removeLast();
    }
    Save();
}

void RecentFileList::Remove(const QString& path) {
    if (files_.removeAll(path) + files_.removeAll(Normalised(path)) > 0) {
        Save();
    }
}

void RecentFileList::Save() const {
    Settings& settings = GetSettings();
    for (int i = 0; i < kSize; ++i) {
        if (i < files_.size()) {
            settings.SetString(kSection, EntryName(i), files_[i].toStdString());
        } else {
            settings.Remove(kSection, EntryName(i));
        }
    }
}
