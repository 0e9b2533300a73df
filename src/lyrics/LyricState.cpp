#include "lyrics/LyricState.h"

#include "lyrics/LyricDisplay.h"
#include "lyrics/LyricPicture.h"
#include "lyrics/TextCanvas.h"

namespace {
quint32 colorOf(const DwdCommand& command)
{
    return ColorValue::fromArguments(command.args[0], command.args[1], command.args[2]);
}

// The palette-relative kind of colour that commands carry.
constexpr quint8 PaletteRgb = 2;
} // namespace

void LyricState::reset()
{
    WordsPages.clear();
    PageIndex = 0;
    ShownPreText = {};
    WrittenText = {};
    WordsBackColor = InitialBackColor;
    WordsFontColor = InitialFontColor;
    WordsPreColor = InitialPreColor;
}

void LyricState::begin(TextCanvas* canvas, LyricDisplay* display)
{
    reset();
    WordsCursor.bindCanvas(canvas);
    display_ = display;
    WritePos = QPoint(0, 0);
    WriteLineHeight = 0;
    // The first page is drawn in the font the canvas starts with, whatever a
    // later "fontsize" leaves on the canvas by the time the page is redrawn.
    ExtendedCharPlusPos first;
    if (canvas) {
        canvas->resetFont();
        first.setSize(canvas->fontSize());
        first.setFontName(canvas->fontName());
        first.setPitch(canvas->fontPitch());
    }
    WordsPages.assign(1, ExtendedText{});
    WordsPages.front().append(first);
}

ExtendedCharPlusPos& LyricState::nextPreRun()
{
    if (WordsPages.empty())
        WordsPages.emplace_back();
    ExtendedText& last = WordsPages.back();
    const ExtendedCharPlusPos* run = last.getItem(last.count() - 1);
    if (!run || !run->text().isEmpty())
        last.append(last.derivedElement());
    return last.lastItem();
}

bool LyricState::scanCommand(const DwdCommand& command)
{
    if (!command.complete)
        return true;
    switch (command.code) {
    case DwdCode::FontSize:
        nextPreRun().setSize(command.args[0]);
        break;
    case DwdCode::FontPreColor:
        nextPreRun().setColor(quint8(command.args[0]), quint8(command.args[1]), quint8(command.args[2]),
                              PaletteRgb);
        break;
    case DwdCode::SetCursor:
        nextPreRun().setPos(command.args[0], command.args[1]);
        break;
    case DwdCode::Clear:
    case DwdCode::PausePre:
        startNextPage();
        break;
    default:
        break;
    }
    return false;
}

// A page begins with the font in force where the previous one ended; where
// it is drawn is known only at play time (the write position).
void LyricState::startNextPage()
{
    const ExtendedCharPlusPos element =
        WordsPages.empty() ? ExtendedCharPlusPos() : WordsPages.back().derivedElement();
    WordsPages.emplace_back();
    WordsPages.back().append(element);
}

// Each piece is a run of its own, drawn from where the previous piece ended,
// exactly as it is drawn when it is reached.
void LyricState::scanText(QByteArrayView pieceText)
{
    if (pieceText.isEmpty())
        return;
    nextPreRun().setText(pieceText);
}

void LyricState::startPlayback()
{
    PageIndex = 0;
}

bool LyricState::applyCommand(const DwdCommand& command)
{
    if (!command.complete) {
        // The background is repainted even so, in the colour it already has.
        if (command.code == DwdCode::BackColor && display_)
            display_->FormResize();
        return true;
    }
    switch (command.code) {
    case DwdCode::FormSize:
        if (display_)
            display_->setClientSize(command.args[0], command.args[1]);
        break;
    case DwdCode::BackColor:
        WordsBackColor = colorOf(command);
        if (display_)
            display_->FormResize();
        break;
    case DwdCode::FontSize:
        WordsCursor.setFontSize(command.args[0]);
        break;
    case DwdCode::FontColor:
        WordsFontColor = colorOf(command);
        break;
    case DwdCode::SetCursor:
        WritePos = QPoint(command.args[0], command.args[1]);
        WriteLineHeight = 0;
        break;
    case DwdCode::Clear: {
        // The line the write position stands on is wiped with the rest.
        WrittenText = {};
        WriteLineHeight = 0;
        const ExtendedText* page = bringNextPage();
        ShownPreText = page ? *page : ExtendedText();
        redrawWithWordsCursor();
        break;
    }
    case DwdCode::PausePre:
        if (const ExtendedText* page = bringNextPage())
            ShownPreText.append(*page);
        redrawWithWordsCursor();
        break;
    default: // "fontprecolor" is already in the pages; "writepre" and unknown codes do nothing
        break;
    }
    return false;
}

const ExtendedText* LyricState::bringNextPage()
{
    // Past the last page (both passes disagree only on a damaged file) the index
    // stops one beyond it and no pre text is shown.
    if (PageIndex < pageCount())
        ++PageIndex;
    if (PageIndex < 0 || PageIndex >= pageCount())
        return nullptr;
    ExtendedText& page = WordsPages[size_t(PageIndex)];
    // The page goes on from the write position, unless a "setcursor" with the
    // page change placed it (the same command moves the write position too).
    const ExtendedCharPlusPos* first = page.getItem(0);
    if (first && !first->hasPos()) {
        ExtendedCharPlusPos placed = *first;
        placed.setPos(WritePos.x(), WritePos.y(), WriteLineHeight);
        page.setItem(0, placed);
    }
    return &page;
}

void LyricState::redrawWithWordsCursor()
{
    LyricPicture::drawWhole(WordsCursor, *this, DisplayRect);
}

void LyricState::drawInitialPicture(const TextRect& clientRect)
{
    DisplayRect = clientRect;
    const ExtendedText* page =
        PageIndex >= 0 && PageIndex < pageCount() ? &WordsPages[size_t(PageIndex)] : nullptr;
    ShownPreText = page ? *page : ExtendedText();
    LyricPicture::drawWhole(WordsCursor, *this, DisplayRect);
}

void LyricState::reach(QByteArrayView pendingText)
{
    if (pendingText.isEmpty())
        return;
    ExtendedCharPlusPos run;
    run.setText(pendingText);
    run.setPos(WritePos.x(), WritePos.y(), WriteLineHeight);
    run.setColor(WordsFontColor);
    if (const TextCanvas* canvas = WordsCursor.canvas()) {
        run.setSize(canvas->fontSize());
        run.setFontName(canvas->fontName());
        run.setPitch(canvas->fontPitch());
    }
    WrittenText.append(run);

    WordsCursor.setPen(WritePos.x(), WritePos.y(), WriteLineHeight);
    WordsCursor.setFontColor(WordsFontColor);
    WordsCursor.DrawString(DisplayRect, 0, 0, pendingText);
    WritePos = WordsCursor.pen();
    WriteLineHeight = WordsCursor.lineHeight();
}

void LyricState::end()
{
    WordsPages.clear();
    ShownPreText = {};
    WrittenText = {};
    detachDisplay();
}

void LyricState::detachDisplay()
{
    WordsCursor.bindCanvas(nullptr);
    display_ = nullptr;
}
