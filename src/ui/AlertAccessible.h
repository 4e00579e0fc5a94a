#pragma once

#include <QAccessibleWidget>

// How screen readers see a window that announces itself when it appears without
// taking the focus (the countdown popup): an alert, named by the window's
// accessible name, that Orca and Narrator read out when it shows.
class AlertAccessible : public QAccessibleWidget
{
public:
    explicit AlertAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::AlertMessage)
    {}

    // Makes every widget of the class named here an alert to the accessibility
    // bridge; to be called before the first such widget is asked for.
    static void installFor(const char* className);
};
