#pragma once

#include <QString>
#include <QStringList>

// The exercise messages of one language, one list for micro and one for long
// breaks; either may be empty.
struct BreakMessages
{
    static constexpr int MaxPerKind = 20;

    QStringList micro;
    QStringList longBreak;

    // From the message file of the language code, or the English one where the
    // program has none for it.
    static BreakMessages forLanguage(const QString& languageCode);
};
