#include "platform/cdaudio/SimulatedDisc.h"

#include "platform/Clock.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <optional>

namespace {
// "M:SS" or "M:SS:FF" to frames; -1 when malformed or zero.
int parseLength(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3}):(\\d{1,2})(?::(\\d{1,2}))?$"));
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch())
        return -1;
    const int minutes = m.captured(1).toInt();
    const int seconds = m.captured(2).toInt();
    const int frames = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (seconds > 59 || frames > 74)
        return -1;
    const int total = minutes * CdFrames::PerMinute + seconds * CdFrames::PerSecond + frames;
    return total > 0 ? total : -1;
}
} // namespace

std::optional<SimulatedDisc::Options> SimulatedDisc::parse(const QString& text, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<Options> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    Options o;
    o.text = text;
    int tracks = 8;
    bool tracksGiven = false;
    int length = 3 * CdFrames::PerMinute;
    std::vector<int> lengths;
    const QStringList items = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return fail(QStringLiteral("sim option \"%1\" is not key=value").arg(item));
        const QString key = item.left(eq).trimmed();
        const QString value = item.mid(eq + 1).trimmed();
        bool ok = false;
        if (key == QLatin1String("tracks")) {
            tracks = value.toInt(&ok);
            if (!ok || tracks < 1 || tracks > 99)
                return fail(QStringLiteral("tracks must be 1 to 99"));
            tracksGiven = true;
        }
        else if (key == QLatin1String("length")) {
            length = parseLength(value);
            if (length < 0)
                return fail(QStringLiteral("length must be M:SS"));
        }
        else if (key == QLatin1String("lengths")) {
            for (const QString& part : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                const int l = parseLength(part);
                if (l < 0)
                    return fail(QStringLiteral("lengths must be M:SS;M:SS;..."));
                lengths.push_back(l);
            }
            if (lengths.empty() || lengths.size() > 99)
                return fail(QStringLiteral("lengths must name 1 to 99 tracks"));
        }
        else if (key == QLatin1String("id")) {
            if (value.isEmpty() || value.size() > 200)
                return fail(QStringLiteral("id must be 1 to 200 characters"));
            o.identity = value.toUtf8();
        }
        else if (key == QLatin1String("track")) {
            o.startTrack = value.toInt(&ok);
            if (!ok || o.startTrack < 1)
                return fail(QStringLiteral("track must be a track number"));
        }
        else if (key == QLatin1String("state")) {
            static const QStringList states{QStringLiteral("ready"), QStringLiteral("empty"),
                                            QStringLiteral("open"), QStringLiteral("busy")};
            if (!states.contains(value))
                return fail(QStringLiteral("state must be ready, empty, open or busy"));
            o.state = value;
        }
        else if (key == QLatin1String("speed")) {
            o.speed = value.toDouble(&ok);
            if (!ok || !(o.speed > 0) || o.speed > 1000)
                return fail(QStringLiteral("speed must be a positive number"));
        }
        else {
            return fail(QStringLiteral("unknown sim option \"%1\"").arg(key));
        }
    }
    // The lengths make the track count; a count that says otherwise is a mistake, not a wish.
    if (tracksGiven && !lengths.empty() && int(lengths.size()) != tracks)
        return fail(
            QStringLiteral("tracks=%1 does not match the %2 lengths given").arg(tracks).arg(lengths.size()));
    o.trackLengths = lengths.empty() ? std::vector<int>(size_t(tracks), length) : lengths;
    if (o.startTrack > int(o.trackLengths.size()))
        return fail(QStringLiteral("track %1 is not on the disc").arg(o.startTrack));
    return o;
}

std::unique_ptr<SimulatedDisc> SimulatedDisc::create(const QString& text, const Clock& clock, QString* error)
{
    auto options = parse(text, error);
    if (!options)
        return nullptr;
    return std::make_unique<SimulatedDisc>(std::move(*options), clock);
}

SimulatedDisc::SimulatedDisc(Options options, const Clock& clock)
    : options_(std::move(options)), clock_(clock)
{
    int frame = CdFrames::LeadIn;
    for (int length : options_.trackLengths) {
        toc_.trackStarts.push_back(frame);
        frame += length;
    }
    toc_.leadOut = frame;
    hasDisc_ = options_.state != QLatin1String("empty");
    heldFrame_ = toc_.trackStart(options_.startTrack);
}

QString SimulatedDisc::lockKey() const
{
    return QStringLiteral("sim:") + options_.text;
}

DiscPresence SimulatedDisc::presence() const
{
    return hasDisc_ ? DiscPresence::Ready : DiscPresence::NoDisc;
}

int SimulatedDisc::heardNow() const
{
    const double elapsed = double(clock_.nowMs() - startMs_) * options_.speed * tempo_ / 100.0;
    const qint64 frames = qint64(std::floor(elapsed * CdFrames::PerSecond / 1000.0));
    return int(std::min<qint64>(startFrame_ + frames, endFrame_));
}

bool SimulatedDisc::start(int fromFrame, int endFrame)
{
    if (!hasDisc_ || fromFrame >= endFrame)
        return false;
    startFrame_ = fromFrame;
    endFrame_ = endFrame;
    startMs_ = clock_.nowMs();
    playing_ = true;
    return true;
}

void SimulatedDisc::halt()
{
    if (playing_)
        heldFrame_ = heardNow();
    playing_ = false;
}

bool SimulatedDisc::isPlaying()
{
    if (playing_ && heardNow() >= endFrame_) {
        heldFrame_ = endFrame_;
        playing_ = false;
    }
    return playing_;
}

int SimulatedDisc::position()
{
    return isPlaying() ? heardNow() : heldFrame_;
}

void SimulatedDisc::setTempo(int percent)
{
    if (percent == tempo_)
        return;
    // The time played so far counts at the old tempo.
    if (isPlaying()) {
        startFrame_ = heardNow();
        startMs_ = clock_.nowMs();
    }
    tempo_ = percent;
}

void SimulatedDisc::doorMoved(bool open)
{
    halt();
    // A closed tray holds the simulated disc again (an empty drive stays empty).
    if (!open && options_.state == QLatin1String("open"))
        hasDisc_ = true;
    heldFrame_ = toc_.trackStart(1);
}
