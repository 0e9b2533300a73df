#include "analysis/TrackAnalyzer.h"

#include "analysis/TrackReader.h"

#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QThread>

namespace {
QMutex cacheLock;
QHash<QByteArray, std::shared_ptr<const TrackAnalysis>>& cache()
{
    static QHash<QByteArray, std::shared_ptr<const TrackAnalysis>> analyses;
    return analyses;
}

QByteArray cacheKey(const QByteArray& trackKey, const OnsetSettings& settings)
{
    return trackKey + '/' + settings.method.toUtf8() + '/' + QByteArray::number(settings.threshold) + '/' +
           QByteArray::number(settings.minimumGapMs) + '/' + QByteArray::number(settings.silenceDb);
}
} // namespace

TrackAnalyzer::TrackAnalyzer(QObject* parent) : QObject(parent)
{
}

TrackAnalyzer::~TrackAnalyzer()
{
    stop();
}

void TrackAnalyzer::clearCache()
{
    const QMutexLocker locker(&cacheLock);
    cache().clear();
}

void TrackAnalyzer::start(const QString& imagePath, int track, const OnsetSettings& settings)
{
    stop();
    analysis_.reset();
    // Opening reads only the table of contents: the track's samples are read
    // on the worker.
    TrackReader::Opened opened = TrackReader::open(imagePath, track);
    if (!opened.reader) {
        Q_EMIT failed(opened.error);
        return;
    }
    const QByteArray key = cacheKey(opened.reader->key(), settings);
    {
        const QMutexLocker locker(&cacheLock);
        const auto known = cache().constFind(key);
        if (known != cache().constEnd()) {
            analysis_ = *known;
            Q_EMIT progressed(100);
            Q_EMIT finished();
            return;
        }
    }
    const quint64 run = ++run_;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    cancelled_ = cancelled;
    QPointer<TrackAnalyzer> self(this);
    std::shared_ptr<TrackReader> reader(std::move(opened.reader));
    thread_ = QThread::create([self, reader, settings, cancelled, run, key] {
        const TrackAnalysis::Result result = TrackAnalysis::analyze(*reader, settings, [&](int percent) {
            if (cancelled->load())
                return false;
            QMetaObject::invokeMethod(self, [self, run, percent] {
                if (self && self->run_ == run)
                    Q_EMIT self->progressed(percent);
            });
            return true;
        });
        if (cancelled->load())
            return;
        QMetaObject::invokeMethod(self, [self, run, result, key] {
            if (self)
                self->deliver(run, result.analysis, result.error, key);
        });
    });
    thread_->start(QThread::LowPriority);
}

void TrackAnalyzer::deliver(quint64 run, std::shared_ptr<const TrackAnalysis> analysis, const QString& error,
                            const QByteArray& key)
{
    if (run != run_ || !thread_)
        return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    if (!analysis) {
        Q_EMIT failed(error);
        return;
    }
    {
        const QMutexLocker locker(&cacheLock);
        cache().insert(key, analysis);
    }
    analysis_ = std::move(analysis);
    Q_EMIT finished();
}

void TrackAnalyzer::stop()
{
    if (!thread_)
        return;
    cancelled_->store(true);
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    ++run_; // what the stopped run queued is dropped
}
