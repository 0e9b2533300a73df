#include "lyrics/ExtendedText.h"

const ExtendedCharPlusPos* ExtendedText::getItem(qint32 index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return &items_[size_t(index)];
}

void ExtendedText::appendText(QByteArrayView text)
{
    if (items_.empty()) {
        ExtendedCharPlusPos element;
        element.setText(text);
        items_.push_back(element);
        return;
    }
    items_.back().appendText(text);
}

void ExtendedText::append(const ExtendedText& list)
{
    // Copy first: appending a list to itself must not read the growing vector.
    const std::vector<ExtendedCharPlusPos> copy = list.items_;
    items_.insert(items_.end(), copy.begin(), copy.end());
}

void ExtendedText::setSingle(const ExtendedCharPlusPos& element)
{
    const ExtendedCharPlusPos copy = element;
    items_.assign(1, copy);
}

bool ExtendedText::setItem(qint32 index, const ExtendedCharPlusPos& element)
{
    if (index < 0 || index >= count())
        return false;
    items_[size_t(index)] = element;
    return true;
}

ExtendedCharPlusPos ExtendedText::derivedElement() const
{
    if (items_.empty())
        return {};
    ExtendedCharPlusPos element = items_.back();
    element.setText({});
    return element;
}
