#include "compile/TimingEdit.h"

#include "lyrics/format/DwdReader.h"
#include "lyrics/format/DwdRecordSpans.h"
#include "lyrics/format/DwdRetime.h"
#include "lyrics/format/DwdTimeShift.h"

#include <QBuffer>
#include <algorithm>

void TimingEdit::setPieces(const QList<Piece>& pieces)
{
    pieces_ = pieces;
    undo_.clear();
    selected_ = -1;
}

std::optional<QList<TimingEdit::Piece>> TimingEdit::fromDwd(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly) || DwdReader::checkFile(buffer) != DwdReader::FileCheck::Valid)
        return std::nullopt;
    const QList<int> frames = DwdRetime::pieceFrames(bytes);
    const QList<DwdRecordSpan> records = DwdRecordSpans::wholeRecords(bytes);
    QList<Piece> pieces;
    for (qsizetype i = 0; i < records.size(); ++i)
        pieces.append({frames[i], frames[i], records[i].record.text});
    return pieces;
}

QList<int> TimingEdit::placedFrames() const
{
    QList<int> frames;
    for (const Piece& piece : pieces_)
        frames.append(piece.placed);
    return frames;
}

void TimingEdit::select(int index)
{
    selected_ = index >= 0 && index < pieces_.size() ? index : -1;
}

void TimingEdit::selectNext(bool backwards)
{
    const int count = int(pieces_.size());
    for (int step = 1; step <= count; ++step) {
        const int start = selected_ < 0 ? (backwards ? count : -1) : selected_;
        const int index = ((backwards ? start - step : start + step) % count + count) % count;
        if (DwdTimeShift::showsText(pieces_[index].text)) {
            selected_ = index;
            return;
        }
    }
}

bool TimingEdit::moveSelected(int frames)
{
    if (selected_ < 0)
        return false;
    return moveSelectedTo(pieces_[selected_].placed + frames);
}

bool TimingEdit::moveSelectedTo(int frame)
{
    if (selected_ < 0)
        return false;
    const int earliest = selected_ > 0 ? pieces_[selected_ - 1].placed : 0;
    const int latest = selected_ + 1 < pieces_.size() ? pieces_[selected_ + 1].placed : std::max(frame, 0);
    frame = std::clamp(frame, earliest, std::max(earliest, latest));
    Piece& piece = pieces_[selected_];
    if (frame == piece.placed)
        return false;
    // A drag is many moves: one undo takes back the whole of it.
    if (!dragging_ || !dragRecorded_)
        undo_.append({selected_, piece.placed});
    dragRecorded_ = dragging_;
    piece.placed = frame;
    return true;
}

void TimingEdit::beginDrag()
{
    dragging_ = true;
    dragRecorded_ = false;
}

void TimingEdit::endDrag()
{
    dragging_ = false;
}

bool TimingEdit::undo()
{
    if (undo_.isEmpty())
        return false;
    const Move move = undo_.takeLast();
    pieces_[move.index].placed = move.from;
    selected_ = move.index;
    return true;
}

std::optional<std::pair<int, int>> TimingEdit::selectedLine() const
{
    if (selected_ < 0)
        return std::nullopt;
    // Line breaks come at the front of the piece that starts a line.
    auto startsLine = [this](int index) { return pieces_[index].text.contains('\n'); };
    int first = selected_;
    while (first > 0 && !startsLine(first))
        --first;
    int last = selected_;
    while (last + 1 < pieces_.size() && !startsLine(last + 1))
        ++last;
    return std::pair{first, last};
}
