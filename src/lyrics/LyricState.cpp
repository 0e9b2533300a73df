#include "lyrics/LyricState.h"

#include "lyrics/LyricDisplay.h"
#include "lyrics/LyricPicture.h"
#include "lyrics/TextCanvas.h"

#include <algorithm>

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
    fill_ = {};
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
        fill_ = {};
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

void LyricState::reach(QByteArrayView pendingText, qint64 dueMs)
{
    if (pendingText.isEmpty())
        return;
    finishWipe();
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
    if (wipe_) {
        // The pen moves over the piece as if it were drawn; the fill draws it.
        const int length = cursor.lineLength(pendingText);
        cursor.drawString(displayRect, 0, 0, pendingText, FillSpan{0, 0});
        if (length > 0)
            fill_ = Fill{writtenText_.count() - 1, dueMs, dueMs + WipeCapMs, length, 0};
    }
    else {
        cursor.drawString(displayRect, 0, 0, pendingText);
    }
    writePos = cursor.pen();
    WriteLineHeight = cursor.lineHeight();
}

void LyricState::setWipe(bool on)
{
    if (!on)
        finishWipe();
    wipe_ = on;
}

void LyricState::setWipeEnd(qint64 nextDueMs)
{
    if (fill_.index >= 0)
        fill_.endMs = std::clamp(nextDueMs, fill_.startMs, fill_.startMs + WipeCapMs);
}

bool LyricState::drawWipe(qint64 nowMs)
{
    if (fill_.index < 0)
        return false;
    const ExtendedCharPlusPos* run = writtenText_.getItem(fill_.index);
    Q_ASSERT(run);
    const qint64 elapsed = nowMs - fill_.startMs;
    const qint64 duration = fill_.endMs - fill_.startMs;
    // Column i of the piece turns at startMs + i * duration / length: the
    // first as soon as the piece is due, the last a column's time before its end.
    int target = fill_.length;
    if (elapsed < 0)
        target = 0;
    else if (elapsed < duration)
        target = int(std::min<qint64>(fill_.length, qint64(fill_.length) * elapsed / duration + 1));
    if (target > fill_.filled) {
        cursor.drawRun(displayRect, *run, FillSpan{fill_.filled, target});
        fill_.filled = target;
    }
    if (fill_.filled < fill_.length)
        return true;
    fill_ = {};
    return false;
}

void LyricState::finishWipe()
{
    if (fill_.index < 0)
        return;
    if (const ExtendedCharPlusPos* run = writtenText_.getItem(fill_.index))
        cursor.drawRun(displayRect, *run, FillSpan{fill_.filled, fill_.length});
    fill_ = {};
}

std::optional<qint64> LyricState::nextColumnMs() const
{
    if (fill_.index < 0)
        return std::nullopt;
    // The moment drawWipe's count of columns first exceeds what is drawn.
    const qint64 duration = fill_.endMs - fill_.startMs;
    return fill_.startMs + (qint64(fill_.filled) * duration + fill_.length - 1) / fill_.length;
}

std::optional<qint64> LyricState::wipeEndMs() const
{
    if (fill_.index < 0)
        return std::nullopt;
    return fill_.endMs;
}

PartFill LyricState::writtenFill() const
{
    if (fill_.index < 0)
        return {};
    return PartFill{fill_.index, FillSpan{0, fill_.filled}};
}

void LyricState::end()
{
    fill_ = {};
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
