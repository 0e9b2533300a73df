#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// One run of lyric text (Shift-JIS bytes, possibly with CR LF breaks) with
// optional font attributes. Each attribute is valid only while its flag is set;
// drawing applies the set ones and leaves the canvas font alone for the rest.
// A value type: copies own their text.
class ExtendedChar {
public:
    static constexpr int MaxFontNameLength = 31;

    void setText(QByteArrayView text) { text_ = text.toByteArray(); }
    void appendText(QByteArrayView text) { text_.append(text); }
    const QByteArray& text() const { return text_; }
    qint32 textLength() const { return qint32(text_.size()); }

    // kind is the top byte of the colour value (2 = palette-relative RGB); only its low two bits count.
    void setColor(quint8 r, quint8 g, quint8 b, quint8 kind);
    void setColor(quint32 value);
    void setSize(qint32 points);
    void setFontName(QByteArrayView name); // cut to 31 bytes
    void setPitch(quint8 pitch);           // 0 default, 1 variable, 2 fixed

    void clearColor() { hasColor_ = false; }
    void clearSize() { hasSize_ = false; }
    void clearFontName() { hasFontName_ = false; }
    void clearPitch() { hasPitch_ = false; }

    // Each getter returns the attribute's flag and hands out the value.
    bool getColor(quint32& value) const;
    bool getSize(qint32& points) const;
    bool getFontName(QByteArray& name) const;
    bool getPitch(quint8& pitch) const;

private:
    QByteArray text_;
    quint32 color_ = 0;
    qint32 size_ = 8;
    QByteArray fontName_;
    quint8 pitch_ = 0;
    bool hasColor_ = false;
    bool hasSize_ = false;
    bool hasFontName_ = false;
    bool hasPitch_ = false;
};
