#pragma once

#include <QString>
#include <memory>

class QWidget;

// Keeps keyboard and pointer on one window while a break is shown.
class InputHold
{
public:
    virtual ~InputHold() = default;

    // Whether this desktop lets the program hold the input at all.
    virtual bool canHold() const = 0;
    // Holds the input for the window (which must be a shown top-level window), or
    // releases it. Holding again while held renews the hold for the window.
    virtual void setHold(QWidget* window, bool on) = 0;
    // Whether the hold is in force now (a hold may take a moment to succeed).
    virtual bool isHeld() const = 0;
    // How the input is held, for a diagnosis.
    virtual QString description() const { return {}; }
};

// The implementation for the platform and display the program runs on.
std::unique_ptr<InputHold> createInputHold();
