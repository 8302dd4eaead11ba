#include "app/main_window.h"
#include "app/subsystems.h"
#include "ui/command_surface_parts.h"
#include "ui/toolbar.h"

#include <QIcon>

void installCommandSurface(HtmlE& window)
{
    // The pictures live in a static library, whose resources are registered only when asked.
    Q_INIT_RESOURCE(icons);
    window.setWindowIcon(QIcon(QStringLiteral(":/icons/vornikedit.svg")));
    auto* toolbar = new Toolbar(window);
    installClipboardCommands(window);
    installHoverDescriptions(window, *toolbar);
    installLaunchCommands(window);
    installAboutCommand(window);
}
