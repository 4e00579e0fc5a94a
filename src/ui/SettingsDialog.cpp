#include "SettingsDialog.h"

#include "ComboBoxAccessible.h"
#include "history/HistoryFile.h"
#include "settings/SettingsManager.h"

#include <QColorDialog>
#include <QEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabBar>

const char* const SettingsDialog::ContactAddress = "respitekeeper@example.org";

SettingsDialog::SettingsDialog(SettingsManager* settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_currentColor(0, 120, 212)
{
    setObjectName(QStringLiteral("RespiteKeeperSettings"));
    setWindowTitle(tr("RespiteKeeper Settings"));
    setMinimumSize(480, 500);
    ComboBoxAccessible::install();
}

void SettingsDialog::setVisible(bool visible)
{
    if (visible)
        ensureBuilt();
    // Shown again on the History tab: the history has grown meanwhile.
    if (visible && !isVisible() && tabWidget->currentWidget() == historyTab)
        showHistory();
    QDialog::setVisible(visible);
}

// The form is built when the dialog is first shown: until then the
// program does not load the fonts and widget code that only this dialog needs.
void SettingsDialog::ensureBuilt()
{
    if (m_built)
        return;
    m_built = true;
    setupUi(this); // the window title too
    m_languageCombo->setItemData(0, QStringLiteral("system"));
    m_languageCombo->setItemData(1, QStringLiteral("en"));
    m_languageCombo->setItemData(2, QStringLiteral("zh"));

    m_saveErrorLabel = new QLabel(this);
    m_saveErrorLabel->setObjectName(QStringLiteral("m_saveErrorLabel"));
    m_saveErrorLabel->setWordWrap(true);
    m_saveErrorLabel->setStyleSheet(QStringLiteral("color: #c62828;"));
    m_saveErrorLabel->hide();
    verticalLayout->insertWidget(verticalLayout->indexOf(tabWidget) + 1, m_saveErrorLabel);
    setLocalTexts();

    connect(m_resetButton, &QPushButton::clicked, this, &SettingsDialog::onResetDefaults);
    connect(m_applyButton, &QPushButton::clicked, this, &SettingsDialog::onApply);
    connect(m_okButton, &QPushButton::clicked, this, [this] {
        if (onApply())
            accept();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_colorPickButton, &QPushButton::clicked, this, &SettingsDialog::onPickColor);
    connect(m_microBreakIntervalSpin, &QSpinBox::valueChanged, this, &SettingsDialog::onMicroIntervalChanged);
    connect(m_longBreakIntervalSpin, &QSpinBox::valueChanged, this, &SettingsDialog::onLongIntervalChanged);
    // The longest hold means something only while breaks are held.
    connect(m_holdBreaksCheckBox, &QCheckBox::toggled, m_holdMaxSpin, &QWidget::setEnabled);
    connect(m_holdBreaksCheckBox, &QCheckBox::toggled, m_holdMaxLabel, &QWidget::setEnabled);
    m_holdMaxSpin->setEnabled(false);
    m_holdMaxLabel->setEnabled(false);
    connect(tabWidget, &QTabWidget::currentChanged, this, [this] {
        if (tabWidget->currentWidget() == historyTab)
            showHistory();
    });

    loadSettings();
}

void SettingsDialog::showHistory()
{
    const QDate today = QDate::currentDate();
    const DayTallies days = HistoryFile::read(HistoryFile::defaultPath(), today.addDays(1 - HistoryChart::Days));
    m_historyChart->setHistory(days, today);
    const DayTally now = days.value(today);
    m_todayTaken = now.taken;
    m_todayBreaks = now.taken + now.cutShort;
    showToday();
}

void SettingsDialog::showToday()
{
    m_historyTodayLabel->setText(tr("Today: %1 of %2 breaks taken").arg(m_todayTaken).arg(m_todayBreaks));
}

// Texts the form does not set: the version, the contact link, the unit suffixes, the pages' name
// and today's breaks. A key of the translation files cannot begin with a blank, so the
// blank is joined here.
void SettingsDialog::setLocalTexts()
{
    QPalette palette = m_emailLabel->palette();
    palette.setBrush(QPalette::All, QPalette::Link, QBrush(QColor(QStringLiteral("#0078d4"))));
    m_emailLabel->setPalette(palette);
    const QString address = QString::fromLatin1(ContactAddress);
    m_emailLabel->setLink(tr("Email: %1"), address, QUrl(QStringLiteral("mailto:") + address));
    m_versionLabel->setText(tr("Version %1").arg(QStringLiteral(RK_VERSION)));
    tabWidget->setAccessibleName(tr("Settings pages"));
    const QString minutes = QLatin1Char(' ') + tr("minutes");
    m_microBreakIntervalSpin->setSuffix(minutes);
    m_microBreakDurationSpin->setSuffix(QLatin1Char(' ') + tr("seconds"));
    m_longBreakIntervalSpin->setSuffix(minutes);
    m_longBreakDurationSpin->setSuffix(minutes);
    m_holdMaxSpin->setSuffix(minutes);
    m_saveErrorLabel->setText(
        tr("Could not save the settings to %1. The changes apply only until you quit.").arg(m_settings->location()));
    showToday();
}

void SettingsDialog::onMicroIntervalChanged(int minutes)
{
    const QSignalBlocker blocker(m_longBreakIntervalSpin);
    m_longBreakIntervalSpin->setValue(SettingsManager::alignedLongInterval(m_longBreakIntervalSpin->value(), minutes));
}

void SettingsDialog::onLongIntervalChanged(int minutes)
{
    const int aligned = SettingsManager::alignedLongInterval(minutes, m_microBreakIntervalSpin->value());
    if (aligned != minutes) {
        const QSignalBlocker blocker(m_longBreakIntervalSpin);
        m_longBreakIntervalSpin->setValue(aligned);
    }
}

std::vector<SettingsDialog::Field> SettingsDialog::fields() const
{
    return {
        {Setting::MicroBreakInterval, m_microBreakIntervalSpin, 60},
        {Setting::MicroBreakDuration, m_microBreakDurationSpin, 1},
        {Setting::LongBreakInterval, m_longBreakIntervalSpin, 60},
        {Setting::LongBreakDuration, m_longBreakDurationSpin, 60},
        {Setting::PostponeEnabled, m_postponeCheckBox, 1},
        {Setting::ShowOnAllMonitors, m_showOnAllMonitorsCheckBox, 1},
        {Setting::AutoStartAtBoot, m_autoStartCheckBox, 1},
        {Setting::IdlePauseEnabled, m_idlePauseCheckBox, 1},
        {Setting::HoldBreaksWhenBusy, m_holdBreaksCheckBox, 1},
        {Setting::HoldBreaksMaxMinutes, m_holdMaxSpin, 1},
        {Setting::BreakSoundEnabled, m_breakSoundCheckBox, 1},
        {Setting::Language, m_languageCombo, 1},
        {Setting::ShutdownEnabled, m_shutdownEnabledCheckBox, 1},
        {Setting::ShutdownHour, m_shutdownHourSpin, 1},
        {Setting::ShutdownMinute, m_shutdownMinuteSpin, 1},
    };
}

// In the order of the settings, so the coupling of the two intervals runs as the
// user's edits would.
void SettingsDialog::loadSettings()
{
    for (const Field& field : fields()) {
        const QVariant value = m_settings->value(field.setting);
        if (auto* spin = qobject_cast<QSpinBox*>(field.widget)) {
            spin->setValue(value.toInt() / field.scale);
        } else if (auto* box = qobject_cast<QCheckBox*>(field.widget)) {
            box->setChecked(value.toBool());
        } else if (auto* combo = qobject_cast<QComboBox*>(field.widget)) {
            const int index = combo->findData(value, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index >= 0)
                combo->setCurrentIndex(index);
        }
    }
    m_currentColor = m_settings->backgroundColor();
    updateColorButton();
}

bool SettingsDialog::onApply()
{
    for (const Field& field : fields()) {
        if (auto* spin = qobject_cast<QSpinBox*>(field.widget))
            m_settings->setValue(field.setting, spin->value() * field.scale);
        else if (auto* box = qobject_cast<QCheckBox*>(field.widget))
            m_settings->setValue(field.setting, box->isChecked());
        else if (auto* combo = qobject_cast<QComboBox*>(field.widget))
            m_settings->setValue(field.setting, combo->currentData().toString());
    }
    m_settings->setBackgroundColor(m_currentColor);
    const bool saved = m_settings->save();
    showSaveResult(saved);
    m_settings->notifySettingsChanged();
    return saved;
}

// What could not be saved is still in use: the rest of the program takes it up.
void SettingsDialog::showSaveResult(bool saved)
{
    m_saveErrorLabel->setVisible(!saved);
}

void SettingsDialog::onAccept()
{
    onApply();
}

// The picker and the reset question block this dialog only: a break screen that
// comes up meanwhile must still take the user's clicks.
void SettingsDialog::onPickColor()
{
    QColorDialog picker(m_currentColor, this);
    picker.setWindowTitle(tr("Select Background Color"));
    picker.setWindowModality(Qt::WindowModal);
    if (picker.exec() != QDialog::Accepted || !picker.selectedColor().isValid())
        return;
    m_currentColor = picker.selectedColor();
    updateColorButton();
}

void SettingsDialog::updateColorButton()
{
    QPixmap swatch(20, 20);
    swatch.fill(m_currentColor);
    m_colorPickButton->setIcon(QIcon(swatch));
    // Named by what it sets (in the form); what it shows is its description.
    m_colorPickButton->setText(m_currentColor.name(QColor::HexRgb));
    m_colorPickButton->setAccessibleDescription(m_colorPickButton->text());
}

void SettingsDialog::onResetDefaults()
{
    QMessageBox question(QMessageBox::Question, tr("Reset Settings"), tr("Reset all settings to defaults?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setWindowModality(Qt::WindowModal);
    if (question.exec() != QMessageBox::Yes)
        return;
    const bool saved = m_settings->resetToDefaults();
    loadSettings();
    showSaveResult(saved);
}

void SettingsDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    if (!m_built) {
        setWindowTitle(tr("RespiteKeeper Settings"));
        return;
    }
    retranslateUi(this);
    setLocalTexts();
    if (isVisible())
        fitTabRow();
}

void SettingsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    fitTabRow();
}

// Every page's tab in view at once, with no scroll arrows: the dialog grows as
// wide as the tab row needs in the language shown.
void SettingsDialog::fitTabRow()
{
    const int missing = tabWidget->tabBar()->sizeHint().width() - tabWidget->width();
    if (missing > 0)
        resize(width() + missing, height());
}
