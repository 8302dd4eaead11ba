#include "app/main_window.h"
#include "app/subsystems.h"

void installCommandSurface(HtmlE& window)
{
}
