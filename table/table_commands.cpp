#include "app/main_window.h"
#include "app/subsystems.h"
#include "table/table_builder.h"
#include "ui/menu_surface.h"

void installTableCommands(HtmlE& window)
{
    // The toolbar's htmlTable button triggers this same item.
    window.menus().onTriggered(QStringLiteral("table"), [&window] { hTableF::showBuilder(window); });
}
