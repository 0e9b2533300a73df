// The least a program of the player's shape spends playing a file: a Qt window
// with a 50 ms timer on the GUI thread, and a thread decoding the file with
// libsndfile into a PulseAudio stream. With --lyrics it also opens a lyrics
// window and turns a piece of Japanese text in it every 0.6 s, about as often
// as the demo's song does. It asks no device and reads no lyrics file;
// compare-players.sh runs it as a peer to show what the player's own work adds.
//
//   ondel-floor-player [--lyrics] FILE
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <memory>
#include <pulse/error.h>
#include <pulse/sample.h>
#include <pulse/simple.h>
#include <sndfile.h>
#include <thread>
#include <vector>

namespace {

void playFile(const char* path, const std::atomic<bool>& stop)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path, sf_strerror(nullptr));
        return;
    }
    const pa_sample_spec format{PA_SAMPLE_S16LE, static_cast<uint32_t>(info.samplerate),
                                static_cast<uint8_t>(info.channels)};
    // Two seconds queued, refilled a quarter second at a time: few wakes.
    const uint32_t second = static_cast<uint32_t>(pa_bytes_per_second(&format));
    const pa_buffer_attr queue{static_cast<uint32_t>(-1), 2 * second, static_cast<uint32_t>(-1), second / 4,
                               static_cast<uint32_t>(-1)};
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "ondel-floor-player", PA_STREAM_PLAYBACK, nullptr, "floor",
                                      &format, nullptr, &queue, &error);
    if (!stream) {
        std::fprintf(stderr, "pulse: %s\n", pa_strerror(error));
        sf_close(file);
        return;
    }
    const sf_count_t chunk = info.samplerate / 4;
    std::vector<short> buffer(static_cast<size_t>(chunk) * static_cast<size_t>(info.channels));
    while (!stop) {
        const sf_count_t frames = sf_readf_short(file, buffer.data(), chunk);
        if (frames <= 0)
            break;
        const size_t bytes = static_cast<size_t>(frames) * static_cast<size_t>(info.channels) * sizeof(short);
        if (pa_simple_write(stream, buffer.data(), bytes, &error) < 0)
            break;
    }
    pa_simple_free(stream);
    sf_close(file);
}

// Three lines of text drawn once in the coming colour; each turn draws the next
// piece in the sung colour into the picture and repaints just that piece.
class LyricsWindow : public QWidget {
public:
    LyricsWindow() : picture_(520, 170, QImage::Format_RGB32)
    {
        setWindowTitle(QStringLiteral("Floor lyrics"));
        setFixedSize(picture_.size());
        font_.setFamily(QStringLiteral("IPAPGothic"));
        font_.setPixelSize(32);
        picture_.fill(QColor(255, 250, 240));
        for (int line = 0; line < lines_.size(); ++line)
            drawLine(line, QColor(128, 128, 128));
    }

    void turnNextPiece()
    {
        const int line = turned_ % int(lines_.size());
        const QRect piece = drawLine(line, QColor(0, 0, 255));
        ++turned_;
        update(piece);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect(), picture_, event->rect());
    }

private:
    QRect drawLine(int line, const QColor& colour)
    {
        QPainter painter(&picture_);
        painter.setFont(font_);
        painter.setPen(colour);
        const QPoint at(20, 16 + 44 * line);
        const QRect bounds = painter.fontMetrics().boundingRect(lines_[line]).translated(at);
        painter.drawText(at + QPoint(0, painter.fontMetrics().ascent()), lines_[line]);
        return bounds;
    }

    QImage picture_;
    QFont font_;
    const QStringList lines_{QStringLiteral("さくら"), QStringLiteral("やよいの"),
                             QStringLiteral("みわたす")};
    int turned_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool lyrics = argc == 3 && qstrcmp(argv[1], "--lyrics") == 0;
    if (argc != 2 && !lyrics) {
        std::fprintf(stderr, "usage: ondel-floor-player [--lyrics] FILE\n");
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.resize(300, 130);
    window.show();

    // The tick reads a clock, as the player's tick reads the stream's.
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.setInterval(50);
    qint64 lastTick = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] { lastTick = clock.elapsed(); });
    tick.start();

    std::unique_ptr<LyricsWindow> lyricsWindow;
    QTimer turns;
    if (lyrics) {
        lyricsWindow = std::make_unique<LyricsWindow>();
        lyricsWindow->show();
        turns.setInterval(600);
        QObject::connect(&turns, &QTimer::timeout, [&] { lyricsWindow->turnNextPiece(); });
        turns.start();
    }

    std::atomic<bool> stop{false};
    std::thread player(playFile, argv[argc - 1], std::cref(stop));
    const int result = app.exec();
    stop = true;
    player.join();
    return result;
}
