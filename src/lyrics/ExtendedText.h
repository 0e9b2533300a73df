#pragma once

#include "lyrics/ExtendedCharPlusPos.h"

#include <vector>

// An ordered list of runs. It owns copies of its elements; assigning a list
// copies every element.
class ExtendedText {
public:
    qint32 count() const { return qint32(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    // The element at index, or nullptr outside 0 .. count - 1.
    const ExtendedCharPlusPos* getItem(qint32 index) const;
    // The last element; the list must not be empty.
    ExtendedCharPlusPos& lastItem() { return items_.back(); }

    // Joins the text to the last element; an empty list becomes one new element holding it.
    void appendText(QByteArrayView text);
    void append(const ExtendedCharPlusPos& element) { items_.push_back(element); }
    void append(const ExtendedText& list);
    void setSingle(const ExtendedCharPlusPos& element);
    // Overwrites the element at index; an index outside the list changes nothing and returns false.
    bool setItem(qint32 index, const ExtendedCharPlusPos& element);

    // A copy of the last element's font attributes with empty text and no
    // position, or a new element when the list is empty: the start of the next
    // run, drawn where the text before it ends.
    ExtendedCharPlusPos derivedElement() const;

private:
    std::vector<ExtendedCharPlusPos> items_;
};
