// Times the lyrics file paths that run while a track plays or a script is
// timed: reading a 10,000-record DWD file from start to end the way the player
// does (small reads straight from the file), and taking every piece of a
// 100 KB script. Prints the median of several runs.
#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/DwdCapture.h"
#include "lyrics/format/DwdReader.h"
#include "lyrics/format/ScriptReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int Runs = 21;

double medianMicroseconds(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A script line of Japanese text with a command in front and a group in it.
QByteArray sampleScript(qsizetype bytes)
{
    const QByteArray line = "[/fontcolor(0,0,255)][/setcursor(10,20)]"
                            "\x82\xa0\x82\xa2\x82\xa4 [\x89\xcc\x8e\x8c]\x82\xa6\x82\xa8 abc\r\n";
    QByteArray script;
    for (int n = 0; script.size() < bytes; ++n) {
        script += (n % 8 == 7) ? QByteArray("[/clear]\r\n") + line : line;
    }
    return script.left(bytes);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.dwd");

    // 10,000 records: the script's pieces over and over, one press a frame.
    {
        CaptureFile file;
        DwdCapture capture(file);
        capture.setScript(sampleScript(1 << 20));
        if (capture.begin(path) != DwdCapture::Start::Started) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        qint32 lineBreaks = 0;
        for (int i = 0; i < 10000; ++i) {
            const int frame = i + 1;
            capture.press({qint16(frame / 4500), qint16(frame / 75 % 60), qint16(frame % 75)}, lineBreaks);
        }
        capture.finish();
    }

    qint64 fileSize = 0;
    int records = 0;
    auto readFile = [&](QIODevice::OpenMode mode) {
        QFile file(path);
        file.open(QIODevice::ReadOnly | mode);
        fileSize = file.size();
        if (DwdReader::checkFile(file) != DwdReader::FileCheck::Valid) {
            std::abort();
        }
        TrackPosition time;
        records = 0;
        for (;;) {
            const DwdReader::Record record = DwdReader::readRecord(file);
            if (!record.complete()) {
                break;
            }
            TrackPosition::addDelta(time, record.delta);
            ++records;
        }
    };
    const double buffered = medianMicroseconds([&] { readFile({}); });
    const double unbuffered = medianMicroseconds([&] { readFile(QIODevice::Unbuffered); });
    std::printf("read DWD, %d records, %lld bytes: median %.0f us buffered, %.0f us unbuffered (%.2f us a "
                "record)\n",
                records, static_cast<long long>(fileSize), buffered, unbuffered, unbuffered / records);

    const QByteArray script = sampleScript(100 * 1024);
    int pieces = 0;
    const double tokenize = medianMicroseconds([&] {
        qsizetype position = 0;
        qint32 lineBreaks = 0;
        pieces = 0;
        for (;;) {
            const ScriptReader::Piece piece = ScriptReader::takePiece(script, position, lineBreaks);
            ++pieces;
            if (!piece.ok() || piece.endOfScript) {
                break;
            }
            position = piece.position;
        }
    });
    const double preview = medianMicroseconds([&] { (void)ScriptReader::buildPreviewText(script); });
    std::printf(
        "script, %lld bytes, %d pieces: median %.0f us to take every piece, %.0f us for the preview\n",
        static_cast<long long>(script.size()), pieces, tokenize, preview);
    return 0;
}
