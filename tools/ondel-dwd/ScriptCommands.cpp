// pieces and preview: how the script reader takes a script apart.

#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "lyrics/format/ScriptReader.h"

using namespace ToolOutput;

namespace {

QString escapeLineBreaks(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

} // namespace

int ToolCommands::pieces(const QStringList& args)
{
    if (args.size() != 1) {
        return usage(QStringLiteral("pieces takes one SCRIPT"));
    }
    const std::optional<QByteArray> script = ToolFiles::readWholeFile(args[0]);
    if (!script) {
        return 1;
    }
    qsizetype position = 0;
    qint32 lineBreaks = 0;
    for (;;) {
        const ScriptReader::Piece piece = ScriptReader::takePiece(*script, position, lineBreaks);
        if (!piece.ok()) {
            writeOut(QStringLiteral("error\t%1\n").arg(escapeLineBreaks(piece.error)));
            return 1;
        }
        writeBytes(QByteArray("piece\t") + piece.commands.view().toByteArray().toHex() + '\t' +
                   piece.text.toHex() + '\t' + (piece.endOfScript ? "end" : "more") + '\n');
        if (piece.endOfScript) {
            return 0;
        }
        position = piece.position;
    }
}

int ToolCommands::preview(const QStringList& args)
{
    if (args.size() != 1) {
        return usage(QStringLiteral("preview takes one SCRIPT"));
    }
    const std::optional<QByteArray> script = ToolFiles::readWholeFile(args[0]);
    if (!script) {
        return 1;
    }
    const ScriptReader::Preview preview = ScriptReader::buildPreviewText(*script);
    writeBytes(preview.text);
    if (!preview.error.isEmpty()) {
        writeErr(preview.error + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}
