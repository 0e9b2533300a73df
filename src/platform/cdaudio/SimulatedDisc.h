#pragma once

#include "platform/cdaudio/DiscSource.h"

#include <memory>
#include <optional>

class Clock;

// A drive with no audio: positions come from a clock. Built from the text
// after "sim:" — comma-separated key=value options, all optional:
//   tracks=N  length=M:SS  lengths=M:SS;M:SS;...  id=TEXT  track=N
//   state=ready|empty|open|busy  speed=X
class SimulatedDisc final : public DiscSource {
public:
    struct Options {
        std::vector<int> trackLengths; // frames
        QByteArray identity;
        int startTrack = 1;
        QString state = QStringLiteral("ready");
        double speed = 1.0;
        QString text; // the options as given, for the lock key
    };

    // Parses the options; on a mistake returns nullopt and says why.
    static std::optional<Options> parse(const QString& text, QString* error);
    static std::unique_ptr<SimulatedDisc> create(const QString& text, const Clock& clock, QString* error);

    SimulatedDisc(Options options, const Clock& clock);

    QString lockKey() const override;
    bool heldElsewhere() const override { return options_.state == QLatin1String("busy"); }
    bool doorOpenAtStart() const override { return options_.state == QLatin1String("open"); }
    DiscPresence presence() const override;
    const DiscToc& toc() const override { return toc_; }
    QByteArray fixedIdentity() const override { return options_.identity; }
    bool start(int fromFrame, int endFrame) override;
    void halt() override;
    bool isPlaying() override;
    int position() override;
    void setTempo(int percent) override;
    void doorMoved(bool open) override;

private:
    int heardNow() const;

    Options options_;
    const Clock& clock_;
    DiscToc toc_;
    bool hasDisc_ = true;
    bool playing_ = false;
    int startFrame_ = 0;
    int endFrame_ = 0;
    qint64 startMs_ = 0;
    int heldFrame_ = 0;
    int tempo_ = 100;
};
