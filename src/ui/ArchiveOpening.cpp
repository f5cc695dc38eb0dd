#include "ui/ArchiveOpening.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <vector>

#include "media/Archive.h"
#include "media/OpenArchive.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"

namespace {
struct Opened {
    std::unique_ptr<Archive> archive;
    std::vector<HeadlessHost::Message> messages;
};
}  // namespace

std::unique_ptr<Archive> OpenArchiveApart(const std::string& path) {
    // Shared, so that the future's result may be copied as Qt likes.
    QFutureWatcher<std::shared_ptr<Opened>> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    const ProgressScope progress("Opening " + fs_util::FileNameOf(path) + "...", 0);
    watcher.setFuture(QtConcurrent::run([path] {
        auto opened = std::make_shared<Opened>();
        const ThreadHostScope quiet;
        opened->archive = OpenArchive(path);
        opened->messages = quiet.Recorded().messages;
        return opened;
    }));
    // Input waits (nothing may change the scene under the opening); drawing does not.
    if (!watcher.isFinished()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    watcher.waitForFinished();
    const std::shared_ptr<Opened> opened = watcher.result();
    for (const HeadlessHost::Message& message : opened->messages) {
        GetHost().ShowMessage(message.text, message.buttons, message.icon);
    }
    return std::move(opened->archive);
}
