#include "platform/LastInputSource.h"

#include "win_lastinput.h"

namespace {

class WinLastInputSource : public LastInputSource
{
public:
    bool canDetectIdle() override { return millisecondsSinceLastInput().has_value(); }

    std::optional<qint64> millisecondsSinceLastInput() override
    {
        unsigned long milliseconds = 0;
        if (!winMillisecondsSinceLastInput(&milliseconds))
            return std::nullopt;
        return qint64(milliseconds);
    }
};

} // namespace

std::unique_ptr<LastInputSource> createLastInputSource()
{
    return std::make_unique<WinLastInputSource>();
}
