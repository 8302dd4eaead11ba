#include "colour/colour_picker.h"
#include "ui/menu_surface.h"

void installColourCommands(MenuSurface& menus, InsertionPoint& target)
{
    // The toolbar's htmlColor button triggers this same item.
    menus.onTriggered(QStringLiteral("hColor"), [&target] { hColorF::showPicker(target); });
}
