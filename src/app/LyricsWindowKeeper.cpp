#include "app/LyricsWindowKeeper.h"

#include "lyrics/ui/LyricsWindow.h"

LyricsWindowKeeper::LyricsWindowKeeper(WordsSource& source) : source_(source)
{
}

LyricsWindowKeeper::~LyricsWindowKeeper() = default;

void LyricsWindowKeeper::showDisplay()
{
    if (!form_) {
        // A top-level window of the application, not of the main window.
        form_ = std::make_unique<LyricsWindow>();
        form_->setWordsSource(&source_);
        QObject::connect(form_.get(), &LyricsWindow::closing, form_.get(), [this] {
            if (savePosition && form_)
                savePosition(*form_);
        });
    }
    if (loadPosition)
        loadPosition(*form_);
    form_->show();
}

TextCanvas* LyricsWindowKeeper::displayCanvas()
{
    return form_ ? &form_->canvas() : nullptr;
}

LyricDisplay* LyricsWindowKeeper::display()
{
    return form_.get();
}

TextRect LyricsWindowKeeper::displayClientRect() const
{
    return form_ ? form_->clientRect() : TextRect{};
}

void LyricsWindowKeeper::destroyDisplay(bool save)
{
    if (!form_)
        return;
    if (save && savePosition)
        savePosition(*form_);
    // The reference is empty before the window goes, so nothing reached from
    // its destruction finds a half-destroyed window.
    std::unique_ptr<LyricsWindow> form = std::move(form_);
    form->setWordsSource(nullptr);
    form.reset();
}
