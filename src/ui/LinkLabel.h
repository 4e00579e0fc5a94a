#pragma once

#include <QLabel>

// A label whose link the keyboard reaches in one step: Tab (or Shift+Tab) into it
// selects its link at once, so Enter opens it.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

protected:
    void focusInEvent(QFocusEvent* event) override;
};
