#pragma once

#include <QAccessibleWidget>

class QComboBox;

// A combo box as screen readers and voice control should see it: named by its
// accessible name or its label, with the chosen entry as its value. Qt's own
// interface names every combo box by its current entry on Linux, so a user who
// says "click Language" finds nothing and a screen reader speaks the value twice.
class ComboBoxAccessible : public QAccessibleWidget
{
public:
    explicit ComboBoxAccessible(QComboBox* comboBox);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // Puts this interface in place of Qt's for every QComboBox; to be called
    // before the first one is built. Once is enough.
    static void install();

private:
    QComboBox* comboBox() const;
};
