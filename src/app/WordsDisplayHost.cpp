#include "app/WordsDisplayHost.h"

#include "lyrics/ui/WordsDisplay.h"

WordsDisplayHost::WordsDisplayHost(WordsSource& source) : source_(source)
{
}

WordsDisplayHost::~WordsDisplayHost() = default;

void WordsDisplayHost::showDisplay()
{
    if (!form_) {
        // A top-level window of the application, not of the main window.
        form_ = std::make_unique<TWordsDisplayForm>();
        form_->setWordsSource(&source_);
        QObject::connect(form_.get(), &TWordsDisplayForm::closing, form_.get(), [this] {
            if (savePosition && form_)
                savePosition(*form_);
        });
    }
    if (loadPosition)
        loadPosition(*form_);
    form_->show();
}

TextCanvas* WordsDisplayHost::displayCanvas()
{
    return form_ ? &form_->canvas() : nullptr;
}

LyricDisplay* WordsDisplayHost::display()
{
    return form_.get();
}

TextRect WordsDisplayHost::displayClientRect() const
{
    return form_ ? form_->clientRect() : TextRect{};
}

void WordsDisplayHost::destroyDisplay(bool save)
{
    if (!form_)
        return;
    if (save && savePosition)
        savePosition(*form_);
    // The reference is empty before the window goes, so nothing reached from
    // its destruction finds a half-destroyed window.
    std::unique_ptr<TWordsDisplayForm> form = std::move(form_);
    form->setWordsSource(nullptr);
    form.reset();
}
