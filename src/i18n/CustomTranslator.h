#pragma once

#include <QSettings>
#include <QTranslator>
#include <memory>

// Answers every lookup from the INI translation file of one language in the
// resources. All classes share one flat key space: the English source text is the
// key, whatever the context.
class CustomTranslator : public QTranslator
{
    Q_OBJECT

public:
    explicit CustomTranslator(const QString& language, QObject* parent = nullptr);
    ~CustomTranslator() override;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    // True when the language has no translation file.
    bool isEmpty() const override;

    QString language() const { return m_language; }

private:
    std::shared_ptr<QSettings> m_translations;
    QString m_language;
};
