#include "app/main_window.h"
#include "app/subsystems.h"

void installTemplateCommands(HtmlE& window)
{
}

void BuildTemplateMenu(HtmlE& window)
{
}
