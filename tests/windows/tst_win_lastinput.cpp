// The idle time: the system answers, and the tick difference survives the wrap.
#include "platform/TickDifference.h"
#include "platform/windows/win_lastinput.h"
#include "wintest.h"

int main()
{
    unsigned long idle = 0xFFFFFFFFul;
    CHECK("the last-input query answers", winMillisecondsSinceLastInput(&idle));
    CHECK("with a time since the last input below a day", idle < 86400000ul);
    CHECK("the difference is right across the 32-bit wrap", tickDifference(5u, 0xFFFFFFF0u) == 21u);
    CHECK("and without a wrap", tickDifference(1500u, 500u) == 1000u);
    return wintest::finish("win_lastinput");
}
