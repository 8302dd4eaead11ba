#include "table/table_builder.h"
#include "ui/menu_surface.h"

void installTableCommands(MenuSurface& menus, InsertionPoint& target)
{
    // The toolbar's htmlTable button triggers this same item.
    menus.onTriggered(QStringLiteral("table"), [&target] { hTableF::showBuilder(target); });
}
