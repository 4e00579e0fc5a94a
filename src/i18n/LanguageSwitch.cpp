#include "LanguageSwitch.h"

#include "CustomTranslator.h"
#include "settings/SettingsManager.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

void applyLanguage(CustomTranslator*& translator, const QString& setting)
{
    const QString language = SettingsManager::effectiveLanguage(setting);
    if (translator && translator->language() == language)
        return;

    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    translator = new CustomTranslator(language);
    if (translator->isEmpty()) {
        delete translator;
        translator = nullptr;
    } else {
        QCoreApplication::installTranslator(translator);
    }

    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        QEvent event(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &event);
    }
}
