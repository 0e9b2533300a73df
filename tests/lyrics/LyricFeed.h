#pragma once

#include "lyrics/ExtendedText.h"
#include "lyrics/LyricState.h"
#include "lyrics/format/DwdCommand.h"

#include <QList>
#include <QStringList>

// Lyrics records written compactly for tables: commands in brackets, then the
// piece text. "[6][2,20]ab" is a "clear", a "fontsize" of 20 and the text "ab";
// "[!1]" is a "backcolor" whose arguments the file cut short.
struct LyricRecord {
    QList<DwdCommand> commands;
    QByteArray text;
};

inline DwdCommand dwdCommand(quint8 code, qint16 a = 0, qint16 b = 0, qint16 c = 0)
{
    DwdCommand command;
    command.code = code;
    command.args = {a, b, c};
    return command;
}

inline LyricRecord parseRecord(const QByteArray& notation)
{
    LyricRecord record;
    qsizetype at = 0;
    while (at < notation.size() && notation[at] == '[') {
        const qsizetype close = notation.indexOf(']', at);
        QByteArray inside = notation.mid(at + 1, close - at - 1);
        DwdCommand command;
        if (inside.startsWith('!')) {
            command.complete = false;
            inside.remove(0, 1);
        }
        const QList<QByteArray> numbers = inside.split(',');
        command.code = quint8(numbers[0].toInt());
        for (int i = 1; i < numbers.size() && i <= 3; ++i)
            command.args[size_t(i - 1)] = qint16(numbers[i].toInt());
        record.commands.append(command);
        at = close + 1;
    }
    record.text = notation.mid(at);
    return record;
}

inline QList<LyricRecord> parseRecords(const QList<QByteArray>& notations)
{
    QList<LyricRecord> records;
    for (const QByteArray& n : notations)
        records.append(parseRecord(n));
    return records;
}

// "'text' @x,y/lineHeight size=n color=hex" per run, runs joined by " | "; CR LF shows as "/".
// Without attributes: only texts and positions.
inline QString describe(const ExtendedText& list, bool attributes = true)
{
    QStringList runs;
    for (qint32 i = 0; i < list.count(); ++i) {
        const ExtendedCharPlusPos& e = *list.getItem(i);
        QString run = QLatin1Char('\'') + QString::fromLatin1(QByteArray(e.text()).replace("\r\n", "/")) +
                      QLatin1Char('\'');
        qint32 x, y, size;
        quint32 color;
        if (e.getPos(x, y))
            run += QStringLiteral(" @%1,%2").arg(x).arg(y);
        if (e.hasPos() && e.lineHeight() != 0)
            run += QStringLiteral("/%1").arg(e.lineHeight());
        if (attributes && e.getSize(size))
            run += QStringLiteral(" size=%1").arg(size);
        if (attributes && e.getColor(color))
            run += QStringLiteral(" color=%1").arg(color, 8, 16, QLatin1Char('0'));
        runs.append(run);
    }
    return runs.join(QStringLiteral(" | "));
}

inline QStringList describePages(const LyricState& state)
{
    QStringList pages;
    for (const ExtendedText& page : state.pages)
        pages.append(describe(page));
    return pages;
}

// Plays records against a lyric state the way the loader and the lyrics step
// do: scan them all, go back to the first, apply its commands, draw the first
// page, then per due record draw its text and apply the next record's commands.
class LyricFeed {
public:
    LyricFeed(LyricState& state, QList<LyricRecord> records) : state_(state), records_(std::move(records)) {}

    bool ended() const { return ended_; }

    void start(const TextRect& client)
    {
        for (const LyricRecord& record : records_) {
            for (const DwdCommand& command : record.commands)
                ended_ = state_.scanCommand(command) || ended_;
            state_.scanText(record.text);
        }
        ended_ = false;
        state_.startPlayback();
        readNext();
        state_.drawInitialPicture(client);
    }

    // Draws the pending piece and reads the next record; false when none was pending.
    bool reachNext()
    {
        if (!pending_)
            return false;
        state_.reach(pendingText_);
        pending_ = false;
        readNext();
        return true;
    }

    void reachAll()
    {
        while (reachNext()) {
        }
    }

private:
    void readNext()
    {
        if (ended_ || next_ >= records_.size())
            return;
        const LyricRecord& record = records_[next_++];
        for (const DwdCommand& command : record.commands) {
            if (state_.applyCommand(command))
                ended_ = true;
        }
        if (!ended_) {
            pendingText_ = record.text;
            pending_ = true;
        }
    }

    LyricState& state_;
    QList<LyricRecord> records_;
    qsizetype next_ = 0;
    bool ended_ = false;
    bool pending_ = false;
    QByteArray pendingText_;
};
