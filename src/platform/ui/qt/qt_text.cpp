#include "platform/ui/qt/qt_text.h"

namespace tarvex::platform {

QString ToQString(std::wstring_view text) {
    QString converted;
    converted.reserve(static_cast<qsizetype>(text.size()));
    for (wchar_t ch : text) {
        const auto codePoint = static_cast<char32_t>(ch);
        if (codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
            converted.append(QChar(QChar::highSurrogate(codePoint)));
            converted.append(QChar(QChar::lowSurrogate(codePoint)));
        } else if (codePoint > 0x10FFFF) {
            converted.append(QChar(QChar::ReplacementCharacter));
        } else {
            converted.append(QChar(static_cast<char16_t>(codePoint)));
        }
    }
    return converted;
}

std::wstring FromQString(const QString& text) {
    std::wstring converted;
    converted.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            converted.push_back(static_cast<wchar_t>(QChar::surrogateToUcs4(unit, text[i + 1])));
            ++i;
        } else {
            converted.push_back(static_cast<wchar_t>(unit.unicode()));
        }
    }
    return converted;
}

}  // namespace tarvex::platform
