#pragma once

#include "lyrics/DrawCursor.h"
#include "lyrics/ImageCanvas.h"
#include "lyrics/LyricDisplay.h"

#include <QLatin1String>
#include <QWidget>

class QAction;
class QMenu;
class WordsSource;

// The objectName of the lyrics display window: what accessibility, the trace
// and tests find it by. Spelled here only.
namespace LyricsWindowObjectNames {
inline constexpr QLatin1String window("WordsDisplayForm");
inline constexpr QLatin1String menu("WordsDisplayMenu");
inline constexpr QLatin1String wipeItem("WordsDisplayWipe");
} // namespace LyricsWindowObjectNames

// The lyrics display window. Its whole client area is a canvas, kept as an
// off-screen picture that the lyric state draws into at any time and that
// paint events copy to the screen. It paints only what its WordsSource holds
// (the main window's lyric state): the shown pre text in the pre colour and,
// over it, the reached text in the sung colour. Its right-click menu switches
// the wipe (pieces fill as they are sung) on and off.
class LyricsWindow : public QWidget, public LyricDisplay {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 435;
    static constexpr int OuterHeight = 300;

    explicit LyricsWindow(QWidget* parent = nullptr);
    ~LyricsWindow() override;

    // The lyric state to paint; null paints the background only.
    void setWordsSource(WordsSource* source) { source_ = source; }
    WordsSource* wordsSource() const { return source_; }
    // The canvas to bind the main window's lyric cursor to.
    ImageCanvas& canvas() { return canvas_; }
    TextRect clientRect() const { return TextRect{0, 0, width(), height()}; }

    void setClientSize(int width, int height) override;
    // The full redraw (on activate, resize and "backcolor"): the client
    // rectangle goes to the source, is filled with its background, then both
    // texts are drawn from the top left.
    void clientResized() override;
    // The user closed the window: it is only hidden; the lyric state keeps drawing on its canvas.
    void shutDown();

    QMenu* menu() const { return menu_; }
    // The check mark of the menu's wipe item; setting it emits nothing.
    void setWipeChecked(bool on);
    bool wipeChecked() const;

Q_SIGNALS:
    // Emitted by shutDown, before the window hides: the moment to save its position.
    void closing();
    // The user chose the wipe item.
    void wipeToggled(bool on);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fitOuterSize();

    ImageCanvas canvas_;
    DrawCursor cursor_;
    WordsSource* source_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* wipeItem_ = nullptr;
    bool outerSizeFitted_ = false;
};
