#pragma once

#include <QLabel>
#include <QUrl>

// A line of text with one link in it, reached by the keyboard in one step: Tab (or
// Shift+Tab) into it selects the link at once, so Enter opens it. Screen readers
// and voice control see a link named by the whole line, which their press opens.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent = nullptr);

    // Shows text with its "%1" as a link that reads shown and opens url.
    void setLink(const QString& text, const QString& shown, const QUrl& url);
    QUrl url() const { return m_url; }
    QString plainText() const { return m_plainText; }

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    QUrl m_url;
    QString m_plainText;
};
