#include "ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace {

QAccessibleInterface* createNamedComboBox(const QString& key, QObject* object)
{
    if (key != QLatin1String("QComboBox"))
        return nullptr;
    auto* comboBox = qobject_cast<QComboBox*>(object);
    if (!comboBox)
        return nullptr;
    return new ComboBoxAccessible(comboBox);
}

} // namespace

ComboBoxAccessible::ComboBoxAccessible(QComboBox* comboBox)
    : QAccessibleWidget(comboBox, QAccessible::ComboBox)
{}

QComboBox* ComboBoxAccessible::comboBox() const
{
    return static_cast<QComboBox*>(object());
}

// The list that drops down, and the line edit of an editable box: the same
// children as Qt gives, so the entries and their selection read as before.
int ComboBoxAccessible::childCount() const
{
    return comboBox()->isEditable() ? 2 : 1;
}

QAccessibleInterface* ComboBoxAccessible::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(comboBox()->view());
    if (index == 1 && comboBox()->isEditable())
        return QAccessible::queryAccessibleInterface(comboBox()->lineEdit());
    return nullptr;
}

int ComboBoxAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child)
        return -1;
    if (child->object() == comboBox()->view())
        return 0;
    if (comboBox()->isEditable() && child->object() == comboBox()->lineEdit())
        return 1;
    return -1;
}

QAccessibleInterface* ComboBoxAccessible::focusChild() const
{
    return comboBox()->view()->isVisible() ? child(0) : nullptr;
}

QString ComboBoxAccessible::text(QAccessible::Text t) const
{
    const QString value = comboBox()->isEditable() ? comboBox()->lineEdit()->text() : comboBox()->currentText();
    if (t == QAccessible::Value)
        return value;
    const QString said = QAccessibleWidget::text(t);
    // A box with neither a name nor a label still says something.
    return t == QAccessible::Name && said.isEmpty() ? value : said;
}

QAccessible::State ComboBoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = comboBox()->view()->isVisible();
    s.editable = comboBox()->isEditable();
    return s;
}

QStringList ComboBoxAccessible::actionNames() const
{
    return QAccessibleWidget::actionNames() << showMenuAction() << pressAction();
}

void ComboBoxAccessible::doAction(const QString& actionName)
{
    if (actionName != showMenuAction() && actionName != pressAction())
        QAccessibleWidget::doAction(actionName);
    else if (comboBox()->view()->isVisible())
        comboBox()->hidePopup();
    else
        comboBox()->showPopup();
}

void ComboBoxAccessible::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(createNamedComboBox);
}
