#pragma once

#include <QFunctionPointer>
#include <QLibrary>
#include <QString>

// A part of the program in a library of its own, loaded at run time only where the
// session needs it, so that the program carries the library's dependencies only
// there. It is looked for in RESPITEKEEPER_MODULE_DIR, beside the program, then
// where it is installed; once loaded it stays loaded for the life of the process.
class ProgramModule
{
public:
    // kind names the module in the log ("Wayland"); fileName is its file
    // ("respitekeeper-wayland.so"). A module that cannot be loaded says so once in
    // the log, with each place tried and the loader's answer.
    ProgramModule(const QString& kind, const QString& fileName);

    // The entry of that name; null when the module is not loaded.
    QFunctionPointer entry(const char* name);
    bool loaded() const { return m_loaded; }
    // The file it came from, or why it could not be loaded.
    QString description() const { return m_loaded ? m_library.fileName() : m_problem; }

private:
    QLibrary m_library;
    bool m_loaded = false;
    QString m_problem;
};
