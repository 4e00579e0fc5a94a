#pragma once

class CustomTranslator;
class SettingsManager;

// Installs the translator of the effective language unless it is installed
// already, and then tells every top-level window to set its texts again.
// `translator` is the installed one (null when none is); it is replaced here.
void applyLanguage(CustomTranslator*& translator, SettingsManager* settings);
