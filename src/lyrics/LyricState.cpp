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
    pages.clear();
    PageIndex = 0;
    shownPreText_ = {};
    writtenText_ = {};
    backColor_ = InitialBackColor;
    fontColor_ = InitialFontColor;
    preColor_ = InitialPreColor;
}

void LyricState::begin(TextCanvas* canvas, LyricDisplay* display)
{
    reset();
    cursor.bindCanvas(canvas);
    display_ = display;
    writePos = QPoint(0, 0);
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
    pages.assign(1, ExtendedText{});
    pages.front().append(first);
}

ExtendedCharPlusPos& LyricState::nextPreRun()
{
    if (pages.empty())
        pages.emplace_back();
    ExtendedText& last = pages.back();
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
    const ExtendedCharPlusPos element = pages.empty() ? ExtendedCharPlusPos() : pages.back().derivedElement();
    pages.emplace_back();
    pages.back().append(element);
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
        if (command.code == DwdCode::backColor && display_)
            display_->clientResized();
        return true;
    }
    switch (command.code) {
    case DwdCode::FormSize:
        if (display_)
            display_->setClientSize(command.args[0], command.args[1]);
        break;
    case DwdCode::backColor:
        backColor_ = colorOf(command);
        if (display_)
            display_->clientResized();
        break;
    case DwdCode::FontSize:
        cursor.setFontSize(command.args[0]);
        break;
    case DwdCode::FontColor:
        fontColor_ = colorOf(command);
        break;
    case DwdCode::SetCursor:
        writePos = QPoint(command.args[0], command.args[1]);
        WriteLineHeight = 0;
        break;
    case DwdCode::Clear: {
        // The line the write position stands on is wiped with the rest.
        writtenText_ = {};
        WriteLineHeight = 0;
        const ExtendedText* page = bringNextPage();
        shownPreText_ = page ? *page : ExtendedText();
        redrawWithWordsCursor();
        break;
    }
    case DwdCode::PausePre:
        if (const ExtendedText* page = bringNextPage())
            shownPreText_.append(*page);
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
    ExtendedText& page = pages[size_t(PageIndex)];
    // The page goes on from the write position, unless a "setcursor" with the
    // page change placed it (the same command moves the write position too).
    const ExtendedCharPlusPos* first = page.getItem(0);
    if (first && !first->hasPos()) {
        ExtendedCharPlusPos placed = *first;
        placed.setPos(writePos.x(), writePos.y(), WriteLineHeight);
        page.setItem(0, placed);
    }
    return &page;
}

void LyricState::redrawWithWordsCursor()
{
    LyricPicture::drawWhole(cursor, *this, displayRect);
}

void LyricState::drawInitialPicture(const TextRect& clientRect)
{
    displayRect = clientRect;
    const ExtendedText* page =
        PageIndex >= 0 && PageIndex < pageCount() ? &pages[size_t(PageIndex)] : nullptr;
    shownPreText_ = page ? *page : ExtendedText();
    LyricPicture::drawWhole(cursor, *this, displayRect);
}

void LyricState::reach(QByteArrayView pendingText)
{
    if (pendingText.isEmpty())
        return;
    ExtendedCharPlusPos run;
    run.setText(pendingText);
    run.setPos(writePos.x(), writePos.y(), WriteLineHeight);
    run.setColor(fontColor_);
    if (const TextCanvas* canvas = cursor.canvas()) {
        run.setSize(canvas->fontSize());
        run.setFontName(canvas->fontName());
        run.setPitch(canvas->fontPitch());
    }
    writtenText_.append(run);

    cursor.setPen(writePos.x(), writePos.y(), WriteLineHeight);
    cursor.setFontColor(fontColor_);
    cursor.drawString(displayRect, 0, 0, pendingText);
    writePos = cursor.pen();
    WriteLineHeight = cursor.lineHeight();
}

void LyricState::end()
{
    pages.clear();
    shownPreText_ = {};
    writtenText_ = {};
    detachDisplay();
}

void LyricState::detachDisplay()
{
    cursor.bindCanvas(nullptr);
    display_ = nullptr;
}
