#include "LinkLabel.h"

#include <QAccessibleWidget>
#include <QDesktopServices>
#include <QFocusEvent>

namespace {

class LinkAccessible : public QAccessibleWidget
{
public:
    explicit LinkAccessible(LinkLabel* label)
        : QAccessibleWidget(label, QAccessible::Link)
    {}

    QString text(QAccessible::Text t) const override
    {
        const QString said = QAccessibleWidget::text(t);
        return t == QAccessible::Name && said.isEmpty() ? label()->plainText() : said;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }
    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            QDesktopServices::openUrl(label()->url());
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    LinkLabel* label() const { return static_cast<LinkLabel*>(object()); }
};

QAccessibleInterface* createLink(const QString& key, QObject* object)
{
    if (key != QLatin1String(LinkLabel::staticMetaObject.className()) || !object)
        return nullptr;
    return new LinkAccessible(static_cast<LinkLabel*>(object));
}

} // namespace

LinkLabel::LinkLabel(QWidget* parent)
    : QLabel(parent)
{
    static const bool installed = (QAccessible::installFactory(createLink), true);
    Q_UNUSED(installed)
    setTextFormat(Qt::RichText);
    setOpenExternalLinks(true);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
}

void LinkLabel::setLink(const QString& text, const QString& shown, const QUrl& url)
{
    m_url = url;
    m_plainText = text.arg(shown);
    // The link's colour, which the palette gives only to part of the platforms.
    const QString link = QStringLiteral("<a href=\"%1\" style=\"color: %2;\">%3</a>")
                             .arg(url.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                  palette().color(QPalette::Link).name(), shown.toHtmlEscaped());
    setText(text.toHtmlEscaped().arg(link));
}

void LinkLabel::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        QLabel::focusNextPrevChild(event->reason() == Qt::TabFocusReason);
}
