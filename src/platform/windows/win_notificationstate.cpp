#include "win_notificationstate.h"

WinNotificationQuiet winNotificationQuiet(int state)
{
    switch (state) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE:
        return WinNotificationQuiet::FullScreen;
    case QUNS_QUIET_TIME:
        return WinNotificationQuiet::QuietTime;
    default:
        return WinNotificationQuiet::None;
    }
}

WinNotificationQuiet winAskNotificationQuiet(WinNotificationStateQuery query)
{
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (FAILED(query(&state)))
        return WinNotificationQuiet::None;
    return winNotificationQuiet(state);
}
