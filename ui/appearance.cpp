#include "app/main_window.h"
#include "app/subsystems.h"

void installAppearanceCommands(HtmlE& window)
{
}
