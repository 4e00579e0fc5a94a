#include "platform/InputHold.h"

#include "win_inputhold.h"

#include <QWidget>

namespace {

class WinInputHold : public InputHold
{
public:
    ~WinInputHold() override { winReleaseInput(); }

    bool canHold() const override { return true; }
    bool isHeld() const override { return winInputHeld(); }

    void setHold(QWidget* window, bool on) override
    {
        if (on && window)
            winHoldInput(reinterpret_cast<HWND>(window->winId()));
        else
            winReleaseInput();
    }
};

} // namespace

std::unique_ptr<InputHold> createInputHold()
{
    return std::make_unique<WinInputHold>();
}
