#include "app/main_window.h"

#include "ui/application.h"
#include "app/command_line.h"
#include "app/encoding_menu.h"
#include "app/file_commands.h"
#include "app/start_file.h"
#include "app/window_parts.h"
#include "app/window_settings.h"
#include "colour/colour_picker.h"
#include "convert/text_conversions.h"
#include "document/document.h"
#include "platform/file_exists.h"
#include "platform/optional_files.h"
#include "platform/program_folder.h"
#include "recent/recent_menu.h"
#include "recovery/recovery_keeper.h"
#include "search/search_commands.h"
#include "site/shown_page.h"
#include "site/site_commands.h"
#include "table/table_builder.h"
#include "tags/markup_rows.h"
#include "tags/template_menu.h"
#include "ui/box_insertion_point.h"
#include "ui/command_surface_parts.h"
#include "ui/document_context_menu.h"
#include "ui/document_box.h"
#include "ui/file_controler.h"
#include "text/file_read.h"
#include "text/file_write.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"
#include "ui/toolbar.h"
#include "usertags/user_tag_menu.h"
#include "view/box_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {
// Client area and the document box's place in it, in pixels (15 twips to a pixel).
constexpr QSize kClientSize(618, 408);
constexpr int kBoxLeft = 4;
constexpr int kBoxTop = 28;
constexpr int kBoxWidthMargin = 6;
constexpr int kBoxHeightMargin = 29;
constexpr int kDesignLeft = 4;
constexpr int kDesignTop = 28;

const QString kExitQuestion = QStringLiteral("文書を保存していません。\r本当に終了してよろしいですか？");
}

HtmlE::HtmlE(QWidget* parent)
    : QMainWindow(parent), m_fileControler(std::make_unique<FileControler>())
{
    setObjectName(QStringLiteral("HtmlE"));
    setWindowTitle(QStringLiteral("vornikedit!"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    // The document owns the page's text; the box is a view of it.
    m_document = new Document(this);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("HtmlEClient"));
    m_client->setMouseTracking(true);
    m_client->installEventFilter(this);
    setCentralWidget(m_client);

    m_editwindow = new DocumentBox(m_document->model(), m_client);
    m_editwindow->setGeometry(kBoxLeft, kBoxTop, 485, 269); // the design size, until the first resize
    m_editwindow->setFont(initialDocumentFont());
    m_insertion = new BoxInsertionPoint(m_editwindow, this);

    m_timet = new QTimer(this);
    m_timet->setObjectName(QStringLiteral("timet"));
    m_timet->setInterval(1000);
    connect(m_timet, &QTimer::timeout, this, &HtmlE::tick);

    buildMenus();
    installOwnCommands();
    installAreas();

    // The Save controls follow the file: there is something to save to once there is a path.
    // The title and path menu follow at once, not at the next tick.
    connect(m_document, &Document::filePathChanged, this, [this](const QString& path) {
        m_menus->action(QStringLiteral("SaveFiLE"))->setEnabled(!path.isEmpty());
        tick();
    });
}

HtmlE::~HtmlE()
{
    // The views go before the document they show.
    delete m_client;
}

QWidget* HtmlE::clientArea() const
{
    return m_client;
}

void HtmlE::buildMenus()
{
    m_menus = std::make_unique<MenuSurface>(menuBar(), this);
}

void HtmlE::installAreas()
{
    MenuSurface& menus = *m_menus;
    installFileCommands(menus, {*m_document, *m_editwindow, *m_fileControler, *this});
    m_templates = new TemplateMenu(menus, *m_insertion, m_editwindow, *this);
    installUserTagCommands(menus, *m_insertion, *this);
    installColourCommands(menus, *m_insertion);
    installTableCommands(menus, *m_insertion);

    // The pictures live in a static library, whose resources are registered only when asked.
    Q_INIT_RESOURCE(icons);
    setWindowIcon(QIcon(QStringLiteral(":/icons/vornikedit.svg")));
    m_toolbar = new Toolbar(m_client, menus, *m_insertion, [] { return programState().UserExeRunning == 1; });
    installClipboardCommands(menus, *m_insertion, m_editwindow);
    installHoverDescriptions(m_client, *m_toolbar, m_editwindow,
                             [this](const QString& description) { describeHover(description); });
    installLaunchCommands(menus, *m_document, *m_insertion, *this);
    installAboutCommand(menus, *this);
    installAppearanceCommands(menus, m_editwindow, *m_fileControler, this);
    DocumentContextMenu::of(m_editwindow, this);
    installBoxView(m_editwindow, this);
    installTextConversions(m_editwindow, *m_document, this);
    installSearchCommands(this, m_editwindow);
    installSiteCommands(*m_document, m_editwindow, this);
    m_recovery = installRecovery(*m_document, *m_editwindow, *this);
    // Ending at once (force exit) keeps the unsaved work's copy, up to the last keystroke.
    connect(this, &HtmlE::endRequested, m_recovery, &RecoveryKeeper::flush);
    installEncodingMenu({*m_document, *m_editwindow, *m_fileControler, *this});
    installRecentFiles(*m_document, *m_editwindow, *this,
                       [parts = FileCommandParts{*m_document, *m_editwindow, *m_fileControler, *this}](
                           const QString& path) { openDocumentFile(parts, path); });
}

void HtmlE::describeHover(const QString& description)
{
    if (m_state.HoverText == description)
        return;
    m_state.HoverText = description;
    tick();
}

void HtmlE::installOwnCommands()
{
    m_menus->onTriggered(QStringLiteral("Fin"), [this] { Fin_Click(); });
    m_menus->onTriggered(QStringLiteral("gotoend"), [this] { gotoend_Click(); });
    for (const MarkupRow& row : markupRows())
        m_menus->onTriggered(QString::fromLatin1(row.item), [this, &row] { runMarkup(row); });
}

void HtmlE::startUp(const QString& commandLine, int line)
{
    // 1-2: the file named on the command line.
    if (!commandLine.isEmpty())
        setDocument(QString());
    if (const std::optional<QString> path = commandLineFilePath(commandLine))
        openStartFile(*m_document, *m_editwindow, *this, *path);
    if (line > 0)
        showPageLine(*m_editwindow, line);

    // 3: the user tags, only where the companion is installed (the toolbar button follows).
    if (FileExists(ProgramFolder() + QStringLiteral("user.exe"))) {
        m_menus->action(QStringLiteral("uTag"))->setEnabled(true);
        LoadUserTags(*m_menus);
    }

    // 4-5: the template menu and the receiving endpoint.
    m_templates->BuildTemplateMenu();
    startReceiver(*m_insertion, *this);

    // 6: the general panel.
    m_toolbar->PanelMode = 1;

    // 7-9: client size, then the stored position and size.
    move(kDesignLeft, kDesignTop);
    resize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height());
    if (layout())
        layout()->activate();
    layoutClient(); // a hidden window gets its resize events only when shown
    applyWindowSettings();

    // The title bar names the file as soon as the window shows.
    tick();
}

void HtmlE::runMarkup(const MarkupRow& row)
{
    if (row.kind == MarkupKind::Wrap) {
        m_state.SelRam = m_insertion->readSelection();
        m_insertion->insert(markupText(row, m_state.SelRam));
    } else {
        m_insertion->insert(markupText(row, QString()));
    }
}

bool HtmlE::hasUnsavedChanges() const
{
    return m_document->hasUnsavedChanges();
}

void HtmlE::setDocument(const QString& crlfText)
{
    m_document->model().setText(crlfText);
}

bool HtmlE::loadFile(const QString& path)
{
    return loadDocumentFile(*m_document, path);
}

void HtmlE::tick()
{
    updateTitleBar(*this, *m_document, m_state.HoverText);
    watchCompanion(*m_menus);
    updatePathMenu(*m_menus->action(QStringLiteral("PathMenu")), *m_document);
}

QString HtmlE::settingsFilePath() const
{
    return optionalFilePath(QStringLiteral("vornik!.ini"));
}

void HtmlE::writeWindowSettings()
{
    // An installed program folder cannot be written: the user's folder keeps the position.
    writeWholeFile(writableFilePath(QStringLiteral("vornik!.ini")), formatWindowSettings(frameGeometry()));
}

void HtmlE::applyWindowSettings()
{
    // Four short lines; never read more than a little of whatever the file is.
    const FileRead bytes = readWholeFile(settingsFilePath(), ReadCap::firstBytes(4096));
    if (!bytes)
        return;
    const WindowSettings settings = parseWindowSettings(*bytes);

    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect outer = placeWindow(frameGeometry(), settings, screens);
    move(outer.topLeft());
    const QSize frameExtra = frameGeometry().size() - size();
    resize(outer.size() - frameExtra);
    if (settings.height || settings.width)
        m_pendingOuter = outer;
}

void HtmlE::applyPendingOuterGeometry()
{
    if (!m_pendingOuter)
        return;
    const QSize frameExtra = frameGeometry().size() - size();
    if (frameExtra.width() == 0 && frameExtra.height() == 0)
        return; // not framed yet: try again later
    resize(m_pendingOuter->size() - frameExtra);
    m_pendingOuter.reset();
}

void HtmlE::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_timet->isActive())
        m_timet->start();
    if (m_pendingOuter) {
        // The window manager frames the window shortly after it is shown.
        QTimer::singleShot(0, this, [this] { applyPendingOuterGeometry(); });
        QTimer::singleShot(300, this, [this] { applyPendingOuterGeometry(); m_pendingOuter.reset(); });
    }
}

void HtmlE::layoutClient()
{
    const QSize client = m_client->size();
    const int width = client.width() - kBoxWidthMargin;
    const int height = client.height() - kBoxHeightMargin;
    QRect box = m_editwindow->geometry();
    box.moveTopLeft(QPoint(kBoxLeft, kBoxTop));
    if (width >= 0)
        box.setWidth(width);
    if (height >= 0)
        box.setHeight(height);
    m_editwindow->setGeometry(box);
}

bool HtmlE::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layoutClient();
    return QMainWindow::eventFilter(watched, event);
}

bool HtmlE::mayEnd()
{
    if (hasUnsavedChanges() && !askYesNo(this, QStringLiteral("vornik!"), kExitQuestion, MessageIcon::Exclamation, true))
        return false;
    m_recovery->discard();
    return true;
}

void HtmlE::Fin_Click()
{
    if (mayEnd())
        endProgram();
}

void HtmlE::gotoend_Click()
{
    endProgram();
}

void HtmlE::endProgram()
{
    m_ended = true;
    Q_EMIT endRequested();
}

void HtmlE::closeEvent(QCloseEvent* event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    // The position is stored first, whatever the answer to the question.
    writeWindowSettings();
    if (!mayEnd()) {
        event->ignore();
        return;
    }
    event->accept();
    endProgram();
}
