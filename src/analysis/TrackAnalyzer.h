#pragma once

#include "analysis/OnsetSettings.h"
#include "analysis/TrackAnalysis.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QThread;

// Analyses a track on a worker thread and tells the GUI thread how far it
// got. Analyses are remembered for the program's life under the disc's
// identity, the track and the settings, so a second take of a track has its
// waveform at once. Destroying the analyzer stops the work and waits for it.
class TrackAnalyzer : public QObject {
    Q_OBJECT
public:
    explicit TrackAnalyzer(QObject* parent = nullptr);
    ~TrackAnalyzer() override;

    // Starts on imagePath's track; one running before is stopped. A track
    // analysed before is delivered at once (finished is emitted before
    // this returns).
    void start(const QString& imagePath, int track, const OnsetSettings& settings = {});
    void stop();
    bool running() const { return thread_ != nullptr; }
    std::shared_ptr<const TrackAnalysis> analysis() const { return analysis_; }

    // Forgets every remembered analysis (tests).
    static void clearCache();

Q_SIGNALS:
    void progressed(int percent);
    void finished();
    void failed(const QString& reason);

private:
    void deliver(quint64 run, std::shared_ptr<const TrackAnalysis> analysis, const QString& error,
                 const QByteArray& key);

    QThread* thread_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::shared_ptr<const TrackAnalysis> analysis_;
    quint64 run_ = 0;
};
