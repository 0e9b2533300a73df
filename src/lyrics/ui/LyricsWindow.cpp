#include "lyrics/ui/LyricsWindow.h"

#include "core/ColorValue.h"
#include "lyrics/LyricPicture.h"
#include "lyrics/LyricState.h"
#include "lyrics/WordsSource.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QTimer>

namespace {
// A small page with a grey line of lyrics still to come and a blue one already sung.
QIcon wordsIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 255));
    painter.drawRect(QRectF(4, 5, 8, 2));
    painter.setBrush(QColor(128, 128, 128));
    painter.drawRect(QRectF(4, 9, 6, 2));
    return QIcon(pixmap);
}
} // namespace

LyricsWindow::LyricsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(LyricsWindowObjectNames::window);
    setWindowTitle(QStringLiteral("Words display"));
    setWindowIcon(wordsIcon());
    setAttribute(Qt::WA_OpaquePaintEvent);
    // It opens at Play: the keys stay with the window the user pressed Play in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(OuterWidth, OuterHeight);
    canvas_.resize(size());
    canvas_.setChangedHandler([this](const QRect& rect) { update(rect); });
    cursor_.bindCanvas(&canvas_);

    menu_ = new QMenu(this);
    menu_->setObjectName(LyricsWindowObjectNames::menu);
    wipeItem_ = menu_->addAction(QStringLiteral("Wipe(&W)"));
    wipeItem_->setObjectName(LyricsWindowObjectNames::wipeItem);
    wipeItem_->setCheckable(true);
    connect(wipeItem_, &QAction::triggered, this, &LyricsWindow::wipeToggled);
}

LyricsWindow::~LyricsWindow()
{
    canvas_.setChangedHandler({});
}

void LyricsWindow::setClientSize(int width, int height)
{
    resize(qBound(1, width, MaxClientSide), qBound(1, height, MaxClientSide));
    // A hidden window gets its resize event only when shown; the lyric state
    // keeps drawing meanwhile, so the canvas follows now.
    if (canvas_.size() != size()) {
        canvas_.resize(size());
        clientResized();
    }
}

void LyricsWindow::clientResized()
{
    const TextRect rect = clientRect();
    canvas_.resize(size());
    if (source_)
        source_->setDisplayRect(rect);
    if (source_) {
        LyricPicture::drawWhole(cursor_, *source_, rect);
        return;
    }
    canvas_.setBrushColor(LyricState::InitialBackColor);
    canvas_.fillRect(rect);
}

void LyricsWindow::shutDown()
{
    Q_EMIT closing();
}

bool LyricsWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        clientResized();
    return QWidget::event(event);
}

void LyricsWindow::paintEvent(QPaintEvent* event)
{
    // The picture is complete at all times; painting only copies it.
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_.image(), event->rect());
}

void LyricsWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    clientResized();
}

void LyricsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!outerSizeFitted_) {
        outerSizeFitted_ = true;
        QTimer::singleShot(0, this, &LyricsWindow::fitOuterSize);
    }
}

// The window is designed as 435 x 300 with its frame; the frame is known only
// once the window is on screen.
void LyricsWindow::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() > 0 || frame.height() > 0)
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
}

void LyricsWindow::setWipeChecked(bool on)
{
    wipeItem_->setChecked(on);
}

bool LyricsWindow::wipeChecked() const
{
    return wipeItem_->isChecked();
}

void LyricsWindow::contextMenuEvent(QContextMenuEvent* event)
{
    menu_->popup(event->globalPos());
}

void LyricsWindow::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->ignore();
    hide();
}
