#include "app/main_window.h"
#include "app/subsystems.h"

void installUserTagCommands(HtmlE& window)
{
}

void LoadUserTags(HtmlE& window)
{
}

void watchCompanion(HtmlE& window)
{
}

void startReceiver(HtmlE& window)
{
}
