#include "TestHelpers.h"
#include "i18n/CustomTranslator.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QTabBar>
#include <QTabWidget>

namespace {

// What a control is called (its English text; a "%1" stands for the contact address), the form
// label that labels it, and what it says besides its name.
struct Control
{
    const char* widget;
    const char* name;
    const char* label = nullptr;
    const char* description = nullptr;
};

const Control controls[] = {
    {"tabWidget", "Settings pages"},
    {"m_microBreakIntervalSpin", "Micro break interval:", "label_microInterval"},
    {"m_microBreakDurationSpin", "Micro break duration:", "label_microDuration"},
    {"m_longBreakIntervalSpin", "Long break interval:", "label_longInterval"},
    {"m_longBreakDurationSpin", "Long break duration:", "label_longDuration"},
    {"m_postponeCheckBox", "Allow postpone (5 minutes)"},
    {"m_showOnAllMonitorsCheckBox", "Show break screen on all monitors"},
    {"m_autoStartCheckBox", "Start RespiteKeeper when system starts"},
    {"m_idlePauseCheckBox", "Pause timer when system is idle"},
    {"m_holdBreaksCheckBox", "Hold breaks during calls and full-screen programs"},
    {"m_holdMaxSpin", "Longest hold", "m_holdMaxLabel", "How long a break may be held at most"},
    {"m_breakSoundCheckBox", "Play a sound when a break begins and ends"},
    {"m_languageCombo", "Language", "label_language"},
    {"m_colorPickButton", "Background color", "label_color", "#0078d4"},
    {"m_shutdownEnabledCheckBox", "Enable scheduled shutdown", nullptr,
     "Turns the computer off every day at the shutdown time"},
    {"m_shutdownHourSpin", "Shutdown hour", "label_shutdownTime"},
    {"m_shutdownMinuteSpin", "Shutdown minute"},
    {"m_emailLabel", "Email: %1", nullptr, "Writes an e-mail to the developers"},
    {"m_resetButton", "Reset Defaults", nullptr, "Sets every setting back to its default"},
    {"m_applyButton", "Apply"},
    {"m_okButton", "OK"},
    {"m_cancelButton", "Cancel"},
};

// Records the addresses the desktop would have opened.
class MailClient : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl& url) { opened << url; }
};

} // namespace

// The settings dialog as a screen reader or a voice user meets it: through the
// accessibility interfaces, in English and in Chinese.
class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void languages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("zh") << "zh";
    }

    // Every control the keyboard reaches, on every tab, is named by what it is, not
    // by its value nor its group; the form's labels label their fields.
    void everyControlIsNamedByWhatItIs_data() { languages_data(); }
    void everyControlIsNamedByWhatItIs()
    {
        QFETCH(QString, language);
        CustomTranslator translator(language);
        QCoreApplication::installTranslator(&translator);
        LoadedSettings loaded;
        SettingsDialog dialog(&loaded.settings);
        dialog.show();
        const auto tr = [&](const char* text) {
            const QString said = translator.translate(nullptr, text);
            return said.contains("%1") ? said.arg(SettingsDialog::ContactAddress) : said;
        };
        QStringList seen;
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            // Qt's own inner parts ("qt_...") are reached through the control that holds them;
            // hidden ones (the tab row's scroll buttons) are not reached.
            const QString id = widget->objectName();
            if (!(widget->focusPolicy() & Qt::TabFocus) || widget->window() != &dialog || id.startsWith("qt_") ||
                widget->isHidden())
                continue;
            const auto* control = std::find_if(std::begin(controls), std::end(controls),
                                               [&](const Control& c) { return id == c.widget; });
            QVERIFY2(control != std::end(controls), qPrintable("not in the table: " + id));
            seen << id;
            QAccessibleInterface* said = QAccessible::queryAccessibleInterface(widget);
            const QString name = said->text(QAccessible::Name);
            QVERIFY2(name == tr(control->name) && name != said->text(QAccessible::Value) &&
                         (language == "en" || name != control->name),
                     qPrintable(id + " is named " + name));
            if (control->description)
                QCOMPARE(said->text(QAccessible::Description), tr(control->description));
            if (control->label) {
                QAccessibleInterface* label = QAccessible::queryAccessibleInterface(child(&dialog, control->label));
                bool labelled = false;
                for (const auto& [other, relation] : said->relations(QAccessible::Label))
                    labelled = labelled || other == label;
                QVERIFY2(labelled, qPrintable(id + " is not labelled by " + control->label));
            }
        }
        QCOMPARE(seen.size(), int(std::size(controls)));
        QCoreApplication::removeTranslator(&translator);
    }

    // On every page, Tab runs from the tab row through every control that takes the
    // focus, each below the one before or right of it on its row, and back.
    void theTabOrderIsCompleteAndVisual()
    {
        LoadedSettings loaded({{"holdBreaksWhenBusy", true}, {"shutdownEnabled", true}});
        SettingsDialog dialog(&loaded.settings);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* tabs = child<QTabWidget>(&dialog, "tabWidget");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            tabs->tabBar()->setFocus(Qt::TabFocusReason);
            QSet<QWidget*> expected{tabs->tabBar()};
            for (QWidget* widget : dialog.findChildren<QWidget*>())
                if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&dialog) && widget->isEnabled() &&
                    !widget->focusProxy() && widget->parent() != tabs->tabBar())
                    expected << widget;
            QSet<QWidget*> visited{tabs->tabBar()};
            QRect previous = tabs->tabBar()->rect().translated(tabs->tabBar()->mapTo(&dialog, QPoint()));
            for (int step = 0; step < 40; ++step) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QWidget* focus = QApplication::focusWidget();
                if (focus == tabs->tabBar())
                    break;
                const QRect here = focus->rect().translated(focus->mapTo(&dialog, QPoint()));
                const bool below = here.top() >= previous.bottom() - 4;
                const bool rightOnRow =
                    here.left() > previous.left() && qAbs(here.center().y() - previous.center().y()) < 12;
                QVERIFY2(below || rightOnRow, qPrintable(focus->objectName() + " on page " + QString::number(page)));
                visited << focus;
                previous = here;
            }
            QCOMPARE(QApplication::focusWidget(), tabs->tabBar());
            QCOMPARE(visited, expected);
        }
    }

    // The language box keeps what Qt's own gives besides its name: the chosen entry
    // as the value, the entries as its child list, and an action that opens it.
    void theLanguageBoxSaysItsChoice()
    {
        LoadedSettings loaded;
        SettingsDialog dialog(&loaded.settings);
        dialog.show();
        auto* combo = child<QComboBox>(&dialog, "m_languageCombo");
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(combo);
        QCOMPARE(said->role(), QAccessible::ComboBox);
        combo->setCurrentIndex(combo->count() - 1);
        QCOMPARE(said->text(QAccessible::Value), combo->itemText(combo->count() - 1));
        QCOMPARE(said->childCount(), 1);
        QCOMPARE(said->child(0)->childCount(), combo->count());
        QCOMPARE(said->child(0)->parent()->object(), combo);
        QVERIFY(said->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
        said->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        QTRY_VERIFY(combo->view()->isVisible());
        QVERIFY(said->state().expanded);
        said->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(!combo->view()->isVisible());
    }

    // The About tab in the user's language, and its e-mail line a link that Tab
    // reaches and Enter opens, and that a press through accessibility opens too.
    void theContactLinkIsReachedByKeyboard_data() { languages_data(); }
    void theContactLinkIsReachedByKeyboard()
    {
        QFETCH(QString, language);
        CustomTranslator translator(language);
        QCoreApplication::installTranslator(&translator);
        MailClient mail;
        QDesktopServices::setUrlHandler("mailto", &mail, "open");
        LoadedSettings loaded;
        SettingsDialog dialog(&loaded.settings);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* tabs = child<QTabWidget>(&dialog, "tabWidget");
        tabs->setCurrentWidget(child<QWidget>(&dialog, "aboutTab"));
        tabs->tabBar()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(tabs->tabBar(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child(&dialog, "m_emailLabel"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(mail.opened, QList<QUrl>{QUrl("mailto:respitekeeper@example.org")});
        // A voice command or a screen reader presses it as a link.
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
        QCOMPARE(link->role(), QAccessible::Link);
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(mail.opened.size(), 2);
        QCOMPARE(mail.opened.last(), mail.opened.first());
        QCOMPARE(text(&dialog, "m_versionLabel"), translator.translate(nullptr, "Version %1").arg(RK_VERSION));
        QVERIFY(language == "en" || !text(&dialog, "m_versionLabel").startsWith("Version"));
        QDesktopServices::unsetUrlHandler("mailto");
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
