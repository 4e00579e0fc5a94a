#include "platform/InputHold.h"

#include "win_inputhold.h"

#include <QDebug>
#include <QTimer>
#include <QWidget>

namespace {

// The keyboard hook and cursor clip, taken again every quarter second while the
// break screen is up: Windows can drop either without notice.
class WinInputHold : public InputHold
{
public:
    WinInputHold()
    {
        m_renew.setInterval(RenewMs);
        QObject::connect(&m_renew, &QTimer::timeout, [] { winRenewInputHold(); });
    }
    ~WinInputHold() override { winReleaseInput(); }

    bool canHold() const override { return true; }
    QString description() const override
    {
        return QStringLiteral("a low-level keyboard hook (WH_KEYBOARD_LL) and ClipCursor");
    }
    bool isHeld() const override { return winInputHeld(); }

    void setHold(QWidget* window, bool on) override
    {
        m_renew.stop();
        if (!on || !window) {
            winReleaseInput();
            return;
        }
        if (!winHoldInput(reinterpret_cast<HWND>(window->winId())))
            qDebug() << "The keyboard hook could not be installed, error" << GetLastError();
        m_renew.start();
    }

private:
    static constexpr int RenewMs = 250;
    QTimer m_renew;
};

} // namespace

std::unique_ptr<InputHold> createInputHold()
{
    return std::make_unique<WinInputHold>();
}
