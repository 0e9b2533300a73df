#include "LyricsWindowKeeper.h"

#include "lyrics/ui/LyricsWindow.h"

#include <QScreen>
#include <algorithm>

LyricsWindowKeeper::LyricsWindowKeeper(WordsSource& source) : source_(source)
{
}

LyricsWindowKeeper::~LyricsWindowKeeper() = default;

void LyricsWindowKeeper::showDisplay()
{
    if (!window_) {
        // A top-level window of the application, not of the main window.
        window_ = std::make_unique<LyricsWindow>();
        window_->setWordsSource(&source_);
        QObject::connect(window_.get(), &LyricsWindow::closing, window_.get(), [this] {
            if (savePosition && window_)
                savePosition(*window_);
        });
        // Only a window whose wipe someone keeps offers it (not the editor's preview).
        if (!wipeChanged)
            window_->setContextMenuPolicy(Qt::NoContextMenu);
        window_->setWipeChecked(wipe_);
        QObject::connect(window_.get(), &LyricsWindow::wipeToggled, window_.get(), [this](bool on) {
            wipe_ = on;
            if (wipeChanged)
                wipeChanged(on);
        });
    }
    if (loadPosition)
        loadPosition(*window_);
    window_->show();
}

TextCanvas* LyricsWindowKeeper::displayCanvas()
{
    return window_ ? &window_->canvas() : nullptr;
}

LyricDisplay* LyricsWindowKeeper::display()
{
    return window_.get();
}

TextRect LyricsWindowKeeper::displayClientRect() const
{
    return window_ ? window_->clientRect() : TextRect{};
}

void LyricsWindowKeeper::destroyDisplay(bool save)
{
    if (!window_)
        return;
    if (save && savePosition)
        savePosition(*window_);
    // The reference is empty before the window goes, so nothing reached from
    // its destruction finds a half-destroyed window.
    std::unique_ptr<LyricsWindow> form = std::move(window_);
    form->setWordsSource(nullptr);
    form.reset();
}

void LyricsWindowKeeper::setWipeChecked(bool on)
{
    wipe_ = on;
    if (window_)
        window_->setWipeChecked(on);
}

int LyricsWindowKeeper::frameIntervalMs() const
{
    const QScreen* screen = window_ ? window_->screen() : nullptr;
    const qreal rate = screen ? screen->refreshRate() : 0;
    if (rate < 1)
        return DefaultFrameIntervalMs;
    return std::max(1, int(1000 / rate));
}
