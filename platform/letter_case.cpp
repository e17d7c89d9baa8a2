#include "platform/letter_case.h"

#include "platform/text_encoding.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>

namespace velmorane::platform {
namespace {

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiFolded(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), asciiLower);
    return out;
}

}  // namespace

std::string caseFoldedKey(std::string_view text)
{
    if (isAscii(text) || !isValidUtf8(text)) return asciiFolded(text);
    const QString folded =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded();
    return folded.toStdString();
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
            return asciiLower(x) == asciiLower(y);
        })) {
        return true;
    }
    if (isAscii(a) && isAscii(b)) return false;
    return caseFoldedKey(a) == caseFoldedKey(b);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return caseFoldedKey(text).starts_with(caseFoldedKey(prefix));
}

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    return caseFoldedKey(text).find(caseFoldedKey(part)) != std::string::npos;
}

bool nameLess(std::string_view a, std::string_view b)
{
    const std::string keyA = caseFoldedKey(a);
    const std::string keyB = caseFoldedKey(b);
    if (keyA != keyB) return keyA < keyB;
    return a < b;
}

int collateIgnoringCase(std::string_view a, std::string_view b)
{
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::French, QLocale::France)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())),
                            QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())));
}

}  // namespace velmorane::platform
