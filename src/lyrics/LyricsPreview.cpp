#include "lyrics/LyricsPreview.h"

#include "core/UserFile.h"
#include "lyrics/LyricPicture.h"
#include "lyrics/format/DwdReader.h"

#include <algorithm>

namespace {
qint64 framesOf(const TrackPosition& p)
{
    return (qint64(p.minutes) * 60 + p.seconds) * 75 + p.frames;
}
} // namespace

LyricsPreview::LyricsPreview(QSize clientSize) : canvas_(clientSize)
{
    cursor_.bindCanvas(&canvas_);
}

LyricsPreview::~LyricsPreview()
{
    lyrics_.detachDisplay();
}

TrackPosition LyricsPreview::positionAt(qint64 ms)
{
    return LyricsStepper::positionAt(ms);
}

qint64 LyricsPreview::lastMsOf(const TrackPosition& at)
{
    return LyricsStepper::dueMs(TrackPosition::fromFrames(at.totalFrames() + 1)) - 1;
}

bool LyricsPreview::open(const QString& fileName, QString& error)
{
    // A pipe or a device would block or never end: only a regular file is read.
    auto file = std::make_unique<QFile>();
    if (const std::optional<UserFile::Failure> failed = UserFile::openForReading(*file, fileName)) {
        error = failed->kind == UserFile::Failure::Kind::NotRead ? failed->reason : failed->message();
        return false;
    }
    const DwdReader::FileCheck check = DwdReader::checkFile(*file);
    if (check != DwdReader::FileCheck::Valid) {
        error = DwdReader::checkMessage(check);
        return false;
    }
    reading_ = {};
    reading_.WordsFile = std::move(file);
    reading_.wordsActive = true;
    return true;
}

void LyricsPreview::runTo(const TrackPosition& at, QList<TrackPosition> redraws)
{
    runToMs(lastMsOf(at), std::move(redraws));
}

void LyricsPreview::runToMs(qint64 atMs, QList<TrackPosition> redraws)
{
    if (!started_) {
        // As a play does: a new lyric state on the window's canvas, the scan,
        // the first record, the first picture.
        started_ = true;
        lastTickMs_ = 0;
        lyrics_.begin(&canvas_, this);
        stepper_.start();
        lyrics_.drawInitialPicture(TextRect{0, 0, canvas_.size().width(), canvas_.size().height()});
    }

    std::sort(redraws.begin(), redraws.end(),
              [](const TrackPosition& a, const TrackPosition& b) { return framesOf(a) < framesOf(b); });
    qsizetype nextRedraw = 0;
    const qint64 lastFrames = framesOf(positionAt(lastTickMs_));
    while (nextRedraw < redraws.size() && framesOf(redraws[nextRedraw]) < lastFrames)
        ++nextRedraw;
    for (;;) {
        const qint64 tickMs = lastTickMs_ + TickMs;
        wakeForPieces(std::min(tickMs - 1, atMs));
        if (tickMs > atMs)
            break;
        const TrackPosition position = positionAt(tickMs);
        while (nextRedraw < redraws.size() && framesOf(redraws[nextRedraw]) < framesOf(position)) {
            clientResized();
            ++nextRedraw;
        }
        lastTickMs_ = tickMs;
        tick(position);
    }
    for (; nextRedraw < redraws.size() && LyricsStepper::isDue(redraws[nextRedraw], positionAt(atMs));
         ++nextRedraw)
        clientResized();
    lyrics_.drawWipe(atMs);
}

// The player's wakes between ticks, each at the moment a piece is due, up to untilMs.
void LyricsPreview::wakeForPieces(qint64 untilMs)
{
    while (reading_.wordsActive && !reading_.wordsEnded && reading_.recordPending) {
        const qint64 due = LyricsStepper::dueMs(reading_.nextRecordTime);
        if (due > untilMs)
            return;
        stepper_.stepBetweenTicks(positionAt(std::max(due, lastTickMs_)));
        // A time the disc never reports as such (a damaged file) waits for the tick.
        if (reading_.recordPending && LyricsStepper::dueMs(reading_.nextRecordTime) == due)
            return;
    }
}

// The lyrics step of a monitor tick.
void LyricsPreview::tick(const TrackPosition& position)
{
    if (reading_.wordsEnded)
        reading_.wordsActive = false;
    if (reading_.wordsActive)
        stepper_.step(position);
}

void LyricsPreview::setClientSize(int width, int height)
{
    canvas_.resize(QSize(qBound(1, width, MaxClientSide), qBound(1, height, MaxClientSide)));
    clientResized();
}

// The window's own full redraw: the client rectangle goes to the lyric state
// and everything is drawn again.
void LyricsPreview::clientResized()
{
    const TextRect rect{0, 0, canvas_.size().width(), canvas_.size().height()};
    lyrics_.setDisplayRect(rect);
    LyricPicture::drawWhole(cursor_, lyrics_, rect);
}
