#include "SettingsDialog.h"

#include "settings/SettingsManager.h"

#include <QColorDialog>
#include <QEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QSignalBlocker>

const char* const SettingsDialog::ContactAddress = "respitekeeper@example.org";

SettingsDialog::SettingsDialog(SettingsManager* settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_currentColor(0, 120, 212)
{
    setObjectName(QStringLiteral("RespiteKeeperSettings"));
    setWindowTitle(tr("RespiteKeeper Settings"));
    setMinimumSize(480, 500);
}

void SettingsDialog::setVisible(bool visible)
{
    if (visible)
        ensureBuilt();
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

    m_emailLabel->setOpenExternalLinks(true);
    m_emailLabel->setTextFormat(Qt::RichText);
    setLocalTexts();

    connect(m_resetButton, &QPushButton::clicked, this, &SettingsDialog::onResetDefaults);
    connect(m_applyButton, &QPushButton::clicked, this, &SettingsDialog::onApply);
    connect(m_okButton, &QPushButton::clicked, this, [this] {
        onApply();
        accept();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_colorPickButton, &QPushButton::clicked, this, &SettingsDialog::onPickColor);
    connect(m_microBreakIntervalSpin, &QSpinBox::valueChanged, this, &SettingsDialog::onMicroIntervalChanged);
    connect(m_longBreakIntervalSpin, &QSpinBox::valueChanged, this, &SettingsDialog::onLongIntervalChanged);

    loadSettings();
}

// Texts the form does not set: the contact link and the unit suffixes. A key of
// the translation files cannot begin with a blank, so the blank is joined here.
void SettingsDialog::setLocalTexts()
{
    QPalette palette = m_emailLabel->palette();
    palette.setBrush(QPalette::All, QPalette::Link, QBrush(QColor(QStringLiteral("#0078d4"))));
    m_emailLabel->setPalette(palette);
    const QString address = QString::fromLatin1(ContactAddress);
    m_emailLabel->setText(
        tr(qPrintable(QStringLiteral("Email: <a href=\"mailto:%1\" style=\"color: #0078d4;\">%1</a>").arg(address))));
    const QString minutes = QLatin1Char(' ') + tr("minutes");
    m_microBreakIntervalSpin->setSuffix(minutes);
    m_microBreakDurationSpin->setSuffix(QLatin1Char(' ') + tr("seconds"));
    m_longBreakIntervalSpin->setSuffix(minutes);
    m_longBreakDurationSpin->setSuffix(minutes);
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

void SettingsDialog::loadSettings()
{
    m_microBreakIntervalSpin->setValue(m_settings->microBreakInterval() / 60);
    m_microBreakDurationSpin->setValue(m_settings->microBreakDuration());
    m_longBreakIntervalSpin->setValue(m_settings->longBreakInterval() / 60);
    m_longBreakDurationSpin->setValue(m_settings->longBreakDuration() / 60);

    m_postponeCheckBox->setChecked(m_settings->postponeEnabled());
    m_showOnAllMonitorsCheckBox->setChecked(m_settings->showOnAllMonitors());
    m_autoStartCheckBox->setChecked(m_settings->autoStartAtBoot());
    m_idlePauseCheckBox->setChecked(m_settings->idlePauseEnabled());

    m_shutdownEnabledCheckBox->setChecked(m_settings->shutdownEnabled());
    m_shutdownHourSpin->setValue(m_settings->shutdownHour());
    m_shutdownMinuteSpin->setValue(m_settings->shutdownMinute());

    const int languageIndex =
        m_languageCombo->findData(m_settings->language(), Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (languageIndex >= 0)
        m_languageCombo->setCurrentIndex(languageIndex);

    m_currentColor = m_settings->backgroundColor();
    updateColorButton();
}

void SettingsDialog::onApply()
{
    m_settings->setMicroBreakInterval(m_microBreakIntervalSpin->value() * 60);
    m_settings->setMicroBreakDuration(m_microBreakDurationSpin->value());
    m_settings->setLongBreakInterval(m_longBreakIntervalSpin->value() * 60);
    m_settings->setLongBreakDuration(m_longBreakDurationSpin->value() * 60);
    m_settings->setPostponeEnabled(m_postponeCheckBox->isChecked());
    m_settings->setShowOnAllMonitors(m_showOnAllMonitorsCheckBox->isChecked());
    m_settings->setAutoStartAtBoot(m_autoStartCheckBox->isChecked());
    m_settings->setIdlePauseEnabled(m_idlePauseCheckBox->isChecked());
    m_settings->setShutdownEnabled(m_shutdownEnabledCheckBox->isChecked());
    m_settings->setShutdownHour(m_shutdownHourSpin->value());
    m_settings->setShutdownMinute(m_shutdownMinuteSpin->value());
    m_settings->setLanguage(m_languageCombo->currentData().toString());
    m_settings->setBackgroundColor(m_currentColor);
    m_settings->save();
    m_settings->notifySettingsChanged();
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
    m_colorPickButton->setText(m_currentColor.name(QColor::HexRgb));
}

void SettingsDialog::onResetDefaults()
{
    QMessageBox question(QMessageBox::Question, tr("Reset Settings"), tr("Reset all settings to defaults?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setWindowModality(Qt::WindowModal);
    if (question.exec() != QMessageBox::Yes)
        return;
    m_settings->resetToDefaults();
    loadSettings();
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
}
