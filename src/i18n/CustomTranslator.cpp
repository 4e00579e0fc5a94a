#include "CustomTranslator.h"

#include <QFile>

CustomTranslator::CustomTranslator(const QString& language, QObject* parent)
    : QTranslator(parent)
    , m_language(language)
{
    const QString path = QStringLiteral(":/translations/translations_%1.ini").arg(language);
    if (QFile::exists(path)) {
        m_translations = std::make_shared<QSettings>(path, QSettings::IniFormat);
        m_translations->beginGroup(QStringLiteral("translations"));
    }
}

CustomTranslator::~CustomTranslator() = default;

QString CustomTranslator::translate(const char*, const char* sourceText, const char*, int) const
{
    const QString source = QString::fromUtf8(sourceText);
    if (!m_translations)
        return source;
    const QString translated = m_translations->value(source).toString();
    return translated.isEmpty() ? source : translated;
}

bool CustomTranslator::isEmpty() const
{
    return !m_translations;
}
