#include "app/main_window.h"
#include "app/subsystems.h"
#include "colour/colour_picker.h"
#include "ui/menu_surface.h"

void installColourCommands(HtmlE& window)
{
    // The toolbar's htmlColor button triggers this same item.
    window.menus().onTriggered(QStringLiteral("hColor"), [&window] { hColorF::showPicker(window); });
}
