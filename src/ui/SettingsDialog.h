#pragma once

#include "settings/SettingsTable.h"
#include "ui_SettingsDialog.h"

#include <QColor>
#include <QDialog>
#include <vector>

class SettingsManager;

// The tabbed dialog that edits the settings. It stores nothing itself: Apply and OK
// write every widget through the store's setters, save, and let the store announce
// the change. A save that fails is said in the dialog, which then stays open. It
// lives for the whole run and is only shown and hidden.
class SettingsDialog : public QDialog, private Ui::SettingsDialog
{
    Q_OBJECT

public:
    // The address behind the About tab's e-mail link.
    static const char* const ContactAddress;

    explicit SettingsDialog(SettingsManager* settings, QWidget* parent = nullptr);

    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The form's buttons; they exist once the form is built.
    // A form field and the setting it edits; times kept in seconds and shown in
    // minutes have the scale 60.
    struct Field
    {
        Setting setting;
        QWidget* widget;
        int scale;
    };
    std::vector<Field> fields() const;

    void onResetDefaults();
    // False when the settings could not be saved.
    bool onApply();
    void onAccept();
    void showSaveResult(bool saved);
    void onPickColor();
    void ensureBuilt();
    void loadSettings();
    void updateColorButton();
    void setLocalTexts();
    void fitTabRow();
    void onMicroIntervalChanged(int minutes);
    void onLongIntervalChanged(int minutes);
    // Reads the history file, each time the History tab is opened.
    void showHistory();
    void showToday();

    SettingsManager* m_settings;
    QLabel* m_saveErrorLabel = nullptr;
    QColor m_currentColor;
    bool m_built = false;
    // Today's breaks taken, and all that came, as the History tab last read them.
    int m_todayTaken = 0;
    int m_todayBreaks = 0;
};
