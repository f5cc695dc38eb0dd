#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// A picture wanted from a thumbnail worker: the shell's own, in the worker
// protocol's terms (the core's ThumbnailRequest is what a worker draws from).
struct ThumbnailJob {
    quint64 tag = 0;     // the asker's own name for it, given back with the reply
    int size = 96;       // edge of the picture (of each tile of a strip) in pixels, 16..1024
    int frames = 1;      // more than 1: a strip of up to that many frames of the first animation
    QByteArray archive;  // the archive's path as the scene holds it (empty: `name` is a file)
    QByteArray name;     // the entry's name as the archive holds it
};

struct ThumbnailJobResult {
    quint64 tag = 0;
    bool ok = false;
    QString png;       // drawn: the picture's file, for the asker to read
    QByteArray facts;  // drawn: one line of JSON about the entry
    QString reason;    // not drawn: why
};

// The worker processes that draw thumbnails out of the window's process, so a file
// that crashes a reader takes down a worker, never the window, and the window never
// waits on GL. Each worker gets one request at a time (so a crash names its entry);
// the rest wait here, most wanted first, and a new list of wanted requests replaces
// them before they are sent. A worker that ends is started again for the next
// request. A worker that crashes, or takes longer than the time limit on one request
// (and is stopped), fails that request alone and is replaced; only one that cannot
// start, or that exits again and again without answering anything, makes every
// request fail with the reason.
class ThumbnailWorkers : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailWorkers(QObject* parent = nullptr);
    // Ends the workers: they are told there is no more to do, and stopped when they
    // do not end within a moment (all of them together).
    ~ThumbnailWorkers() override;

    // The program and arguments that start a worker. Workers running end; the
    // requests they were drawing wait again, first.
    void SetCommand(const QString& program, const QStringList& arguments);
    // What a worker is started with unless set: $MAROVIN_THUMBNAIL_WORKER (a program
    // and its arguments, split as a shell splits them), else the running program
    // with "--thumbnail-worker". The program comes first.
    static QStringList DefaultCommand();

    // How many workers draw at once: at least one, at most the number of processors.
    void SetWorkerCount(int count);
    int WorkerCount() const { return static_cast<int>(workers_.size()); }
    // How long one request may take before its worker is stopped and the request
    // fails: a reader caught in a loop on a hostile file.
    void SetTimeLimit(int milliseconds);
    static constexpr int kDefaultTimeLimitMs = 30000;

    // The requests wanted now, the most wanted first. Those waiting that are not
    // among them are dropped unsent; those being drawn are not sent again.
    void Want(std::vector<ThumbnailJob> requests);

    // Each reply, on the window's thread, as it comes.
    std::function<void(const ThumbnailJobResult& reply)> onReply;

    // The reason given for the entry a worker was drawing when it ended.
    static QString StoppedReason();

private:
    struct Worker;

    void Dispatch();
    bool Send(Worker& worker, ThumbnailJob request);
    void Start(Worker& worker);
    void Read(Worker& worker);
    void Answer(Worker& worker, const QByteArray& line);
    void Ended(Worker& worker, bool failedToStart, bool crashed);
    void StopAll(bool requeue);
    // Lets a worker's process go without waiting for it.
    void Retire(QProcess* process, bool busy);
    void Fail(quint64 tag, const QString& reason);

    QString program_;
    int timeLimitMs_ = kDefaultTimeLimitMs;
    QStringList arguments_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::deque<ThumbnailJob> waiting_;
    quint64 nextId_ = 1;
    bool holding_ = false;  // while a worker's end is settled, nothing is sent
    int silentEnds_ = 0;  // workers in a row that ended without answering anything
    QString broken_;      // why no worker can draw; empty while they can
};
