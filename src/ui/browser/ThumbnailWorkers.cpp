#include "ui/browser/ThumbnailWorkers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <utility>

namespace {
// Workers that exit in a row without answering anything before the command counts as
// no worker at all (a program that does not speak the protocol exits at once). A
// worker that crashes or is stopped never counts: that names its entry, not the
// command.
constexpr int kSilentEndsAllowed = 3;
// A reply line longer than this is no reply; the worker is stopped.
constexpr qsizetype kMaxLine = 1 << 20;
// How long a worker told to end may take before it is stopped.
constexpr int kEndWaitMs = 500;
// How long the window, closing, waits for all its workers together before it stops
// them, and then for them to be gone.
constexpr int kExitWaitMs = 150;
constexpr int kKilledWaitMs = 100;

QByteArray Field(const QByteArray& line, qsizetype& at) {
    const qsizetype tab = line.indexOf('\t', at);
    const qsizetype end = tab < 0 ? line.size() : tab;
    QByteArray field = line.mid(at, end - at);
    at = tab < 0 ? line.size() : tab + 1;
    return field;
}

bool Sendable(const QByteArray& text) { return !text.contains('\t') && !text.contains('\n') && !text.contains('\r'); }
}  // namespace

struct ThumbnailWorkers::Worker {
    QProcess* process = nullptr;  // deleted later, after its last signal
    QByteArray pending;           // what it wrote after its last whole line
    std::optional<ThumbnailJob> current;
    quint64 currentId = 0;
    bool answered = false;  // this process replied at least once
    bool overTime = false;  // stopped for taking too long
    QTimer timer;           // the time limit of the current request
};

ThumbnailWorkers::ThumbnailWorkers(QObject* parent) : QObject(parent) {
    QStringList command = DefaultCommand();
    program_ = command.takeFirst();
    arguments_ = command;
    SetWorkerCount(2);
}

ThumbnailWorkers::~ThumbnailWorkers() {
    StopAll(false);
    // Every worker still running was told to end; those that take longer than a
    // moment, all counted together, are stopped rather than wait for.
    const QDeadlineTimer deadline(kExitWaitMs);
    for (QProcess* process : findChildren<QProcess*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (process->state() == QProcess::NotRunning) {
            continue;
        }
        if (!process->waitForFinished(static_cast<int>(std::max<qint64>(0, deadline.remainingTime())))) {
            process->kill();
            process->waitForFinished(kKilledWaitMs);
        }
    }
}

QStringList ThumbnailWorkers::DefaultCommand() {
    const QStringList set = QProcess::splitCommand(qEnvironmentVariable("MAROVIN_THUMBNAIL_WORKER"));
    if (!set.isEmpty()) {
        return set;
    }
    return {QCoreApplication::applicationFilePath(), QStringLiteral("--thumbnail-worker")};
}

QString ThumbnailWorkers::StoppedReason() { return QStringLiteral("the worker stopped on this entry"); }

void ThumbnailWorkers::SetCommand(const QString& program, const QStringList& arguments) {
    StopAll(true);
    program_ = program;
    arguments_ = arguments;
    silentEnds_ = 0;
    broken_.clear();
    Dispatch();
}

void ThumbnailWorkers::SetTimeLimit(int milliseconds) { timeLimitMs_ = std::max(1, milliseconds); }

void ThumbnailWorkers::SetWorkerCount(int count) {
    const int wanted = std::clamp(count, 1, std::max(1, QThread::idealThreadCount()));
    if (wanted == WorkerCount()) {
        return;
    }
    StopAll(true);
    workers_.clear();
    for (int i = 0; i < wanted; ++i) {
        auto worker = std::make_unique<Worker>();
        worker->timer.setSingleShot(true);
        Worker* raw = worker.get();
        connect(&worker->timer, &QTimer::timeout, this, [raw] {
            if (raw->process != nullptr) {
                raw->overTime = true;
                raw->process->kill();
            }
        });
        workers_.push_back(std::move(worker));
    }
    Dispatch();
}

void ThumbnailWorkers::Want(std::vector<ThumbnailJob> requests) {
    waiting_.clear();
    for (ThumbnailJob& request : requests) {
        const bool drawing = std::any_of(workers_.begin(), workers_.end(), [&](const auto& worker) {
            return worker->current && worker->current->tag == request.tag;
        });
        if (!drawing) {
            waiting_.push_back(std::move(request));
        }
    }
    Dispatch();
}

void ThumbnailWorkers::Dispatch() {
    if (holding_) {
        return;
    }
    while (!broken_.isEmpty() && !waiting_.empty()) {
        const quint64 tag = waiting_.front().tag;
        waiting_.pop_front();
        Fail(tag, broken_);
    }
    for (const auto& worker : workers_) {
        while (!worker->current && !waiting_.empty() && broken_.isEmpty()) {
            ThumbnailJob request = std::move(waiting_.front());
            waiting_.pop_front();
            Send(*worker, std::move(request));
        }
    }
}

bool ThumbnailWorkers::Send(Worker& worker, ThumbnailJob request) {
    if (!Sendable(request.archive) || !Sendable(request.name)) {
        Fail(request.tag, QStringLiteral("its name holds a tab or a line break, which a worker cannot be asked for"));
        return false;
    }
    if (worker.process == nullptr) {
        Start(worker);
        if (worker.process == nullptr) {
            waiting_.push_front(std::move(request));
            Dispatch();  // fails them all with the reason
            return false;
        }
    }
    worker.currentId = nextId_++;
    QByteArray line = QByteArray::number(worker.currentId) + '\t' + QByteArray::number(request.size) + '\t' +
                      QByteArray::number(request.frames) + '\t' + request.archive + '\t' + request.name + '\n';
    worker.current = std::move(request);
    worker.process->write(line);
    worker.timer.start(timeLimitMs_);
    return true;
}

void ThumbnailWorkers::Start(Worker& worker) {
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    // A worker says what went wrong in its replies; anything else it writes is noise.
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardOutput, this, [this, &worker] { Read(worker); });
    connect(process, &QProcess::finished, this, [this, &worker](int, QProcess::ExitStatus status) {
        Ended(worker, false, status == QProcess::CrashExit);
    });
    connect(process, &QProcess::errorOccurred, this, [this, &worker](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Ended(worker, true, false);
        }
    });
    worker.process = process;
    worker.answered = false;
    worker.overTime = false;
    worker.pending.clear();
    process->start(program_, arguments_);
}

void ThumbnailWorkers::Read(Worker& worker) {
    if (worker.process == nullptr) {
        return;
    }
    worker.pending += worker.process->readAllStandardOutput();
    qsizetype end = 0;
    while ((end = worker.pending.indexOf('\n')) >= 0) {
        const QByteArray line = worker.pending.left(end);
        worker.pending.remove(0, end + 1);
        Answer(worker, line);
        if (worker.process == nullptr) {
            return;
        }
    }
    if (worker.pending.size() > kMaxLine) {
        worker.process->kill();
    }
}

void ThumbnailWorkers::Answer(Worker& worker, const QByteArray& line) {
    qsizetype at = 0;
    const QByteArray kind = Field(line, at);
    bool numeric = false;
    const quint64 id = Field(line, at).toULongLong(&numeric);
    // A reply to anything but the request sent (a malformed line's "0") is not ours.
    if (!numeric || !worker.current || id != worker.currentId || (kind != "ok" && kind != "fail")) {
        return;
    }
    worker.timer.stop();
    ThumbnailJobResult reply;
    reply.tag = worker.current->tag;
    reply.ok = kind == "ok";
    if (reply.ok) {
        reply.png = QFile::decodeName(Field(line, at));
        reply.facts = line.mid(at).trimmed();
    } else {
        reply.reason = QString::fromUtf8(line.mid(at)).trimmed();
    }
    worker.current.reset();
    worker.answered = true;
    silentEnds_ = 0;
    if (onReply) {
        onReply(reply);
    }
    Dispatch();
}

void ThumbnailWorkers::Ended(Worker& worker, bool failedToStart, bool crashed) {
    QProcess* process = worker.process;
    if (process == nullptr) {
        return;
    }
    // Nothing is sent until this worker's end is settled.
    holding_ = true;
    // What it wrote last may answer the request it was on.
    Read(worker);
    process->disconnect(this);
    process->deleteLater();
    worker.process = nullptr;
    worker.timer.stop();
    if (failedToStart) {
        broken_ = QStringLiteral("the thumbnail worker could not be started (%1)").arg(program_);
    } else if (!worker.answered && !crashed && !worker.overTime && ++silentEnds_ >= kSilentEndsAllowed) {
        broken_ = QStringLiteral("the thumbnail worker ends without answering (%1)").arg(program_);
    }
    if (worker.current) {
        const quint64 tag = worker.current->tag;
        worker.current.reset();
        Fail(tag, failedToStart     ? broken_
                  : worker.overTime ? QStringLiteral("drawing it took longer than %1 seconds").arg(timeLimitMs_ / 1000.0)
                                    : StoppedReason());
    }
    holding_ = false;
    Dispatch();
}

void ThumbnailWorkers::StopAll(bool requeue) {
    std::vector<ThumbnailJob> interrupted;
    for (const auto& worker : workers_) {
        worker->timer.stop();
        const bool busy = worker->current.has_value();
        if (worker->current) {
            interrupted.push_back(std::move(*worker->current));
            worker->current.reset();
        }
        QProcess* process = worker->process;
        if (process == nullptr) {
            continue;
        }
        worker->process = nullptr;
        Retire(process, busy);
    }
    if (requeue) {
        for (auto it = interrupted.rbegin(); it != interrupted.rend(); ++it) {
            waiting_.push_front(std::move(*it));
        }
    }
}

void ThumbnailWorkers::Retire(QProcess* process, bool busy) {
    process->disconnect(this);
    // End of input: an idle worker ends on its own. One drawing something nobody
    // waits for now is stopped. Neither is waited for: each goes when it has ended.
    process->closeWriteChannel();
    if (busy) {
        process->kill();
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QTimer::singleShot(kEndWaitMs, process, [process] {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
        }
    });
}

void ThumbnailWorkers::Fail(quint64 tag, const QString& reason) {
    if (onReply) {
        ThumbnailJobResult reply;
        reply.tag = tag;
        reply.reason = reason;
        onReply(reply);
    }
}
