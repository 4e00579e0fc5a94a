#include "platform/LastInputSource.h"

#include "win_lastinput.h"

namespace {

class WinLastInputSource : public LastInputSource
{
public:
    bool canDetectIdle() override { return millisecondsSinceLastInput().has_value(); }
    QString description() const override { return QStringLiteral("GetLastInputInfo"); }

    std::optional<qint64> millisecondsSinceLastInput() override
    {
        unsigned long milliseconds = 0;
        if (!winMillisecondsSinceLastInput(&milliseconds))
            return std::nullopt;
        return qint64(milliseconds);
    }
};

} // namespace

// GetLastInputInfo answers from the process's own memory, with no round trip: it is
// simply asked.
std::unique_ptr<LastInputSource> createLastInputSource(qint64)
{
    return std::make_unique<WinLastInputSource>();
}
