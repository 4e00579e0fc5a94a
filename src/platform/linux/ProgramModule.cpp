#include "ProgramModule.h"

#include <QCoreApplication>
#include <QFileInfo>

ProgramModule::ProgramModule(const QString& kind, const QString& fileName)
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{programFolder, programFolder + QStringLiteral("/" RK_MODULE_DIR)};
    if (!qEnvironmentVariableIsEmpty("RESPITEKEEPER_MODULE_DIR"))
        folders.prepend(qEnvironmentVariable("RESPITEKEEPER_MODULE_DIR"));
    QStringList errors;
    for (const QString& folder : std::as_const(folders)) {
        const QString file = folder + QLatin1Char('/') + fileName;
        m_library.setFileName(file);
        if ((m_loaded = m_library.load()))
            return;
        // The loader's message for a missing file names the last of the names it
        // tried, not this one.
        errors << (QFileInfo::exists(file) ? m_library.errorString() : file + QStringLiteral(": no such file"));
    }
    m_problem = QStringLiteral("the program's %1 module (%2) could not be loaded: ").arg(kind, fileName) +
                errors.join(QStringLiteral("; "));
    qWarning("%s", qPrintable(m_problem));
}

QFunctionPointer ProgramModule::entry(const char* name)
{
    return m_loaded ? m_library.resolve(name) : nullptr;
}
