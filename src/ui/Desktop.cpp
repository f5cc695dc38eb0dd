#include "ui/Desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

XdgMimeRunner SystemXdgMime() {
    return [](const QStringList& arguments) -> std::optional<QString> {
        QProcess process;
        process.start(QStringLiteral("xdg-mime"), arguments);
        if (!process.waitForStarted(2000) || !process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(1000);
            return std::nullopt;
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            return std::nullopt;
        }
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };
}

bool RegisterSceneFileType(const XdgMimeRunner& xdgMime) {
    const QString type = QString::fromLatin1(kSceneMimeType);
    const QString entry = QString::fromLatin1(kDesktopEntry);
    const auto current = xdgMime({QStringLiteral("query"), QStringLiteral("default"), type});
    if (!current) {
        return false;
    }
    const QString claimedBy = current->trimmed();
    if (!claimedBy.isEmpty()) {
        // Another program owns scene files (or we already do): leave the user's choice.
        return false;
    }
    return xdgMime({QStringLiteral("default"), entry, type}).has_value();
}

QString FindUserGuide(const QString& programDirectory) {
    const QDir dir(programDirectory);
    QStringList candidates{
        dir.filePath(QStringLiteral("../share/doc/marovin/index.html")),
        dir.filePath(QStringLiteral("docs/guide/index.html")),
    };
#ifdef MAROVIN_SOURCE_GUIDE
    candidates << QStringLiteral(MAROVIN_SOURCE_GUIDE);
#endif
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable()) {
            return info.canonicalFilePath();
        }
    }
    return {};
}

QUrl ProjectPage() { return QUrl(QStringLiteral("https://marovin.example.org")); }
