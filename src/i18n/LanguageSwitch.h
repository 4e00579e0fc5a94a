#pragma once

#include <QString>

class CustomTranslator;

// Installs the translator of the language a `language` setting stands for, unless it is installed
// already, and then tells every top-level window to set its texts again.
// `translator` is the installed one (null when none is); it is replaced here.
void applyLanguage(CustomTranslator*& translator, const QString& language);
