#include "ScriptText.h"

#include "lyrics/format/ShiftJis.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

namespace {
constexpr char32_t ControlPictures = 0x2400;
constexpr char32_t DeletePicture = 0x2421;
constexpr char32_t BraillePatterns = 0x2800;
constexpr char32_t FirstVariationSelector = 0xFE00;
constexpr int VariationSelectors = 16;

bool isTrailByte(unsigned char c)
{
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// The character tables of Windows-31J, read once from the system's codec.
// Only codes that the codec decodes to one character are characters here;
// a character with several codes keeps them all, the codec's own choice for
// writing first.
class CodeTables {
public:
    CodeTables()
    {
        single.fill(0);
        QHash<char32_t, QList<quint16>> codesOf;
        for (int b = 0x80; b <= 0xFF; ++b) {
            if (ShiftJis::isLeadByte(static_cast<unsigned char>(b)))
                continue;
            const char byte = static_cast<char>(b);
            const char32_t c = decodeOne(QByteArrayView(&byte, 1));
            if (c != 0 && encodeOne(c) == QByteArray(1, byte))
                single[b] = c;
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!ShiftJis::isLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const char32_t c = decodeOne(QByteArrayView(pair, 2));
                if (c >= 0x80)
                    codesOf[c].append(static_cast<quint16>(lead << 8 | trail));
            }
        }
        for (auto it = codesOf.begin(); it != codesOf.end(); ++it) {
            QList<quint16> codes = it.value();
            const QByteArray written = encodeOne(it.key());
            if (written.size() == 2) {
                const quint16 usual = static_cast<quint16>(static_cast<unsigned char>(written[0]) << 8 |
                                                           static_cast<unsigned char>(written[1]));
                if (codes.removeOne(usual))
                    codes.prepend(usual);
            }
            if (codes.size() > VariationSelectors + 1)
                codes.resize(VariationSelectors + 1);
            for (int i = 0; i < codes.size(); ++i)
                doubles.insert(codes[i], {it.key(), i});
            codesByCharacter.insert(it.key(), codes);
        }
        for (int b = 0x80; b <= 0xFF; ++b) {
            if (single[b] != 0)
                singleByCharacter.insert(single[b], static_cast<unsigned char>(b));
        }
    }

    struct DoubleCharacter {
        char32_t character;
        int variant; // 0 for the usual code
    };

    std::array<char32_t, 256> single{};
    QHash<quint16, DoubleCharacter> doubles;
    QHash<char32_t, QList<quint16>> codesByCharacter;
    QHash<char32_t, unsigned char> singleByCharacter;

private:
    // The one character these bytes decode to, or 0.
    static char32_t decodeOne(QByteArrayView bytes)
    {
        if (!ShiftJis::available())
            return 0;
        const QString text = ShiftJis::decode(bytes);
        const QList<uint> ucs4 = text.toUcs4();
        if (ucs4.size() != 1 || ucs4[0] == 0xFFFD || ucs4[0] == 0x1A)
            return 0;
        return ucs4[0];
    }

    static QByteArray encodeOne(char32_t c)
    {
        const QString text = QString::fromUcs4(&c, 1);
        QStringEncoder encoder("Windows-31J");
        if (!encoder.isValid())
            encoder = QStringEncoder("Shift_JIS");
        const QByteArray bytes = encoder.encode(text);
        return encoder.hasError() ? QByteArray() : bytes;
    }
};

const CodeTables& tables()
{
    static const CodeTables instance;
    return instance;
}

void appendCharacter(QString& out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    }
    else {
        out += QChar(static_cast<char16_t>(c));
    }
}
} // namespace

int ScriptText::placeholderByte(char32_t c)
{
    if (c >= ControlPictures && c < ControlPictures + 0x20)
        return static_cast<int>(c - ControlPictures);
    if (c == DeletePicture)
        return 0x7F;
    if (c >= BraillePatterns + 0x80 && c <= BraillePatterns + 0xFF)
        return static_cast<int>(c - BraillePatterns);
    return -1;
}

QString ScriptText::toEditText(QByteArrayView bytes)
{
    const CodeTables& t = tables();
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            out += QLatin1Char('\n');
            ++i;
        }
        else if (b == '\t' || (b >= 0x20 && b < 0x7F)) {
            out += QLatin1Char(static_cast<char>(b));
        }
        else if (b < 0x20) {
            appendCharacter(out, ControlPictures + b);
        }
        else if (b == 0x7F) {
            appendCharacter(out, DeletePicture);
        }
        else if (ShiftJis::isLeadByte(b) && i + 1 < n &&
                 t.doubles.contains(
                     static_cast<quint16>(b << 8 | static_cast<unsigned char>(bytes[i + 1])))) {
            const auto found =
                t.doubles.value(static_cast<quint16>(b << 8 | static_cast<unsigned char>(bytes[i + 1])));
            appendCharacter(out, found.character);
            if (found.variant > 0)
                appendCharacter(out, FirstVariationSelector + found.variant - 1);
            ++i;
        }
        else if (t.single[b] != 0) {
            appendCharacter(out, t.single[b]);
        }
        else {
            appendCharacter(out, BraillePatterns + b);
        }
    }
    return out;
}

ScriptText::Encoded ScriptText::fromEditText(QStringView text, bool withOffsets)
{
    const CodeTables& t = tables();
    Encoded result;
    result.bytes.reserve(text.size() * 2);
    if (withOffsets)
        result.byteOffsets.reserve(text.size() + 1);
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto mark = [&](qsizetype units) {
        if (withOffsets) {
            for (qsizetype k = 0; k < units; ++k)
                result.byteOffsets.append(result.bytes.size());
        }
    };
    auto unencodable = [&](qsizetype at) {
        if (result.unencodable < 0)
            result.unencodable = at;
    };
    while (i < n) {
        char32_t c = text[i].unicode();
        qsizetype units = 1;
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        }
        mark(units);
        const int placeholder = placeholderByte(c);
        if (c == '\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            result.bytes += "\r\n";
        }
        else if (c == '\r') {
            // A break pasted as CR LF is one break.
            result.bytes += "\r\n";
            if (i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
                ++units;
                mark(1);
            }
        }
        else if (placeholder >= 0) {
            result.bytes += static_cast<char>(placeholder);
        }
        else if (c < 0x80) {
            result.bytes += static_cast<char>(c);
        }
        else if (c >= FirstVariationSelector && c < FirstVariationSelector + VariationSelectors) {
            // A selector that no longer follows its character means nothing.
        }
        else if (t.singleByCharacter.contains(c)) {
            result.bytes += static_cast<char>(t.singleByCharacter.value(c));
        }
        else if (const auto codes = t.codesByCharacter.constFind(c); codes != t.codesByCharacter.cend()) {
            int variant = 0;
            const qsizetype next = i + units;
            if (next < n && text[next].unicode() >= FirstVariationSelector &&
                text[next].unicode() < FirstVariationSelector + VariationSelectors) {
                const int asked = text[next].unicode() - FirstVariationSelector + 1;
                if (asked < codes->size()) {
                    variant = asked;
                    ++units;
                    mark(1);
                }
            }
            const quint16 code = codes->at(variant);
            result.bytes += static_cast<char>(code >> 8);
            result.bytes += static_cast<char>(code & 0xFF);
        }
        else {
            unencodable(i);
        }
        i += units;
    }
    mark(1);
    return result;
}
