#pragma once

#include <QAccessibleWidget>

// How screen readers see one of the program's own top-level windows whose class
// alone does not say what it is: the countdown popup is an alert, which a screen
// reader reads out when it shows without it taking the focus; the break screen is
// a window, announced by its name when it takes the focus.
class WindowAccessible : public QAccessibleWidget
{
public:
    WindowAccessible(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role)
    {}

    // Gives every widget of the class named here the role; to be called before
    // the first such widget is asked for.
    static void installFor(const char* className, QAccessible::Role role);
};
