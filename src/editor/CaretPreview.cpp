#include "CaretPreview.h"

#include "lyrics/format/ScriptReader.h"

#include <vector>

namespace {
struct Piece {
    std::vector<DwdCommand> commands;
    QByteArray text;
    qsizetype end = 0; // where the next piece starts
};

// The commands of a piece's block: a count byte, then each code byte and its
// arguments as 16-bit little-endian integers.
std::vector<DwdCommand> commandsOf(QByteArrayView block)
{
    std::vector<DwdCommand> commands;
    if (block.isEmpty())
        return commands;
    qsizetype at = 1;
    const int count = static_cast<unsigned char>(block[0]);
    for (int i = 0; i < count && at < block.size(); ++i) {
        DwdCommand command;
        command.code = static_cast<quint8>(block[at++]);
        for (int a = 0; a < DwdCode::argumentCount(command.code) && at + 1 < block.size(); ++a, at += 2)
            command.args[a] = static_cast<qint16>(static_cast<unsigned char>(block[at]) |
                                                  static_cast<unsigned char>(block[at + 1]) << 8);
        commands.push_back(command);
    }
    return commands;
}
} // namespace

CaretPreview::CaretPreview(const WindowFactory& makeWindow) : host_(makeWindow(lyrics_))
{
}

CaretPreview::~CaretPreview()
{
    host_->destroyDisplay(false);
}

QString CaretPreview::show(QByteArrayView script, qsizetype upTo)
{
    std::vector<Piece> pieces;
    QString error;
    qsizetype position = 0;
    qint32 lineBreaks = 0;
    while (position < script.size()) {
        const ScriptReader::Piece piece = ScriptReader::takePiece(script, position, lineBreaks);
        if (!piece.ok()) {
            error = piece.error;
            break;
        }
        pieces.push_back({commandsOf(piece.commands.view()), piece.text,
                          piece.endOfScript ? script.size() : piece.position});
        if (piece.endOfScript || piece.position <= position)
            break;
        position = piece.position;
    }

    // The same steps as a play: one scan for the pages of pre text, then the
    // first piece's commands, the first picture, and each reached piece in turn.
    host_->showDisplay();
    lyrics_.begin(host_->displayCanvas(), host_->display());
    for (const Piece& piece : pieces) {
        for (const DwdCommand& command : piece.commands)
            (void)lyrics_.scanCommand(command);
        lyrics_.scanText(piece.text);
    }
    lyrics_.startPlayback();
    if (!pieces.empty()) {
        for (const DwdCommand& command : pieces.front().commands)
            (void)lyrics_.applyCommand(command);
    }
    lyrics_.drawInitialPicture(host_->displayClientRect());
    reached_ = 0;
    for (std::size_t i = 0; i < pieces.size() && pieces[i].end <= upTo; ++i) {
        lyrics_.reach(pieces[i].text);
        ++reached_;
        if (i + 1 < pieces.size()) {
            for (const DwdCommand& command : pieces[i + 1].commands)
                (void)lyrics_.applyCommand(command);
        }
    }
    return error;
}
